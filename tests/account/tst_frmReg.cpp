#include "account/frmLogin.h"
#include "account/frmPswd.h"
#include "account/frmReg.h"
#include "app/Application.h"
#include "core/TextCodec.h"
#include "support/RawHttpPeer.h"
#include "support/ServerProcess.h"
#include "support/WindowRig.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace corvanta;
using corvanta::test::RawHttpPeer;
using corvanta::test::ServerProcess;

namespace {

const QColor kWhite(255, 255, 255);
const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);

} // namespace

// The registration window against the real score server.
class TestFrmReg : public QObject, private corvanta::test::WindowRig
{
    Q_OBJECT

    QTemporaryDir m_settingsDir;
    ServerProcess m_server;
    std::unique_ptr<frmReg> m_window;
    int m_serial = 0;

    frmReg *open(const QString &base)
    {
        m_window.reset();
        linkTo(base);
        m_link->setTimeoutMs(5000);
        m_window = std::make_unique<frmReg>(context());
        m_window->show();
        return m_window.get();
    }
    template <typename T> T *child(const char *name) { return WindowRig::child<T>(m_window.get(), name); }
    QLineEdit *box(const char *name) { return child<QLineEdit>(name); }
    QPushButton *registerButton() { return child<QPushButton>("Command1"); }
    QString status() { return child<QLabel>("Label5")->text(); }
    QColor nameColour() { return box("Text1")->palette().color(QPalette::Base); }
    QString freshName() { return QStringLiteral("new%1x").arg(++m_serial); }
    // A name the server has confirmed free, and the required boxes filled.
    void fillFree(const QString &name, const QString &email = QStringLiteral("li@school.example.cn"))
    {
        box("Text1")->setText(name);
        QTRY_COMPARE(status(), QStringLiteral("√"));
        box("Text2")->setText(QStringLiteral("log1n"));
        box("Text3")->setText(QStringLiteral("oper1"));
        box("Text4")->setText(QStringLiteral("李老师"));
        box("Text5")->setText(email);
    }
    bool nameIsFree(const QString &name)
    {
        return m_server.get(QStringLiteral("/score/checkusername.php"), {{"u", name}}).text() == u"√";
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_settingsDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QVERIFY2(m_server.start(), qPrintable(m_server.errorText()));
        QVERIFY(m_server.registerTeacher(QStringLiteral("takn01"), "login", "oper"));
    }
    void init() { resetRig(m_server.baseUrl(), m_server.baseUrl()); }
    void cleanup()
    {
        m_window.reset();
        dropRig();
    }

    void controls()
    {
        frmReg *w = open(m_server.baseUrl());
        QCOMPARE(w->objectName(), QStringLiteral("frmReg"));
        QCOMPARE(w->windowTitle(), QStringLiteral("用户注册"));
        QCOMPARE(child<QGroupBox>("Frame1")->title(), QStringLiteral("必填信息"));
        QCOMPARE(child<QGroupBox>("Frame2")->title(), QStringLiteral("选填信息"));
        const QList<QPair<const char *, QString>> labels = {
            {"Label1", "登录帐号："}, {"Label5", "4位以上字母数字_"},
            {"Label2", "登录密码："}, {"Label6", "读取数据使用"},
            {"Label3", "操作密码："}, {"Label7", "上传修改数据用"},
            {"Label4", "教师姓名："}, {"Label8", "电子邮箱："},
            {"Label9", "手机："},     {"Label10", "电话："},
            {"Label11", "QQ："}};
        for (const auto &[name, caption] : labels)
            QCOMPARE(child<QLabel>(name)->text(), caption);
        QCOMPARE(registerButton()->text(), QStringLiteral("注册"));
        QCOMPARE(child<QPushButton>("Command2")->text(), QStringLiteral("返回"));
        QVERIFY(!registerButton()->isEnabled());
        for (const char *name : {"Text2", "Text3"}) {
            QCOMPARE(box(name)->echoMode(), QLineEdit::Password);
            QVERIFY(box(name)->styleSheet().contains("lineedit-password-character: 42"));
        }
        for (const char *name : {"Text1", "Text4", "Text5", "Text6", "Text7", "Text8"})
            QCOMPARE(box(name)->echoMode(), QLineEdit::Normal);
        // Every caption fits its control.
        for (QWidget *c : w->findChildren<QWidget *>()) {
            if (qobject_cast<QLabel *>(c) || qobject_cast<QPushButton *>(c) || qobject_cast<QCheckBox *>(c))
                QVERIFY2(c->sizeHint().width() <= c->width(), qPrintable(c->objectName()));
            QVERIFY2(c->parentWidget()->rect().contains(c->geometry()), qPrintable(c->objectName()));
        }
    }

    // What the account box shows as the name is typed, answered by the server.
    void nameCheck_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QColor>("colour");
        QTest::newRow("two letters") << "ab" << QStringLiteral("4位以上字母数字_") << kRed;
        QTest::newRow("hyphen") << "ab-cd" << QStringLiteral("非法字符") << kRed;
        QTest::newRow("blank") << "ab cd" << QStringLiteral("非法字符") << kRed;
        QTest::newRow("taken") << "takn01" << QStringLiteral("该帐号已被注册") << kRed;
        QTest::newRow("free") << "free01" << QStringLiteral("√") << kGreen;
        QTest::newRow("upper case") << "FrEe02" << QStringLiteral("√") << kGreen;
    }
    void nameCheck()
    {
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QColor, colour);
        open(m_server.baseUrl());
        QTest::keyClicks(box("Text1"), typed);
        QTRY_COMPARE(status(), shown);
        QTRY_COMPARE(nameColour(), colour);
        QCOMPARE(registerButton()->isEnabled(), colour == kGreen);
    }

    // Names go as typed, letter case and all; short or bad ones are not sent.
    void namesSentAsTyped()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, toGbk(QStringLiteral("√")));
        open(peer.base());
        for (const QString name : {"ab", "a-bcd", "AbCd"}) {
            box("Text1")->setText(name);
            QTest::qWait(50);
        }
        QTRY_COMPARE(peer.requests.size(), 1);
        QCOMPARE(RawHttpPeer::requestLine(peer.requests[0]),
                 QByteArray("GET /score/checkusername.php?u=AbCd HTTP/1.1"));
        QTRY_VERIFY(registerButton()->isEnabled());
    }

    // Typing on while a check runs: only the answer for the name now in the box counts.
    void onlyTheLastNameCounts_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("shown");
        QTest::newRow("free, then taken") << "free03"
                                          << "takn01" << QStringLiteral("该帐号已被注册");
        QTest::newRow("taken, then free") << "takn01"
                                          << "free04" << QStringLiteral("√");
        QTest::newRow("free, then bad") << "free05"
                                        << "free05-" << QStringLiteral("非法字符");
        QTest::newRow("free, then short") << "free06"
                                          << "fr" << QStringLiteral("4位以上字母数字_");
    }
    void onlyTheLastNameCounts()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, shown);
        open(m_server.baseUrl());
        box("Text1")->setText(first); // no events in between: the first question is still out
        box("Text1")->setText(last);
        QTRY_COMPARE(status(), shown);
        QTest::qWait(300); // a late answer for the first name would show now
        QCOMPARE(status(), shown);
        QCOMPARE(registerButton()->isEnabled(), shown == u"√");
        QCOMPARE(nameColour(), shown == u"√" ? kGreen : kRed);
    }

    void unreachableServerKeepsRegisteringOff()
    {
        open(RawHttpPeer::closedBase());
        box("Text1")->setText("abcd");
        QTRY_COMPARE(nameColour(), kRed);
        QCOMPARE(status(), QString());
        QVERIFY(!registerButton()->isEnabled());
    }

    // The checks in their order, each with its message and the box that gets the focus;
    // nothing is sent.
    void checks_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("teacher name") << "Text4"
                                      << " " << QStringLiteral("请输入教师姓名！") << "Text4";
        QTest::newRow("email empty") << "Text5"
                                     << "" << QStringLiteral("请输入Email地址！") << "Text5";
        QTest::newRow("domain without dot") << "Text5"
                                            << "li@school" << QStringLiteral("Email地址不正确！") << "Text5";
        QTest::newRow("leading blank") << "Text5"
                                       << " li@school.cn" << QStringLiteral("Email地址不正确！") << "Text5";
        QTest::newRow("login password") << "Text2"
                                        << "  " << QStringLiteral("请输入登录密码！") << "Text2";
        QTest::newRow("operation password") << "Text3"
                                            << "" << QStringLiteral("请输入操作密码！") << "Text3";
    }
    void checks()
    {
        QFETCH(QString, box);
        QFETCH(QString, value);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        frmReg *w = open(m_server.baseUrl());
        const QString name = freshName();
        fillFree(name);
        this->box(qPrintable(box))->setText(value);
        QTest::mouseClick(registerButton(), Qt::LeftButton);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("提示"));
        QCOMPARE(m_prompter.last()->text, message);
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Warning);
        QCOMPARE(w->focusWidget(), this->box(qPrintable(focus)));
        QVERIFY(nameIsFree(name));
        QVERIFY(w->isVisible());
    }

    // A dotted domain passes and the account is made.
    void dottedDomainRegisters()
    {
        frmReg *w = open(m_server.baseUrl());
        QSignalSpy back(w, &frmReg::loginWindowRequested);
        QSignalSpy registered(w, &frmReg::accountRegistered);
        const QString name = freshName();
        fillFree(name, QStringLiteral("li.ming@mail.school.edu.cn"));
        box("Text6")->setText("13800000000");
        QTest::mouseClick(registerButton(), Qt::LeftButton);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("成功"));
        QCOMPARE(m_prompter.last()->text,
                 QStringLiteral("注册成功！\r\n请用您的帐号和登录密码登录！\r\n请牢记您的操作密码！"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Information);
        QVERIFY(!nameIsFree(name));
        QCOMPARE(registered.size(), 1);
        QCOMPARE(registered[0][0].toString(), name);
        QCOMPARE(back.size(), 1);
        QVERIFY(!w->isVisible());
        // Emptied for the next teacher; the optional fields keep their text.
        for (const char *b : {"Text1", "Text2", "Text3", "Text4", "Text5"})
            QCOMPARE(box(b)->text(), QString());
        QCOMPARE(box("Text6")->text(), QStringLiteral("13800000000"));
        QCOMPARE(nameColour(), kWhite);
        QVERIFY(!registerButton()->isEnabled());
        QCOMPARE(status(), QStringLiteral("4位以上字母数字_"));
    }

    // Empty optional fields still stand in the body; a reply other than "Success!" is
    // shown with the window's failure text, and nothing changes.
    void bodyAndRejection()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, toGbk(QStringLiteral("√")));
        frmReg *w = open(peer.base());
        box("Text1")->setText("Abcd");
        QTRY_VERIFY(registerButton()->isEnabled());
        box("Text2")->setText(" pw1 ");
        box("Text3")->setText("op&1");
        box("Text4")->setText(QStringLiteral("王老师"));
        box("Text5")->setText("w@x.cn");
        QTest::mouseClick(registerButton(), Qt::LeftButton);
        QCOMPARE(peer.requests.size(), 2);
        QCOMPARE(RawHttpPeer::requestLine(peer.requests[1]),
                 QByteArray("POST /score/regteacher.php HTTP/1.1"));
        QCOMPARE(RawHttpPeer::body(peer.requests[1]),
                 QByteArray("username=Abcd&teachername=%CD%F5%C0%CF%CA%A6&password=pw1&superpassword=op%261"
                            "&email=w@x.cn&mb=&tel=&qq="));
        QCOMPARE(m_prompter.last()->title, QStringLiteral("登录"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("√注册失败，请重试!"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Warning);
        QVERIFY(w->isVisible());
        QCOMPARE(box("Text1")->text(), QStringLiteral("Abcd"));
        QCOMPARE(box("Text2")->text(), QStringLiteral(" pw1 "));
        QVERIFY(registerButton()->isEnabled());
    }

    // Taken between the check and the click: the server's reason and the failure text.
    void takenMeanwhile()
    {
        open(m_server.baseUrl());
        const QString name = freshName();
        fillFree(name);
        QVERIFY(m_server.registerTeacher(name, "x", "y"));
        QTest::mouseClick(registerButton(), Qt::LeftButton);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("登录"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("该帐号已被注册！注册失败，请重试!"));
    }

    void networkFailure()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, toGbk(QStringLiteral("√")));
        frmReg *w = open(peer.base());
        fillFree("abcd");
        peer.response = RawHttpPeer::reply(503, "busy");
        QTest::mouseClick(registerButton(), Qt::LeftButton);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("错误"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("busy\r\n网络异常！"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::None);
        QVERIFY(w->isVisible());
        QCOMPARE(box("Text1")->text(), QStringLiteral("abcd"));
    }

    // "返回", Esc and closing lead back to the login window; passwords do not stay.
    void leaving_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("返回") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("close") << 2;
    }
    void leaving()
    {
        QFETCH(int, how);
        frmReg *w = open(m_server.baseUrl());
        QSignalSpy back(w, &frmReg::loginWindowRequested);
        box("Text2")->setText("secret");
        box("Text3")->setText("secret2");
        box("Text4")->setText(QStringLiteral("李老师"));
        if (how == 0)
            QTest::mouseClick(child<QPushButton>("Command2"), Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(w, Qt::Key_Escape);
        else
            w->close();
        QCOMPARE(back.size(), 1);
        QVERIFY(!w->isVisible());
        QCOMPARE(box("Text2")->text(), QString());
        QCOMPARE(box("Text3")->text(), QString());
        w->show();
        // Hidden, the other boxes keep their text; closed, the window starts afresh.
        QCOMPARE(box("Text4")->text(), how == 2 ? QString() : QStringLiteral("李老师"));
    }

    // From the login window through registration back to it, and the new account logs in.
    void registerAndLogIn()
    {
        AppConfig config;
        config.dataDir = m_dir->path();
        config.serverBase = m_server.baseUrl();
        config.vendorBase = m_server.baseUrl();
        Application app(config, &m_prompter, &m_clock, &m_random);
        frmLogin *login = app.loginWindow();
        frmReg *reg = app.registrationWindow();
        login->setConnectionProbe([] { return true; });
        login->show();
        auto *toRegister = login->findChild<QPushButton *>("Command2");
        QTRY_VERIFY(toRegister->isEnabled());
        QTest::mouseClick(toRegister, Qt::LeftButton);
        QVERIFY(!login->isVisible());
        QVERIFY(reg->isVisible());

        const QString name = freshName();
        auto *text1 = reg->findChild<QLineEdit *>("Text1");
        QTest::keyClicks(text1, name);
        QTRY_VERIFY(reg->findChild<QPushButton *>("Command1")->isEnabled());
        reg->findChild<QLineEdit *>("Text2")->setText("first-pw");
        reg->findChild<QLineEdit *>("Text3")->setText("oper-pw");
        reg->findChild<QLineEdit *>("Text4")->setText(QStringLiteral("赵老师"));
        reg->findChild<QLineEdit *>("Text5")->setText("zhao@school.example.cn");
        QTest::mouseClick(reg->findChild<QPushButton *>("Command1"), Qt::LeftButton);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("成功"));
        QVERIFY(!reg->isVisible());
        QVERIFY(login->isVisible());
        auto *combo = login->findChild<QComboBox *>("ComboUser");
        QCOMPARE(combo->currentText(), name);

        auto *ok = login->findChild<QPushButton *>("cmdOK");
        QTRY_VERIFY(ok->isEnabled());
        login->findChild<QLineEdit *>("txtPassword")->setText("first-pw");
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(app.context().login.LoginUser, name);
        QCOMPARE(app.context().login.LoginDigest, Md5Hex("first-pw"));
        QVERIFY(!login->isVisible());
    }

    // "忘记密码" leads to the reset window and "返回" back; the login window keeps its name.
    void resetWindowRoundTrip()
    {
        AppConfig config;
        config.dataDir = m_dir->path();
        config.serverBase = m_server.baseUrl();
        config.vendorBase = m_server.baseUrl();
        Application app(config, &m_prompter, &m_clock, &m_random);
        frmLogin *login = app.loginWindow();
        login->show();
        login->setAccountName("someone");
        QTest::mouseClick(login->findChild<QPushButton *>("Command3"), Qt::LeftButton);
        QVERIFY(!login->isVisible());
        QWidget *reset = app.resetWindow();
        QVERIFY(reset->isVisible());
        QTest::mouseClick(reset->findChild<QPushButton *>("Command2"), Qt::LeftButton);
        QVERIFY(!reset->isVisible());
        QVERIFY(login->isVisible());
        QCOMPARE(login->findChild<QComboBox *>("ComboUser")->currentText(), QStringLiteral("someone"));
    }
};

QTEST_MAIN(TestFrmReg)
#include "tst_frmReg.moc"
