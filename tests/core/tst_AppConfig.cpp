#include "core/AppConfig.h"
#include "core/PlatformPaths.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
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

// The machine-wide settings file under a root of the test's own: its bytes, "<folder>" for a
// folder in its place, nothing for none.
void writeMachineFile(const QString &root, const QByteArray &content)
{
    const QString file = machineSettingsFile(root);
    QDir().mkpath(QFileInfo(file).path());
    if (content == "<folder>") {
        QVERIFY(QDir().mkpath(file));
    } else if (!content.isNull()) {
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
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

    // Option, then variable, then the machine-wide file, then the build. A wrong value is
    // named with where it came from, and nothing further down is tried in its place.
    void addressOrder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("environment");
        QTest::addColumn<QByteArray>("machineFile");
        QTest::addColumn<QString>("serverBase");
        QTest::addColumn<QString>("vendorBase");
        QTest::addColumn<QStringList>("launcherArguments");
        QTest::addColumn<QStringList>("problemNames"); // parts of the one problem text, if any

        const QByteArray school = "server=https://school.example\nvendor=https://soft.example/\n";
        QTest::newRow("no file: the build's") << QStringList() << QStringList() << QByteArray() << kServerBase
                                              << kVendorBase << QStringList() << QStringList();
        QTest::newRow("file") << QStringList() << QStringList() << school << "https://school.example"
                              << "https://soft.example" << QStringList() << QStringList();
        QTest::newRow("variable beats file")
            << QStringList() << QStringList{"CORVANTA_SERVER=http://env.example:81"} << school
            << "http://env.example:81"
            << "https://soft.example" << QStringList{"--server", "http://env.example:81"} << QStringList();
        QTest::newRow("option beats variable and file")
            << QStringList{"--server", "http://arg.example/", "--vendor=http://v.arg.example"}
            << QStringList{"CORVANTA_SERVER=http://env.example"} << school << "http://arg.example"
            << "http://v.arg.example"
            << QStringList{"--server", "http://arg.example", "--vendor", "http://v.arg.example"} << QStringList();
        QTest::newRow("installer's ini: mark, section, comments, CR LF, spaces, case")
            << QStringList() << QStringList()
            << QByteArray("\xEF\xBB\xBF; written by the installer\r\n[corvanta]\r\n# note\r\n"
                          " Server = HTTPS://ini.example:8443/score/ \r\nother=1\r\n")
            << "HTTPS://ini.example:8443/score" << kVendorBase << QStringList() << QStringList();
        QTest::newRow("file without scheme")
            << QStringList() << QStringList() << QByteArray("server=score.example.org\n") << QString()
            << kVendorBase << QStringList() << QStringList{"score.example.org", QFileInfo(machineSettingsFile()).fileName(), "server=", "离线"};
        QTest::newRow("wrong option is not replaced by the file")
            << QStringList{"--server", "ftp://arg.example"} << QStringList() << school << QString()
            << "https://soft.example" << QStringList() << QStringList{"ftp://arg.example", "命令行选项 --server"};
        QTest::newRow("variable without host")
            << QStringList() << QStringList{"CORVANTA_SERVER=http://"} << school << QString() << "https://soft.example"
            << QStringList() << QStringList{"环境变量 CORVANTA_SERVER"};
        QTest::newRow("wrong vendor in file")
            << QStringList() << QStringList() << QByteArray("vendor=http://two words.example\n") << kServerBase
            << QString() << QStringList() << QStringList{"官网地址无效", "vendor="};
        QTest::newRow("file cannot be read") << QStringList() << QStringList() << QByteArray("<folder>") << QString()
                                             << QString() << QStringList()
                                             << QStringList{"无法读取本机设置", QFileInfo(machineSettingsFile()).fileName(), "离线"};
        QTest::newRow("unreadable file does not matter under options")
            << QStringList{"--server=http://a.example", "--vendor=http://b.example"} << QStringList()
            << QByteArray("<folder>") << "http://a.example"
            << "http://b.example" << QStringList{"--server", "http://a.example", "--vendor", "http://b.example"}
            << QStringList();
        QTest::newRow("huge file") << QStringList() << QStringList() << QByteArray(70 * 1024, '#') << QString()
                                   << QString() << QStringList() << QStringList{"无法读取本机设置", "64 KB"};
    }
    void addressOrder()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, environment);
        QFETCH(QByteArray, machineFile);
        QFETCH(QString, serverBase);
        QFETCH(QString, vendorBase);
        QFETCH(QStringList, launcherArguments);
        QFETCH(QStringList, problemNames);

        const QTemporaryDir root;
        writeMachineFile(root.path(), machineFile);
        const CommandLineResult result = AppConfig::parseCommandLine(QStringList{"corvanta"} + arguments,
                                                                     environmentOf(environment), root.path());
        QVERIFY2(result.run, qPrintable(result.text));
        QCOMPARE(result.config.serverBase, serverBase);
        QCOMPARE(result.config.vendorBase, vendorBase);
        QCOMPARE(result.config.launcherArguments, launcherArguments);
        QCOMPARE(result.config.addressProblems.size(), problemNames.isEmpty() ? 0 : 1);
        for (const QString &name : problemNames)
            QVERIFY2(result.config.addressProblems.first().contains(name), qPrintable(result.config.addressProblems.first()));
        QVERIFY(result.config.serverLabel().contains(serverBase.isEmpty() ? QStringLiteral("离线") : serverBase));
    }

    // What other programs may ask: a draw, show, hide; by option or by a corvanta: address.
    void outsideRequests_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("request"); // describe(), or the refusal's words
        QTest::addColumn<bool>("accepted");

        using L = QStringList;
        QTest::newRow("plain start") << L() << "" << true;
        QTest::newRow("--draw") << L{"--draw"} << "draw" << true;
        QTest::newRow("--draw POOL") << L{"--draw", "未点"} << "draw 未点" << true;
        QTest::newRow("--show") << L{"--show"} << "show" << true;
        QTest::newRow("--hide with options") << L{"--server", "http://s.example", "--hide"} << "hide" << true;
        QTest::newRow("address, encoded pool") << L{"corvanta://draw?pool=%E6%9C%AA%E7%82%B9"} << "draw 未点" << true;
        QTest::newRow("address, pool as typed") << L{"corvanta://draw?pool=很少"} << "draw 很少" << true;
        QTest::newRow("address in capitals, slash") << L{"CORVANTA://Show/"} << "show" << true;
        QTest::newRow("address without pool") << L{"corvanta://draw"} << "draw" << true;
        QTest::newRow("two requests") << L{"--draw", "--hide"} << "Only one" << false;
        QTest::newRow("two pools") << L{"--draw", "未点", "已点"} << "'已点'" << false;
        QTest::newRow("pool without --draw") << L{"未点"} << "'未点'" << false;
        QTest::newRow("address with an option") << L{"corvanta://show", "--server=http://evil.example"} << "alone"
                                                << false;
        QTest::newRow("address with --draw") << L{"--draw", "corvanta://draw"} << "alone" << false;
        QTest::newRow("score") << L{"corvanta://score?points=5"} << "unknown action 'score'" << false;
        QTest::newRow("upload") << L{"corvanta://upload"} << "unknown action" << false;
        QTest::newRow("login parameter") << L{"corvanta://draw?pool=未点&user=a"} << "unknown parameter 'user'"
                                         << false;
        QTest::newRow("parameter of show") << L{"corvanta://show?pool=未点"} << "unknown parameter" << false;
        QTest::newRow("empty pool") << L{"corvanta://draw?pool="} << "empty pool" << false;
        QTest::newRow("two pools in address") << L{"corvanta://draw?pool=未点&pool=已点"} << "more than one" << false;
        QTest::newRow("path") << L{"corvanta://draw/../show"} << "path" << false;
        QTest::newRow("port") << L{"corvanta://draw:80"} << "port" << false;
        QTest::newRow("user") << L{"corvanta://me@show"} << "user" << false;
        QTest::newRow("fragment") << L{"corvanta://show#x"} << "fragment" << false;
        QTest::newRow("no slashes") << L{"corvanta:show"} << "unknown path" << false;
        QTest::newRow("huge") << L{"corvanta://draw?pool=" + QString(2000, u'x')} << "longer than" << false;
    }
    void outsideRequests()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, request);
        QFETCH(bool, accepted);

        const CommandLineResult result =
            AppConfig::parseCommandLine(QStringList{"corvanta"} + arguments, QProcessEnvironment());
        QCOMPARE(result.run, accepted);
        if (!accepted) {
            QCOMPARE(result.exitCode, 2);
            QVERIFY2(result.text.contains(request), qPrintable(result.text));
            return;
        }
        QCOMPARE(result.request.describe(), request);
        // What goes to the running tool reads back the same.
        if (!result.request.isNone()) {
            const Expected<OutsideRequest> back = OutsideRequest::fromUrl(result.request.url());
            QVERIFY2(back.ok(), qPrintable(result.request.url()));
            QCOMPARE(back->describe(), request);
        }
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
