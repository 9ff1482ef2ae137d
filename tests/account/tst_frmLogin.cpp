#include "support/RawHttpPeer.h"

#include "core/TextCodec.h"
#include "account/frmLogin.h"
#include "widgets/ElidedLabel.h"
#include "core/Settings.h"
#include "net/SavedNames.h"
#include "support/WindowRig.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace corvanta;
using corvanta::test::FakePrompter;
using corvanta::test::RawHttpPeer;

namespace {

const QString kPrompt = QStringLiteral("请在此输入登录帐号");

void saveRaw(const QString &username, const QString &last)
{
    Settings settings;
    settings.setValue(Settings::Username, username);
    settings.setValue(Settings::LastlogUsername, last);
}

QStringList comboItems(const QComboBox *combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

} // namespace

class TestFrmLogin : public QObject, private corvanta::test::WindowRig
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    std::unique_ptr<frmLogin> m_window;
    bool m_connected = true;

    // A fresh window over a link to `base`; the connection probe answers m_connected.
    frmLogin *open(const QString &base)
    {
        m_window.reset();
        m_config.vendorBase = base;
        linkTo(base);
        m_link->setTimeoutMs(2000);
        m_window = std::make_unique<frmLogin>(context());
        m_window->setConnectionProbe([this] { return m_connected; });
        return m_window.get();
    }

    template <typename T> T *child(const char *name) { return m_window->findChild<T *>(QLatin1String(name)); }
    QPushButton *button(const char *name) { return child<QPushButton>(name); }
    QString recordFile() const { return m_config.recordFile(); }
    void writeRecordFile() { WindowRig::writeRecordFile("Class_Is_Ready\t1\t\r\n"); }
    void waitForFirstTick()
    {
        // "取消" is always available; the tick shows in the record-file button.
        writeRecordFile();
        QTRY_VERIFY(button("Command1")->isEnabled());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_settingsDir.isValid());
        Settings::redirectForTests(m_settingsDir.path());
    }

    void init()
    {
        saveRaw(QString(), QString());
        resetRig();
        m_connected = true;
    }

    void cleanup()
    {
        m_window.reset();
        dropRig();
    }

    void controls()
    {
        frmLogin *w = open(RawHttpPeer::closedBase());
        QCOMPARE(w->objectName(), QStringLiteral("frmLogin"));
        QCOMPARE(w->windowTitle(), QStringLiteral("登录"));
        const QList<QPair<const char *, QString>> captions = {
            {"Command4", "清除记录"}, {"Command3", "忘记密码"}, {"Command2", "注册帐号"},
            {"cmdOK", "确定"},        {"Command1", "离线登录"}, {"cmdCancel", "取消"}};
        for (const auto &[name, caption] : captions)
            QCOMPARE(button(name)->text(), caption);
        QVERIFY(button("cmdOK")->isDefault());
        QCOMPARE(child<QLineEdit>("txtPassword")->echoMode(), QLineEdit::Password);
        QVERIFY(child<QLineEdit>("txtPassword")->styleSheet().contains("lineedit-password-character: 42"));
        QVERIFY(child<QComboBox>("ComboUser")->isEditable());
        QCOMPARE(child<QTimer>("Timer1")->interval(), 500);
        // Which server a login goes to.
        QCOMPARE(child<ElidedLabel>("lblServer")->fullText(), QStringLiteral("服务器:") + m_config.serverBase);
    }

    void savedNames_data()
    {
        QTest::addColumn<QString>("username");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("nothing saved") << ""
                                       << "" << kPrompt << QStringList();
        QTest::newRow("two names") << "|A|B"
                                   << "B"
                                   << "B" << QStringList{"A", "B"};
        QTest::newRow("empty elements") << "||A||B|"
                                        << "A"
                                        << "A" << QStringList{"A", "B"};
        QTest::newRow("last without list") << ""
                                           << "X" << kPrompt << QStringList();
        QTest::newRow("list without last") << "|A"
                                           << ""
                                           << "" << QStringList{"A"};
        QTest::newRow("case kept") << "|ab|AB"
                                   << "AB"
                                   << "AB" << QStringList{"ab", "AB"};
        QTest::newRow("chinese") << QStringLiteral("|张三") << QStringLiteral("张三")
                                 << QStringLiteral("张三") << QStringList{QStringLiteral("张三")};
    }
    void savedNames()
    {
        QFETCH(QString, username);
        QFETCH(QString, last);
        QFETCH(QString, shown);
        QFETCH(QStringList, items);
        saveRaw(username, last);
        open(RawHttpPeer::closedBase());
        auto *combo = child<QComboBox>("ComboUser");
        QCOMPARE(combo->currentText(), shown);
        QCOMPARE(comboItems(combo), items);
        QVERIFY(child<QLineEdit>("txtPassword")->text().isEmpty());
    }

    // What online logins leave in the store, one after the other.
    void rememberedNames_data()
    {
        QTest::addColumn<QStringList>("logins");
        QTest::addColumn<QString>("username");
        QTest::newRow("first") << QStringList{"A"} << "|A";
        QTest::newRow("second name") << QStringList{"A", "B"} << "|A|B";
        QTest::newRow("same name again") << QStringList{"A", "B", "A"} << "|A|B";
        QTest::newRow("case differs") << QStringList{"ab", "AB"} << "|ab|AB";
        QTest::newRow("name within another") << QStringList{"ab", "a"} << "|ab|a";
    }
    void rememberedNames()
    {
        QFETCH(QStringList, logins);
        QFETCH(QString, username);
        for (const QString &name : logins)
            SavedNames().remember(name);
        QCOMPARE(SavedNames().usernameValue(), username);
        QCOMPARE(SavedNames().lastLogin(), logins.last());
        // The next window lists them without an empty entry.
        open(RawHttpPeer::closedBase());
        QCOMPARE(comboItems(child<QComboBox>("ComboUser")), username.split('|', Qt::SkipEmptyParts));
        QCOMPARE(child<QComboBox>("ComboUser")->currentText(), logins.last());
    }

    void clearRecords()
    {
        saveRaw("|A|B", "B");
        frmLogin *w = open(RawHttpPeer::closedBase());
        w->show();
        QTest::mouseClick(button("Command4"), Qt::LeftButton);
        auto *combo = child<QComboBox>("ComboUser");
        QCOMPARE(combo->count(), 0);
        QCOMPARE(combo->currentText(), QString());
        QCOMPARE(SavedNames().usernameValue(), QString());
        QCOMPARE(SavedNames().lastLogin(), QString());
        // Closed by the user and shown again: loaded afresh.
        w->close();
        w->show();
        QCOMPARE(combo->currentText(), kPrompt);
    }

    void buttonsWaitForFirstTick_data()
    {
        QTest::addColumn<bool>("connected");
        QTest::newRow("connected") << true;
        QTest::newRow("no connection") << false;
    }
    void buttonsWaitForFirstTick()
    {
        QFETCH(bool, connected);
        m_connected = connected;
        writeRecordFile();
        frmLogin *w = open(RawHttpPeer::closedBase());
        w->show();
        QVERIFY(!button("cmdOK")->isEnabled());
        QVERIFY(!button("Command2")->isEnabled());
        QVERIFY(!button("Command1")->isEnabled());
        QVERIFY(button("cmdCancel")->isEnabled());
        QTRY_VERIFY(button("Command1")->isEnabled());
        QCOMPARE(button("cmdOK")->isEnabled(), connected);
        QCOMPARE(button("Command2")->isEnabled(), connected);
        // The connection coming and going is followed too.
        m_connected = !connected;
        QTRY_COMPARE(button("cmdOK")->isEnabled(), !connected);
        QCOMPARE(button("Command2")->isEnabled(), !connected);
    }

    // Shown again long after the start (back from registration, say): the buttons wait for
    // the first tick after this showing, not the last one before it.
    void buttonsWaitAfterEachShowing()
    {
        writeRecordFile();
        frmLogin *w = open(RawHttpPeer::closedBase());
        w->show();
        QTRY_VERIFY(button("Command1")->isEnabled());
        QVERIFY(button("cmdOK")->isEnabled());
        w->hide();
        QTest::qWait(700);
        w->show();
        for (const char *name : {"cmdOK", "Command2", "Command1"})
            QVERIFY2(!button(name)->isEnabled(), name);
        QTest::qWait(300);
        QVERIFY(!button("cmdOK")->isEnabled());
        QTRY_VERIFY(button("Command1")->isEnabled());
        QVERIFY(button("cmdOK")->isEnabled());
        QVERIFY(button("Command2")->isEnabled());
    }

    void offlineButtonFollowsRecordFile()
    {
        frmLogin *w = open(RawHttpPeer::closedBase());
        w->show();
        QTRY_VERIFY(button("cmdOK")->isEnabled());
        QVERIFY(!button("Command1")->isEnabled());
        writeRecordFile();
        QTRY_VERIFY(button("Command1")->isEnabled());
        QFile::remove(recordFile());
        QTRY_VERIFY(!button("Command1")->isEnabled());
    }

    void offlineLogin()
    {
        saveRaw("|A", "A");
        m_login.LoginDigest = "kept";
        frmLogin *w = open(RawHttpPeer::closedBase());
        QStringList order;
        connect(w, &frmLogin::loggedInOffline, this,
                [&] { order << "offline:" + m_login.LoginUser + (w->isVisible() ? ":visible" : ":hidden"); });
        connect(w, &frmLogin::showMainWindowRequested, this,
                [&] { order << QString("main") + (w->isVisible() ? ":visible" : ":hidden"); });
        QSignalSpy online(w, &frmLogin::loggedInOnline);
        w->show();
        waitForFirstTick();
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(order, (QStringList{QStringLiteral("offline:离线用户:visible"), "main:hidden"}));
        QCOMPARE(m_login.LoginUser, QStringLiteral("离线用户"));
        QCOMPARE(m_login.LoginDigest, QStringLiteral("kept"));
        QCOMPARE(online.size(), 0);
        QVERIFY(!w->isVisible());
        QCOMPARE(SavedNames().usernameValue(), QStringLiteral("|A"));
        QVERIFY(m_prompter.shown.isEmpty());
    }

    void cancelKeepsLoginState_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("取消") << false;
        QTest::newRow("Esc") << true;
    }
    void cancelKeepsLoginState()
    {
        QFETCH(bool, escape);
        m_login.LoginUser = "t01";
        frmLogin *w = open(RawHttpPeer::closedBase());
        QSignalSpy main(w, &frmLogin::showMainWindowRequested);
        w->show();
        if (escape)
            QTest::keyClick(w, Qt::Key_Escape);
        else
            QTest::mouseClick(button("cmdCancel"), Qt::LeftButton);
        QCOMPARE(main.size(), 1);
        QVERIFY(!w->isVisible());
        QCOMPARE(m_login.LoginUser, QStringLiteral("t01"));
    }

    void closingAsksForMainWindowAndReloads()
    {
        saveRaw("|A", "A");
        frmLogin *w = open(RawHttpPeer::closedBase());
        QSignalSpy main(w, &frmLogin::showMainWindowRequested);
        w->show();
        child<QLineEdit>("txtPassword")->setText("secret");
        child<QComboBox>("ComboUser")->setEditText("typed");
        w->close();
        QCOMPARE(main.size(), 1);
        w->show();
        QCOMPARE(child<QLineEdit>("txtPassword")->text(), QString());
        QCOMPARE(child<QComboBox>("ComboUser")->currentText(), QStringLiteral("A"));
        QVERIFY(!button("cmdOK")->isEnabled());
    }

    // Until a registration or reset window listens, the buttons keep the login window open.
    void accountButtonsNeedAListener()
    {
        frmLogin *w = open(RawHttpPeer::closedBase());
        w->show();
        waitForFirstTick();
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QTest::mouseClick(button("Command3"), Qt::LeftButton);
        QVERIFY(w->isVisible());
        QSignalSpy reg(w, &frmLogin::registerRequested);
        QSignalSpy reset(w, &frmLogin::resetPasswordRequested);
        QTest::mouseClick(button("Command2"), Qt::LeftButton);
        QCOMPARE(reg.size(), 1);
        QVERIFY(!w->isVisible());
        w->show();
        QTest::mouseClick(button("Command3"), Qt::LeftButton);
        QCOMPARE(reset.size(), 1);
        QVERIFY(!w->isVisible());
    }

    void emptyNameOrPassword_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("no name") << ""
                                 << "pw";
        QTest::newRow("no password") << "t01"
                                     << "";
        QTest::newRow("neither") << ""
                                 << "";
    }
    void emptyNameOrPassword()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        frmLogin *w = open(peer.base());
        w->show();
        waitForFirstTick();
        child<QComboBox>("ComboUser")->setEditText(user);
        child<QLineEdit>("txtPassword")->setText(password);
        QTest::mouseClick(button("cmdOK"), Qt::LeftButton);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("错误"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("请输入用户名和密码！"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Critical);
        QTest::qWait(0);
        QCOMPARE(peer.requests.size(), 0);
    }

    void networkFailure()
    {
        m_login.LoginUser = "before";
        frmLogin *w = open(RawHttpPeer::closedBase());
        QSignalSpy online(w, &frmLogin::loggedInOnline);
        w->show();
        waitForFirstTick();
        child<QComboBox>("ComboUser")->setEditText("t01");
        child<QLineEdit>("txtPassword")->setText("pw");
        QTest::mouseClick(button("cmdOK"), Qt::LeftButton);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("错误"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("\r\n网络异常！"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::None);
        QCOMPARE(m_login.LoginUser, QStringLiteral("before"));
        QCOMPARE(online.size(), 0);
        QVERIFY(w->isVisible());
        QVERIFY(button("cmdOK")->isEnabled());
        QCOMPARE(SavedNames().usernameValue(), QString());
    }

    // The untouched prompt is a name like any other; the password goes trimmed.
    void promptTextIsSentAsName()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(503, "busy");
        frmLogin *w = open(peer.base());
        w->show();
        waitForFirstTick();
        QCOMPARE(child<QComboBox>("ComboUser")->currentText(), kPrompt);
        child<QLineEdit>("txtPassword")->setText(" pw ");
        QTest::mouseClick(button("cmdOK"), Qt::LeftButton);
        QCOMPARE(peer.requests.size(), 1);
        QCOMPARE(RawHttpPeer::body(peer.requests[0]),
                 "username=" + UrlEncode(kPrompt).toLatin1() + "&password=pw");
        QCOMPARE(m_prompter.last()->text, QStringLiteral("busy\r\n网络异常！"));
    }

    // While its own request waits the window starts nothing new: a second press of
    // "确定" and the other buttons do nothing, and they are disabled meanwhile.
    void noSecondActionWhileWaiting()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.silent = true;
        frmLogin *w = open(peer.base());
        m_link->setTimeoutMs(400);
        QSignalSpy offline(w, &frmLogin::loggedInOffline);
        QSignalSpy main(w, &frmLogin::showMainWindowRequested);
        w->show();
        waitForFirstTick();
        child<QComboBox>("ComboUser")->setEditText("t01");
        child<QLineEdit>("txtPassword")->setText("pw");

        bool disabledWhileWaiting = false;
        int pressesDuringWait = 0;
        QTimer presser;
        connect(&presser, &QTimer::timeout, this, [&] {
            if (!m_link->busy())
                return;
            ++pressesDuringWait;
            disabledWhileWaiting = !button("cmdOK")->isEnabled() && !button("Command1")->isEnabled() &&
                                   !button("cmdCancel")->isEnabled() && !button("Command4")->isEnabled();
            // Straight to the handlers, as a queued double-click or Enter would.
            button("cmdOK")->click();
            button("Command1")->click();
            button("cmdCancel")->click();
            QTest::keyClick(w, Qt::Key_Return);
            QTest::keyClick(w, Qt::Key_Escape);
        });
        presser.start(50);
        QTest::mouseClick(button("cmdOK"), Qt::LeftButton);
        presser.stop();

        QVERIFY(pressesDuringWait > 0);
        QVERIFY(disabledWhileWaiting);
        QCOMPARE(peer.requests.size(), 1);
        QCOMPARE(offline.size(), 0);
        QCOMPARE(main.size(), 0);
        QVERIFY(w->isVisible());
        QCOMPARE(m_prompter.shown.size(), 1); // the network message of the one request
        QVERIFY(button("cmdOK")->isEnabled());
        QVERIFY(button("Command1")->isEnabled());
    }
};

QTEST_MAIN(TestFrmLogin)
#include "tst_frmLogin.moc"
