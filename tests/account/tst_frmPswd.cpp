#include "account/frmPswd.h"
#include "core/TextCodec.h"
#include "support/RawHttpPeer.h"
#include "support/ServerProcess.h"
#include "support/WindowRig.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace corvanta;
using corvanta::test::RawHttpPeer;
using corvanta::test::ServerProcess;

// The password-reset window against the real score server, which writes its mail into a
// folder the test reads the check code from.
class TestFrmPswd : public QObject, private corvanta::test::WindowRig
{
    Q_OBJECT

    ServerProcess m_server;
    std::unique_ptr<frmPswd> m_window;
    int m_serial = 0;

    frmPswd *open(const QString &base)
    {
        m_window.reset();
        linkTo(base);
        m_link->setTimeoutMs(5000);
        m_window = std::make_unique<frmPswd>(context());
        m_window->show();
        return m_window.get();
    }
    template <typename T> T *child(const char *name) { return WindowRig::child<T>(m_window.get(), name); }
    QLineEdit *box(const char *name) { return child<QLineEdit>(name); }
    QPushButton *button(const char *name) { return child<QPushButton>(name); }
    QCheckBox *check(const char *name) { return child<QCheckBox>(name); }

    // A teacher of its own for each test: failed codes count against the account.
    QString newTeacher()
    {
        const QString name = QStringLiteral("reset%1").arg(++m_serial);
        if (!m_server.registerTeacher(name, "old-login", "old-oper", QStringLiteral("周老师"),
                                      name + "@school.example.cn"))
            return {};
        return name;
    }
    // The six digits of the newest mail.
    // The code of the account's mail; mail leaves the server on a thread of its own, so it
    // may come a moment after the reply.
    QString mailedCode(const QString &account)
    {
        QString body;
        if (!QTest::qWaitFor(
                [&] {
                    const QStringList mails = m_server.mails();
                    if (mails.isEmpty())
                        return false;
                    QFile file(mails.last());
                    if (!file.open(QIODevice::ReadOnly))
                        return false;
                    QByteArray message = file.readAll();
                    body = QString::fromUtf8(QByteArray::fromBase64(
                        message.mid(message.indexOf("\r\n\r\n") + 4).replace("\r\n", "")));
                    return body.contains(account);
                },
                5000))
            return {};
        return QRegularExpression(QStringLiteral("验证码是：(\\d{6})")).match(body).captured(1);
    }
    bool loginAccepted(const QString &name, const QString &password)
    {
        return m_server.post("/score/checkpassword.php", {{"username", name}, {"password", password}}).body ==
               "Success!";
    }
    bool operationAccepted(const QString &name, const QString &password)
    {
        return m_server.setClasses(name, password, {"A"});
    }
    void askCode(const QString &name, const QString &email)
    {
        box("Text1")->setText(name);
        box("Text2")->setText(email);
        QTest::mouseClick(button("Command3"), Qt::LeftButton);
    }

private slots:
    void initTestCase() { QVERIFY2(m_server.start(), qPrintable(m_server.errorText())); }
    void init()
    {
        resetRig(m_server.baseUrl(), m_server.baseUrl());
        m_config.contactAddress = QStringLiteral("help@corvanta.example");
    }
    void cleanup()
    {
        m_window.reset();
        dropRig();
    }

    void controls()
    {
        frmPswd *w = open(m_server.baseUrl());
        QCOMPARE(w->objectName(), QStringLiteral("frmPswd"));
        QCOMPARE(w->windowTitle(), QStringLiteral("重置密码"));
        QCOMPARE(child<QLabel>("Label1")->text(), QStringLiteral("帐号:"));
        QCOMPARE(child<QLabel>("Label2")->text(), QStringLiteral("Email:"));
        QCOMPARE(child<QLabel>("Label3")->text(), QStringLiteral("验证码:"));
        QCOMPARE(box("Text1")->placeholderText(), QStringLiteral("请输入你的登陆帐号"));
        QCOMPARE(box("Text2")->placeholderText(), QStringLiteral("请输入注册时填写的Email"));
        QCOMPARE(button("Command3")->text(), QStringLiteral("发送验证码"));
        QCOMPARE(button("Command1")->text(), QStringLiteral("重置密码"));
        QCOMPARE(button("Command2")->text(), QStringLiteral("返回"));
        QCOMPARE(check("Check1")->text(), QStringLiteral("登录密码"));
        QCOMPARE(check("Check2")->text(), QStringLiteral("操作密码"));
        QVERIFY(child<QLabel>("Label4")->text().contains(QStringLiteral("help@corvanta.example")));
        QVERIFY(!button("Command1")->isEnabled());
        QVERIFY(!button("Command3")->isEnabled());
        for (const char *name : {"Text3", "Text4"}) {
            QCOMPARE(box(name)->echoMode(), QLineEdit::Password);
            QVERIFY(box(name)->styleSheet().contains("lineedit-password-character: 42"));
            QVERIFY(!box(name)->isVisible());
        }
        for (QWidget *c : w->findChildren<QWidget *>()) {
            if (qobject_cast<QPushButton *>(c) || qobject_cast<QCheckBox *>(c) ||
                (qobject_cast<QLabel *>(c) && !qobject_cast<QLabel *>(c)->wordWrap()))
                QVERIFY2(c->sizeHint().width() <= c->width(), qPrintable(c->objectName()));
            QVERIFY2(w->rect().contains(c->geometry()), qPrintable(c->objectName()));
        }
        auto *notice = child<QLabel>("Label4");
        QVERIFY(notice->heightForWidth(notice->width()) <= notice->height());
    }

    // The enabling rule as the teacher types and ticks.
    void enabling()
    {
        open(m_server.baseUrl());
        box("Text1")->setText(" t01 ");
        QVERIFY(!button("Command3")->isEnabled());
        box("Text2")->setText("a@b.cn");
        QVERIFY(button("Command3")->isEnabled());
        box("TxtCheckCode")->setText("123456");
        QVERIFY(!button("Command1")->isEnabled()); // nothing ticked
        QTest::mouseClick(check("Check1"), Qt::LeftButton);
        QVERIFY(box("Text3")->isVisible());
        QVERIFY(!button("Command1")->isEnabled()); // ticked, but no new password
        QTest::keyClicks(box("Text3"), "x");
        QVERIFY(button("Command1")->isEnabled());
        QTest::mouseClick(check("Check2"), Qt::LeftButton);
        QVERIFY(box("Text4")->isVisible());
        QVERIFY(!button("Command1")->isEnabled());
        box("Text4")->setText("y");
        QVERIFY(button("Command1")->isEnabled());
        // Both unticked: off, whatever the boxes hold.
        QTest::mouseClick(check("Check1"), Qt::LeftButton);
        QTest::mouseClick(check("Check2"), Qt::LeftButton);
        QVERIFY(!box("Text3")->isVisible());
        QVERIFY(!box("Text4")->isVisible());
        QVERIFY(!button("Command1")->isEnabled());
    }

    void checkCodeReplies_data()
    {
        QTest::addColumn<bool>("rightEmail");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::newRow("right address")
            << true << QStringLiteral("请查收") << QStringLiteral("验证码已经发送到您的邮箱:")
            << int(PromptIcon::Information);
        QTest::newRow("wrong address")
            << false << QStringLiteral("请重试") << QStringLiteral("用户名或者Email有误，请查证后重试！")
            << int(PromptIcon::Warning);
    }
    void checkCodeReplies()
    {
        QFETCH(bool, rightEmail);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(int, icon);
        open(m_server.baseUrl());
        const QString name = newTeacher();
        const QString email =
            rightEmail ? name + "@school.example.cn" : QStringLiteral("other@school.example.cn");
        const qsizetype mailsBefore = m_server.mails().size();
        askCode(name, email);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.last()->title, title);
        QCOMPARE(m_prompter.last()->text, rightEmail ? text + email : text);
        QCOMPARE(int(m_prompter.last()->icon), icon);
        QTRY_COMPARE(m_server.mails().size(), mailsBefore + (rightEmail ? 1 : 0));
        QVERIFY(button("Command3")->isEnabled());
    }

    // A second code within a minute: the server says so, and the window shows it as it
    // stands (not as a wrong account or e-mail).
    void secondCodeTooSoon()
    {
        open(m_server.baseUrl());
        const QString name = newTeacher();
        askCode(name, name + "@school.example.cn");
        QCOMPARE(m_prompter.last()->title, QStringLiteral("请查收"));
        askCode(name, name + "@school.example.cn");
        QCOMPARE(m_prompter.shown.size(), 2);
        QCOMPARE(m_prompter.last()->text, QStringLiteral("验证码发送过于频繁，请一分钟后再试！"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Warning);
    }

    void checkCodeWithoutServer()
    {
        open(RawHttpPeer::closedBase());
        askCode("t01", "a@b.cn");
        QCOMPARE(m_prompter.last()->title, QStringLiteral("错误"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("无法连接到服务器"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Critical);
    }

    // The server's own reason (a mail that could not go out) is shown as it came, not as a
    // connection problem.
    void checkCodeOtherReply()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, toGbk(QStringLiteral("邮件发送失败")));
        open(peer.base());
        askCode(" t01 ", "a@b.cn ");
        QCOMPARE(RawHttpPeer::requestLine(peer.requests.value(0)),
                 QByteArray("GET /score/getpswdcode.php?username=%20t01%20&email=a@b.cn%20 HTTP/1.1"));
        QCOMPARE(m_prompter.last()->title, QStringLiteral("错误"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("邮件发送失败"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Warning);
    }

    // The code from the mail resets the chosen password(s); the other stays.
    void resetWithMailedCode_data()
    {
        QTest::addColumn<bool>("newLogin");
        QTest::addColumn<bool>("newOperation");
        QTest::newRow("login password") << true << false;
        QTest::newRow("operation password") << false << true;
        QTest::newRow("both") << true << true;
    }
    void resetWithMailedCode()
    {
        QFETCH(bool, newLogin);
        QFETCH(bool, newOperation);
        frmPswd *w = open(m_server.baseUrl());
        const QString name = newTeacher();
        askCode(name, name + "@school.example.cn");
        const QString code = mailedCode(name);
        QCOMPARE(code.size(), 6);
        box("TxtCheckCode")->setText(" " + code + " ");
        if (newLogin) {
            QTest::mouseClick(check("Check1"), Qt::LeftButton);
            box("Text3")->setText(" new-login ");
        }
        if (newOperation) {
            QTest::mouseClick(check("Check2"), Qt::LeftButton);
            box("Text4")->setText("new-oper");
        }
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("成功"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("密码修改成功！"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Information);
        QVERIFY(w->isVisible());
        QCOMPARE(loginAccepted(name, "new-login"), newLogin);
        QCOMPARE(loginAccepted(name, "old-login"), !newLogin);
        QCOMPARE(operationAccepted(name, "new-oper"), newOperation);
        QCOMPARE(operationAccepted(name, "old-oper"), !newOperation);
    }

    void wrongCode()
    {
        open(m_server.baseUrl());
        const QString name = newTeacher();
        askCode(name, name + "@school.example.cn");
        const QString code = mailedCode(name);
        box("TxtCheckCode")->setText(code == "000000" ? "000001" : "000000");
        QTest::mouseClick(check("Check1"), Qt::LeftButton);
        box("Text3")->setText("new-login");
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("错误"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("验证码错误，请重试！"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Warning);
        QVERIFY(loginAccepted(name, "old-login"));
    }

    // After too many wrong codes the server says so; the teacher is told, not left without
    // an answer.
    void lockOutIsShown()
    {
        open(m_server.baseUrl());
        const QString name = newTeacher();
        askCode(name, name + "@school.example.cn");
        const QString code = mailedCode(name);
        QTest::mouseClick(check("Check2"), Qt::LeftButton);
        box("Text4")->setText("new-oper");
        for (int i = 0; i < 5; ++i) {
            const QString wrong = QString::number(100000 + i);
            box("TxtCheckCode")->setText(wrong == code ? QStringLiteral("999999") : wrong);
            QTest::mouseClick(button("Command1"), Qt::LeftButton);
            QCOMPARE(m_prompter.last()->text, QStringLiteral("验证码错误，请重试！"));
        }
        box("TxtCheckCode")->setText(code);
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("错误"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("验证码错误次数过多，请10分钟后再试！"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Warning);
    }

    // Only the operation password ticked: the login password goes empty; the account
    // keeps its blanks.
    void bodyWithOperationPasswordOnly()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(200, "success");
        open(peer.base());
        box("Text1")->setText(" t01 ");
        box("TxtCheckCode")->setText(" 123456 ");
        QTest::mouseClick(check("Check1"), Qt::LeftButton);
        box("Text3")->setText("not-this");
        QTest::mouseClick(check("Check1"), Qt::LeftButton);
        QTest::mouseClick(check("Check2"), Qt::LeftButton);
        box("Text4")->setText(" op2 ");
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(peer.requests.size(), 1);
        QCOMPARE(RawHttpPeer::requestLine(peer.requests[0]),
                 QByteArray("POST /score/setpassword.php HTTP/1.1"));
        QCOMPARE(RawHttpPeer::body(peer.requests[0]),
                 QByteArray("username= t01 &checkcode=123456&newpswd=&newsuperpswd=op2"));
    }

    // A broken transfer: said, and the "Email:" label says it until the window is loaded again.
    void resetNetworkFailure()
    {
        RawHttpPeer peer;
        QVERIFY(peer.listen());
        peer.response = RawHttpPeer::reply(500, "oops");
        frmPswd *w = open(peer.base());
        box("Text1")->setText("t01");
        box("TxtCheckCode")->setText("123456");
        QTest::mouseClick(check("Check1"), Qt::LeftButton);
        box("Text3")->setText("x");
        QTest::mouseClick(button("Command1"), Qt::LeftButton);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("错误"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("网络异常！"));
        QCOMPARE(m_prompter.last()->icon, PromptIcon::Warning);
        QCOMPARE(child<QLabel>("Label2")->text(), QStringLiteral("网络异常！"));
        QVERIFY(button("Command1")->isEnabled());
        w->close();
        w->show();
        QCOMPARE(child<QLabel>("Label2")->text(), QStringLiteral("Email:"));
        QCOMPARE(box("Text1")->text(), QString());
    }

    // "返回", Esc and closing lead back to the login window; new passwords do not stay.
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
        frmPswd *w = open(m_server.baseUrl());
        QSignalSpy back(w, &frmPswd::loginWindowRequested);
        box("Text1")->setText("t01");
        QTest::mouseClick(check("Check1"), Qt::LeftButton);
        QTest::mouseClick(check("Check2"), Qt::LeftButton);
        box("Text3")->setText("secret");
        box("Text4")->setText("secret2");
        if (how == 0)
            QTest::mouseClick(button("Command2"), Qt::LeftButton);
        else if (how == 1)
            QTest::keyClick(w, Qt::Key_Escape);
        else
            w->close();
        QCOMPARE(back.size(), 1);
        QVERIFY(!w->isVisible());
        QCOMPARE(box("Text3")->text(), QString());
        QCOMPARE(box("Text4")->text(), QString());
        w->show();
        QCOMPARE(box("Text1")->text(), how == 2 ? QString() : QStringLiteral("t01"));
    }
};

QTEST_MAIN(TestFrmPswd)
#include "tst_frmPswd.moc"
