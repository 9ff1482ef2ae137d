// The Windows build of the tool against the Linux score server: the cross-built driver
// (tests/windows/tst_WineDriver.cpp) runs under wine and Xvfb, logs in to this server over
// loopback, draws, scores and uploads; the server must then hold each score with its
// student, time and topic. Skipped unless CORVANTA_WINE_DRIVER names the driver's .exe
// (scripts/windows-tests.sh sets it).
#include "net/Wire.h"
#include "support/ServerProcess.h"
#include "EndToEndData.h"

#include <QProcess>
#include <QTest>

using namespace corvanta;
using namespace corvanta::test;

using namespace corvanta::test::e2e;

class TestWineEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void scoresFromWindowsReachTheServer()
    {
        const QString driver = qEnvironmentVariable("CORVANTA_WINE_DRIVER");
        if (driver.isEmpty())
            QSKIP("CORVANTA_WINE_DRIVER is not set (scripts/windows-tests.sh runs this)");
        ServerProcess server;
        QVERIFY2(server.start(), qPrintable(server.errorText()));
        QVERIFY(server.registerTeacher(Account, LoginPassword, OperationPassword));
        QVERIFY(server.setClasses(Account, OperationPassword, {ClassName}));
        QVERIFY(server.setStudents(Account, OperationPassword, ClassName, Students));
        QVERIFY(server.setTopics(Account, OperationPassword, {Topic}));
        QVERIFY(server.addScales(Account, OperationPassword, Topic,
                                 {{QStringLiteral("读音准确"), 5}, {QStringLiteral("有感情"), 3}}));

        const QDateTime when(QDate(2026, 3, 5), QTime(9, 7, 2));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("CORVANTA_E2E_SERVER"), server.baseUrl());
        env.insert(QStringLiteral("CORVANTA_E2E_TIME"), when.toString(Qt::ISODate));
        env.insert(QStringLiteral("CORVANTA_E2E_ACCOUNT"), Account);
        env.insert(QStringLiteral("CORVANTA_E2E_PASSWORD"), LoginPassword);
        env.insert(QStringLiteral("CORVANTA_E2E_OPERATION"), OperationPassword);
        env.insert(QStringLiteral("CORVANTA_E2E_CLASS"), ClassName);
        QProcess wine;
        wine.setProcessEnvironment(env);
        wine.start(QStringLiteral("xvfb-run"),
                   {QStringLiteral("-a"), QStringLiteral(CORVANTA_SOURCE_DIR "/scripts/wine-run.sh"), driver});
        QVERIFY(wine.waitForFinished(240000));
        const QString output = QString::fromUtf8(wine.readAllStandardOutput());
        QVERIFY2(wine.exitCode() == 0, qPrintable(output + QString::fromUtf8(wine.readAllStandardError())));

        QStringList drawn;
        for (const QString &line : output.split(u'\n')) {
            if (const qsizetype at = line.indexOf(QStringLiteral("DRAWN\t")); at >= 0)
                drawn.append(QString::fromUtf8(QByteArray::fromHex(line.mid(at).section(u'\t', 1, 1).toLatin1())));
        }
        QCOMPARE(drawn.size(), 2);
        for (const QString &name : drawn)
            QVERIFY2(Students.contains(name), qPrintable(name));

        const auto reply = server.get(QStringLiteral("/score/getscore.php"),
                                      {{"class", ClassName}, {"t", Account}, {"mp", Md5Hex(LoginPassword)}});
        QStringList held = reply.text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        for (QString &line : held)
            line = line.section(u'\t', 1); // record numbers differ from run to run
        held.sort();
        const QString time = when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        QStringList expected{
            drawn[0] + QStringLiteral("\t4\t") + time + u'\t' + Topic + u'\t',
            drawn[1] + QStringLiteral("\t5\t") + time + u'\t' + Topic + QStringLiteral("\t读音准确"),
            drawn[1] + QStringLiteral("\t3\t") + time + u'\t' + Topic + QStringLiteral("\t有感情"),
        };
        expected.sort();
        QCOMPARE(held, expected);
    }
};

QTEST_GUILESS_MAIN(TestWineEndToEnd)
#include "tst_WineEndToEnd.moc"
