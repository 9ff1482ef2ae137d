#include "account/frmLogin.h"
#include "app/ServerChecks.h"
#include "net/RecordCache.h"
#include "net/RecordFormat.h"
#include "core/Settings.h"
#include "net/SavedNames.h"
#include "support/ServerProcess.h"
#include "support/WindowRig.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace corvanta;
using corvanta::test::ServerProcess;

// The login window and the record cache against the real score server.
class TestOnlineLogin : public QObject, private corvanta::test::WindowRig
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    ServerProcess m_server;
    std::unique_ptr<frmLogin> m_window;
    QStringList m_events;

    QString recordFile() const { return m_config.recordFile(); }

    template <typename T> T *child(const char *name) { return m_window->findChild<T *>(QLatin1String(name)); }

    // A shown window whose buttons are available; the application's part of a login
    // (loading the class lists "online") is played by a download of the record file.
    void open()
    {
        m_window = std::make_unique<frmLogin>(context());
        m_window->setConnectionProbe([] { return true; });
        frmLogin *w = m_window.get();
        connect(w, &frmLogin::showMainWindowRequested, this, [this, w] {
            m_events << "main user=" + m_login.LoginUser + " digest=" + m_login.LoginDigest +
                            (w->isVisible() ? " visible" : " hidden");
        });
        connect(w, &frmLogin::loggedInOnline, this, [this, w] {
            const bool loaded = RefreshRecordCache(*m_link, m_config, m_login).ok();
            m_events << QString("online loaded=%1 saved=%2%3")
                            .arg(loaded)
                            .arg(SavedNames().lastLogin())
                            .arg(w->isVisible() ? " visible" : " hidden");
        });
        w->show();
        QTRY_VERIFY(child<QPushButton>("cmdOK")->isEnabled());
    }

    void login(const QString &user, const QString &password)
    {
        child<QComboBox>("ComboUser")->setEditText(user);
        child<QLineEdit>("txtPassword")->setText(password);
        QTest::mouseClick(child<QPushButton>("cmdOK"), Qt::LeftButton);
    }

private slots:
    void initTestCase()
    {
        Settings::redirectForTests(m_settingsDir.path());
        QVERIFY2(m_server.start(), qPrintable(m_server.errorText()));
        QVERIFY(m_server.registerTeacher("t001", "secret", "oper"));
        QVERIFY(m_server.registerTeacher(QStringLiteral("teach2"), QStringLiteral("密码1"), "oper"));
        QVERIFY(m_server.setClasses("t001", "oper", {"C1", "C2"}));
        QVERIFY(m_server.setTopics("t001", "oper", {QStringLiteral("课堂提问")}));
    }

    void init()
    {
        SavedNames().clear();
        resetRig(m_server.baseUrl(), m_server.baseUrl());
        m_events.clear();
    }

    void cleanup()
    {
        m_window.reset();
        dropRig();
    }

    void loginSucceeds_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("password");
        QTest::newRow("plain") << "t001"
                               << "secret"
                               << "secret";
        // Sent trimmed and digested trimmed, so the later reads work too.
        QTest::newRow("blanks around the password") << "t001"
                                                    << "  secret "
                                                    << "secret";
        QTest::newRow("chinese password")
            << QStringLiteral("teach2") << QStringLiteral("密码1") << QStringLiteral("密码1");
    }
    void loginSucceeds()
    {
        QFETCH(QString, user);
        QFETCH(QString, typed);
        QFETCH(QString, password);
        open();
        frmLogin *w = m_window.get();
        login(user, typed);

        QVERIFY2(m_prompter.shown.isEmpty(), qPrintable(m_prompter.shown.value(0).text));
        const QString digest = Md5Hex(password);
        QCOMPARE(m_login.LoginUser, user);
        QCOMPARE(m_login.LoginDigest, digest);
        // Login state first, then the main window and the class lists, then the window
        // hides, then the names are saved.
        QCOMPARE(m_events, (QStringList{"main user=" + user + " digest=" + digest + " visible",
                                        "online loaded=1 saved= visible"}));
        QVERIFY(!w->isVisible());
        QCOMPARE(SavedNames().usernameValue(), "|" + user);
        QCOMPARE(SavedNames().lastLogin(), user);
        QFile file(recordFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(looksLikeRecordFile(file.readAll()));
    }

    void secondLoginKeepsTheList()
    {
        SavedNames().remember("other");
        SavedNames().remember("t001");
        SavedNames().remember("other");
        open();
        login("t001", "secret");
        QCOMPARE(m_login.LoginUser, QStringLiteral("t001"));
        QCOMPARE(SavedNames().usernameValue(), QStringLiteral("|other|t001"));
        QCOMPARE(SavedNames().lastLogin(), QStringLiteral("t001"));
    }

    void wrongPassword_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("wrong password") << "t001"
                                        << "wrong";
        QTest::newRow("other case") << "t001"
                                    << "SECRET";
        QTest::newRow("unknown account") << "nobody"
                                         << "secret";
        QTest::newRow("untouched prompt") << QStringLiteral("请在此输入登录帐号") << "secret";
    }
    void wrongPassword()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        m_login.LoginUser = "before";
        open();
        frmLogin *w = m_window.get();
        if (user != QStringLiteral("请在此输入登录帐号"))
            child<QComboBox>("ComboUser")->setEditText(user);
        QCOMPARE(child<QComboBox>("ComboUser")->currentText(), user);
        child<QLineEdit>("txtPassword")->setText(password);
        QTest::mouseClick(child<QPushButton>("cmdOK"), Qt::LeftButton);

        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("登录"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("无效的密码，请重试!"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Warning);
        auto *box = child<QLineEdit>("txtPassword");
        QCOMPARE(box->text(), password);
        QCOMPARE(box->selectedText(), password);
        QVERIFY(w->isVisible());
        QVERIFY(m_events.isEmpty());
        QCOMPARE(m_login.LoginUser, QStringLiteral("before"));
        QCOMPARE(SavedNames().usernameValue(), QString());
    }

    // The cached file only changes with a whole class record file: a wrong digest leaves it.
    void refreshWithWrongDigestKeepsFile()
    {
        const QByteArray old = "Class_Is_Ready\told\t\r\n";
        {
            QFile file(recordFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(old);
        }
        m_login.LoginDigest = Md5Hex("not the password");
        m_login.LoginUser = QStringLiteral("t001");
        const Result refreshed = RefreshRecordCache(*m_link, m_config, m_login);
        QVERIFY(!refreshed);
        QVERIFY(!refreshed.error().isEmpty());
        QFile file(recordFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), old);
    }

    void clockCheckAgainstServer_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<bool>("shown");
        QTest::newRow("in step") << 0 << false;
        QTest::newRow("an hour ahead") << 3600 << true;
        QTest::newRow("an hour behind") << -3600 << true;
    }
    void clockCheckAgainstServer()
    {
        QFETCH(int, offset);
        QFETCH(bool, shown);
        m_clock.when = QDateTime::currentDateTime().addSecs(offset);
        ServerChecks checks(context());
        checks.runFirstTick(nullptr, {});
        QCOMPARE(m_prompter.shown.size(), shown ? 1 : 0);
        if (shown) {
            QCOMPARE(m_prompter.last()->title, QStringLiteral("时间错误"));
            QCOMPARE(m_prompter.last()->icon, PromptIcon::Warning);
            QVERIFY(m_prompter.last()->text.startsWith(
                QStringLiteral("时间错误，请修改后确定！\r\n服务器时间:")));
        }
    }

    // Last: the server goes away.
    void stoppedServerGivesNetworkMessage()
    {
        open();
        m_server.stop();
        login("t001", "secret");
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("错误"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("\r\n网络异常！"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::None);
        QVERIFY(m_login.LoginUser.isEmpty());
    }
};

QTEST_MAIN(TestOnlineLogin)
#include "tst_OnlineLogin.moc"
