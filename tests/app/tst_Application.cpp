#include "account/frmLogin.h"
#include "app/Application.h"
#include "app/Form1.h"
#include "net/ServerLink.h"
#include "support/FakePrompter.h"
#include "support/RawHttpPeer.h"
#include "support/TestClock.h"

#include <QComboBox>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace corvanta;
using namespace corvanta::test;

// The application's part of a login: the record file refresh and what the main window
// shows while and after it runs.
class TestApplication : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    FakePrompter m_prompter;
    FixedClock m_clock;
    ReplayRandom m_random;

    std::unique_ptr<Application> makeApp(const QString &base)
    {
        AppConfig config;
        config.dataDir = m_dir.path();
        config.serverBase = base;
        config.vendorBase = QStringLiteral("http://vendor.invalid");
        auto app = std::make_unique<Application>(config, &m_prompter, &m_clock, &m_random);
        app->context().link.setTimeoutMs(300);
        return app;
    }
    void writeCache(const QByteArray &bytes)
    {
        QFile f(QDir(m_dir.path()).filePath(QStringLiteral("ServerRec.cvd")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private slots:
    void init() { m_prompter = {}; }

    // No action while the class lists download; a failed download is said, and the
    // cached copy still fills the lists.
    void failedRefreshIsReportedAndCacheKept()
    {
        writeCache("Class_Is_Ready\t1\t10\t\r\n");
        RawHttpPeer peer;
        peer.silent = true;
        QVERIFY(peer.listen());
        auto app = makeApp(peer.base());
        app->context().login.LoginUser = QStringLiteral("teacher01");
        Form1 *form = app->mainWindow();
        bool enabledWhileWaiting = true;
        QTimer::singleShot(100, this, [&] { enabledWhileWaiting = form->isEnabled(); });
        emit app->loginWindow()->loggedInOnline();
        QVERIFY(!enabledWhileWaiting);
        QVERIFY(form->isEnabled());
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("提示"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Warning);
        QVERIFY(m_prompter.last()->text.startsWith(QStringLiteral("班级数据没有下载成功")));
        QCOMPARE(form->findChild<QComboBox *>(QStringLiteral("Combo2"))->count(), 2);
    }

    void offlineLoginReadsTheCacheWithoutAsking()
    {
        writeCache("Class_Is_Ready\tA\t\r\n");
        auto app = makeApp(RawHttpPeer::closedBase());
        app->context().login.LoginUser = LoginState::offlineUser();
        emit app->loginWindow()->loggedInOffline();
        QVERIFY(m_prompter.shown.isEmpty());
        QCOMPARE(app->mainWindow()->findChild<QComboBox *>(QStringLiteral("Combo2"))->count(), 1);
    }

    // A cached file the tool cannot hold (once it aborted the program at every offline
    // login) is shown as nothing, with a message.
    void offlineLoginOnAnUnreadableCache()
    {
        QByteArray tabs = "Class_Is_Ready";
        tabs.append(QByteArray(1 << 20, '\t'));
        writeCache(tabs);
        auto app = makeApp(RawHttpPeer::closedBase());
        app->context().login.LoginUser = LoginState::offlineUser();
        emit app->loginWindow()->loggedInOffline();
        QCOMPARE(m_prompter.shown.size(), 1);
        QVERIFY2(m_prompter.last()->text.contains(QStringLiteral("不是班级数据文件")), qPrintable(m_prompter.last()->text));
        QCOMPARE(app->mainWindow()->findChild<QComboBox *>(QStringLiteral("Combo2"))->count(), 0);
    }

    // A downloaded file beyond the limits does not replace the cached one.
    void refusedDownloadKeepsTheCache()
    {
        writeCache("Class_Is_Ready\t1\t\r\n");
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, "Class_Is_Ready\t\t\t\r\n");
        auto app = makeApp(peer.base());
        app->context().login.LoginUser = QStringLiteral("teacher01");
        emit app->loginWindow()->loggedInOnline();
        QCOMPARE(m_prompter.shown.size(), 1);
        QVERIFY(m_prompter.last()->text.contains(QStringLiteral("空的班级名")));
        QCOMPARE(app->mainWindow()->findChild<QComboBox *>(QStringLiteral("Combo2"))->count(), 1);
    }
};

QTEST_MAIN(TestApplication)
#include "tst_Application.moc"
