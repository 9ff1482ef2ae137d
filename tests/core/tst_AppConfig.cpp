#include "core/AppConfig.h"

#include <QDir>
#include <QStandardPaths>
#include <QTest>

using namespace corvanta;

namespace {

const QString kServerBase = QStringLiteral(CORVANTA_SERVER_BASE);
const QString kVendorBase = QStringLiteral(CORVANTA_VENDOR_BASE);

QProcessEnvironment environmentOf(const QStringList &assignments)
{
    QProcessEnvironment environment;
    for (const QString &assignment : assignments) {
        const qsizetype equals = assignment.indexOf(u'=');
        environment.insert(assignment.left(equals), assignment.mid(equals + 1));
    }
    return environment;
}

} // namespace

class TestAppConfig : public QObject
{
    Q_OBJECT

private slots:
    void settingsFromOptionsAndEnvironment_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("dataDir");
        QTest::addColumn<QString>("serverBase");
        QTest::addColumn<QString>("vendorBase");

        const QString appData = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QTest::newRow("defaults") << QStringList() << QStringList() << appData << kServerBase << kVendorBase;
        QTest::newRow("options with a separate value")
            << QStringList{"--data-dir",          "/tmp/x",   "--server",
                           "http://s.example:81", "--vendor", "http://v.example"}
            << QStringList() << "/tmp/x"
            << "http://s.example:81"
            << "http://v.example";
        QTest::newRow("options with =")
            << QStringList{"--data-dir=/tmp/y", "--server=http://s.example/", "--vendor=http://v.example//"}
            << QStringList() << "/tmp/y"
            << "http://s.example"
            << "http://v.example";
        QTest::newRow("environment") << QStringList()
                                     << QStringList{"CORVANTA_DATA_DIR=/tmp/env",
                                                    "CORVANTA_SERVER=http://env.example:1/",
                                                    "CORVANTA_VENDOR=http://venv.example"}
                                     << "/tmp/env"
                                     << "http://env.example:1"
                                     << "http://venv.example";
        QTest::newRow("option beats environment")
            << QStringList{"--server", "http://arg.example", "--data-dir", "/tmp/arg"}
            << QStringList{"CORVANTA_SERVER=http://env.example", "CORVANTA_DATA_DIR=/tmp/env"} << "/tmp/arg"
            << "http://arg.example" << kVendorBase;
        QTest::newRow("empty option and variable count as absent")
            << QStringList{"--server=", "--data-dir="}
            << QStringList{"CORVANTA_SERVER=", "CORVANTA_DATA_DIR=/tmp/env"} << "/tmp/env" << kServerBase
            << kVendorBase;
        QTest::newRow("last of a repeated option wins")
            << QStringList{"--server", "http://first.example", "--server=http://last.example"}
            << QStringList() << appData << "http://last.example" << kVendorBase;
        QTest::newRow("relative data folder made absolute")
            << QStringList{"--data-dir", "rel/data"} << QStringList()
            << QDir::current().absoluteFilePath("rel/data") << kServerBase << kVendorBase;
    }
    void settingsFromOptionsAndEnvironment()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(QString, dataDir);
        QFETCH(QString, serverBase);
        QFETCH(QString, vendorBase);

        const CommandLineResult result =
            AppConfig::parseCommandLine(QStringList{"corvanta"} + arguments, environmentOf(environment));
        QVERIFY2(result.run, qPrintable(result.text));
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.config.dataDir, dataDir);
        QCOMPARE(result.config.serverBase, serverBase);
        QCOMPARE(result.config.vendorBase, vendorBase);
        QCOMPARE(result.config.recordFile(), QDir(dataDir).filePath("ServerRec.cvd"));
    }

    // The reset window's contact: option, environment, the build's, else the vendor's host.
    void contactAddress_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QString>("contact");
        QTest::newRow("vendor host") << QStringList{"--vendor", "http://soft.example:81/x"} << QStringList()
                                     << "soft.example";
        QTest::newRow("option") << QStringList{"--contact", "help@school.example"}
                                << QStringList{"CORVANTA_CONTACT=env@school.example"} << "help@school.example";
        QTest::newRow("environment") << QStringList() << QStringList{"CORVANTA_CONTACT=env@school.example"}
                                     << "env@school.example";
    }
    void contactAddress()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(QString, contact);
        if (!QStringLiteral(CORVANTA_CONTACT_ADDRESS).isEmpty() && environment.isEmpty() && arguments.size() == 2 &&
            arguments[0] == "--vendor")
            QSKIP("this build names a contact of its own");
        const CommandLineResult result =
            AppConfig::parseCommandLine(QStringList{"corvanta"} + arguments, environmentOf(environment));
        QCOMPARE(result.config.contactAddress, contact);
    }

    void argumentsThatEndTheProgram_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("textContains");

        const QStringList helpParts{"--data-dir",      "--server",        "--vendor", "CORVANTA_DATA_DIR",
                                    "CORVANTA_SERVER", "CORVANTA_VENDOR", "--version"};
        QTest::newRow("--help") << QStringList{"--help"} << 0 << helpParts;
        QTest::newRow("-h among others") << QStringList{"--server", "http://s", "-h"} << 0 << helpParts;
        QTest::newRow("--version") << QStringList{"--version"} << 0
                                   << QStringList{"corvanta " + programVersionText()};
        QTest::newRow("unknown option")
            << QStringList{"--servr", "http://s"} << 2 << QStringList{"corvanta: ", "servr", "--help"};
        QTest::newRow("unknown short option") << QStringList{"-x"} << 2 << QStringList{"'x'"};
        QTest::newRow("Qt option left in")
            << QStringList{"-platform", "offscreen"} << 2 << QStringList{"'platform'"};
        QTest::newRow("missing value") << QStringList{"--data-dir"} << 2 << QStringList{"data-dir"};
        QTest::newRow("stray argument") << QStringList{"notes.txt"} << 2 << QStringList{"'notes.txt'"};
        QTest::newRow("unknown beats help") << QStringList{"--help", "--bogus"} << 2 << QStringList{"bogus"};
    }
    void argumentsThatEndTheProgram()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QStringList, textContains);

        const CommandLineResult result =
            AppConfig::parseCommandLine(QStringList{"corvanta"} + arguments, QProcessEnvironment());
        QVERIFY(!result.run);
        QCOMPARE(result.exitCode, exitCode);
        for (const QString &part : textContains)
            QVERIFY2(result.text.contains(part), qPrintable(result.text));
        QVERIFY(!result.text.endsWith(u'\n'));
    }
};

QTEST_GUILESS_MAIN(TestAppConfig)
#include "tst_AppConfig.moc"
