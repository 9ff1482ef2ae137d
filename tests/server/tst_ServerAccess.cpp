// The score server's account pages through the real binary on a free port: registration,
// the sign-in and operation passwords, their lock-outs and check codes, and requests it refuses.
#include "ServerPagesRig.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace corvanta;
using namespace corvanta::test::pages;
using corvanta::test::ServerProcess;

class TestServerAccess : public QObject, public ServerPagesRig
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        CORVANTA_SKIP_WITHOUT_POSTGRES();
        QVERIFY2(m_server.start(), qPrintable(m_server.errorText()));
    }

    void registration_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("email");
        QTest::addColumn<QString>("login");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("reply");
        QTest::newRow("accepted") << "reg_ok1"
                                  << "李老师"
                                  << "li@example.org"
                                  << "a"
                                  << "b" << kOk;
        QTest::newRow("taken ignoring case") << "REG_OK1"
                                             << "x"
                                             << "x@example.org"
                                             << "a"
                                             << "b"
                                             << "该帐号已被注册！";
        QTest::newRow("too short") << "abc"
                                   << "x"
                                   << "x@example.org"
                                   << "a"
                                   << "b"
                                   << "帐号只能由字母、数字和下划线组成，至少4位！";
        QTest::newRow("hyphen") << "ab-cd"
                                << "x"
                                << "x@example.org"
                                << "a"
                                << "b"
                                << "帐号只能由字母、数字和下划线组成，至少4位！";
        QTest::newRow("no teacher name") << "reg_ok2"
                                         << "  "
                                         << "x@example.org"
                                         << "a"
                                         << "b"
                                         << "请输入教师姓名！";
        QTest::newRow("email without dot") << "reg_ok2"
                                           << "x"
                                           << "x@example"
                                           << "a"
                                           << "b"
                                           << "Email地址不正确！";
        QTest::newRow("no login password") << "reg_ok2"
                                           << "x"
                                           << "x@example.org"
                                           << " "
                                           << "b"
                                           << "请输入登录密码！";
        QTest::newRow("no operation password") << "reg_ok2"
                                               << "x"
                                               << "x@example.org"
                                               << "a"
                                               << ""
                                               << "请输入操作密码！";
    }
    void registration()
    {
        QFETCH(QString, account);
        QFETCH(QString, name);
        QFETCH(QString, email);
        QFETCH(QString, login);
        QFETCH(QString, operation);
        QFETCH(QString, reply);
        const auto r = m_server.post("/score/regteacher.php", {{"username", account},
                                                               {"teachername", name},
                                                               {"password", login},
                                                               {"superpassword", operation},
                                                               {"email", email},
                                                               {"mb", ""},
                                                               {"tel", ""},
                                                               {"qq", ""}});
        QCOMPARE(r.status, 200);
        QCOMPARE(r.text(), reply);
    }

    void checkUsername_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reply");
        QTest::newRow("free") << "free_name"
                              << "√";
        QTest::newRow("taken") << "reg_ok1"
                               << "该帐号已被注册";
        QTest::newRow("taken other case") << "Reg_Ok1"
                                          << "该帐号已被注册";
        QTest::newRow("short") << "ab"
                               << "4位以上字母数字_";
        QTest::newRow("illegal") << "ab-cd"
                                 << "非法字符";
        QTest::newRow("chinese") << "张三三三"
                                 << "非法字符";
    }
    void checkUsername()
    {
        QFETCH(QString, name);
        QFETCH(QString, reply);
        QCOMPARE(m_server.get("/score/checkusername.php", {{"u", name}}).text(), reply);
    }

    void checkPassword_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("right") << "密码abc" << true;
        QTest::newRow("right, blanks around") << " 密码abc " << true;
        QTest::newRow("wrong") << "密码abd" << false;
        QTest::newRow("empty") << "" << false;
    }
    void checkPassword()
    {
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        static const QString account = newTeacher(QStringLiteral("密码abc"));
        const auto r =
            m_server.post("/score/checkpassword.php", {{"username", account}, {"password", password}});
        QCOMPARE(r.status, 200);
        QCOMPARE(r.text() == kOk, accepted);
        if (accepted) // the GET pages know the teacher by the digest of the same password
            QVERIFY(recordFile(account, QStringLiteral("密码abc")).startsWith("Class_Is_Ready"));
    }

    void operationPasswordLockOut()
    {
        const QString t = teacherWithClasses();
        for (int i = 0; i < 4; ++i)
            QCOMPARE(
                m_server.post("/score/setketi.php", {{"username", t}, {"password", "bad"}, {"keti", "x"}})
                    .text(),
                QStringLiteral("用户名或操作密码错误！"));
        QCOMPARE(
            m_server.post("/score/setketi.php", {{"username", t}, {"password", "bad"}, {"keti", "x"}}).text(),
            QStringLiteral("密码错误次数过多，帐号已锁定10分钟，请稍后再试！"));
        // Locked: even the right password is refused, and nothing changes.
        QCOMPARE(op("/score/setketi.php", t, {{"keti", "x"}}).text(),
                 QStringLiteral("密码错误次数过多，帐号已锁定10分钟，请稍后再试！"));
        QVERIFY(recordText(t).contains(kTopic));
        // The login password is a separate secret with its own count.
        QCOMPARE(m_server.post("/score/checkpassword.php", {{"username", t}, {"password", "login"}}).text(),
                 kOk);
    }

    void loginLockOut()
    {
        const QString t = newTeacher();
        for (int i = 0; i < 5; ++i)
            QVERIFY(
                m_server.post("/score/checkpassword.php", {{"username", t}, {"password", "bad"}}).text() !=
                kOk);
        QCOMPARE(m_server.post("/score/checkpassword.php", {{"username", t}, {"password", "login"}}).text(),
                 QStringLiteral("密码错误次数过多，帐号已锁定10分钟，请稍后再试！"));
        QVERIFY(!recordFile(t).contains("Class_Is_Ready"));
    }

    void checkCodes()
    {
        const QString t = newTeacher();
        const auto code = [&](const QString &email) {
            return m_server.get("/score/getpswdcode.php", {{"username", t}, {"email", email}}).text();
        };
        QCOMPARE(code("other@example.org"), QStringLiteral("failure"));
        QCOMPARE(
            m_server.get("/score/getpswdcode.php", {{"username", "nobody_here"}, {"email", "x@example.org"}})
                .text(),
            QStringLiteral("failure"));
        const qsizetype before = m_server.mails().size();
        QCOMPARE(code("Teacher@Example.org"), QStringLiteral("success"));
        QTRY_COMPARE(m_server.mails().size(), before + 1);
        QFile mail(m_server.mails().last());
        QVERIFY(mail.open(QIODevice::ReadOnly));
        const QByteArray message = mail.readAll();
        QVERIFY(message.contains("\r\nTo: teacher@example.org\r\n"));
        const QByteArray body =
            QByteArray::fromBase64(message.mid(message.indexOf("\r\n\r\n") + 4).replace("\r\n", ""));
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("验证码是：(\\d{6})")).match(QString::fromUtf8(body));
        QVERIFY2(m.hasMatch(), body.constData());
        // The registered name "测试老师" already says 老师.
        QVERIFY2(QString::fromUtf8(body).startsWith(QStringLiteral("测试老师：\r\n")), body.constData());
        const QString checkCode = m.captured(1);

        auto reset = [&](const QString &c) {
            return m_server
                .post("/score/setpassword.php",
                      {{"username", t}, {"checkcode", c}, {"newpswd", "重置后"}, {"newsuperpswd", ""}})
                .text();
        };
        QCOMPARE(reset(checkCode == "000000" ? "000001" : "000000"), QStringLiteral("failure"));
        QCOMPARE(reset(checkCode), QStringLiteral("success"));
        QCOMPARE(reset(checkCode), QStringLiteral("failure")); // used up
        QCOMPARE(m_server.post("/score/checkpassword.php", {{"username", t}, {"password", "重置后"}}).text(),
                 kOk);
        QCOMPARE(m_server.setClasses(t, "oper", {"C"}), true); // the operation password was kept
    }

    void checkCodeLockOut()
    {
        const QString t = newTeacher();
        const qsizetype mailsBefore = m_server.mails().size();
        QCOMPARE(m_server.get("/score/getpswdcode.php", {{"username", t}, {"email", "teacher@example.org"}})
                     .text(),
                 QStringLiteral("success"));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(m_server
                         .post("/score/setpassword.php", {{"username", t},
                                                          {"checkcode", QString::number(100000 + i)},
                                                          {"newpswd", "x"},
                                                          {"newsuperpswd", ""}})
                         .text(),
                     QStringLiteral("failure"));
        // Even the mailed code is refused now, and said to be locked out; guessing a million
        // codes is out of reach.
        QTRY_COMPARE(m_server.mails().size(), mailsBefore + 1); // mail leaves on a thread of its own
        QFile mail(m_server.mails().last());
        QVERIFY(mail.open(QIODevice::ReadOnly));
        const QByteArray message = mail.readAll();
        const QString body = QString::fromUtf8(
            QByteArray::fromBase64(message.mid(message.indexOf("\r\n\r\n") + 4).replace("\r\n", "")));
        const QString checkCode = QRegularExpression(QStringLiteral("(\\d{6})")).match(body).captured(1);
        QCOMPARE(
            m_server
                .post("/score/setpassword.php",
                      {{"username", t}, {"checkcode", checkCode}, {"newpswd", "x"}, {"newsuperpswd", ""}})
                .text(),
            QStringLiteral("验证码错误次数过多，请10分钟后再试！"));
        QCOMPARE(m_server.get("/score/getpswdcode.php", {{"username", t}, {"email", "teacher@example.org"}})
                     .text(),
                 QStringLiteral("验证码错误次数过多，请10分钟后再试！"));
    }

    void malformedRequests_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reply");
        QTest::newRow("no fields") << QByteArray("POST") << QByteArray("/score/index.php") << QByteArray()
                                   << 200 << "请求缺少字段：username";
        QTest::newRow("garbage body")
            << QByteArray("POST") << QByteArray("/score/setclass.php")
            << QByteArray("%%%&&==&username=%ZZ&password&class=\xff\xfe") << 200 << "用户名或操作密码错误！";
        QTest::newRow("truncated escape")
            << QByteArray("POST") << QByteArray("/score/checkpassword.php")
            << QByteArray("username=a&password=%D") << 200 << "用户名或密码错误！";
        QTest::newRow("over 1 MiB") << QByteArray("POST") << QByteArray("/score/index.php")
                                    << QByteArray("score=") + QByteArray(1024 * 1024, 'x') << 413
                                    << "请求内容过大";
        QTest::newRow("unknown page")
            << QByteArray("GET") << QByteArray("/score/nothing.php") << QByteArray() << 404 << "页面不存在";
        QTest::newRow("wrong method") << QByteArray("GET") << QByteArray("/score/setclass.php")
                                      << QByteArray() << 405 << "不支持的请求方法";
        QTest::newRow("NUL in an account")
            << QByteArray("GET") << QByteArray("/score/record.php?t=de%00mo&mp=x") << QByteArray() << 200
            << "用户名或密码错误！";
        QTest::newRow("NUL in a login")
            << QByteArray("POST") << QByteArray("/score/checkpassword.php")
            << QByteArray("username=a%00b&password=x") << 200 << "用户名或密码错误！";
        QTest::newRow("digest page without fields") << QByteArray("GET") << QByteArray("/score/record.php")
                                                    << QByteArray() << 200 << "用户名或密码错误！";
    }
    void malformedRequests()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, target);
        QFETCH(QByteArray, body);
        QFETCH(int, status);
        QFETCH(QString, reply);
        const auto r = m_server.send(method, target, body);
        QCOMPARE(r.status, status);
        QCOMPARE(r.text(), reply);
        // The server is still there.
        QCOMPARE(m_server.get("/score/servertime.php").status, 200);
    }

    void methodNotAllowed_data()
    {
        QTest::addColumn<QByteArray>("method");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("allow");
        // The upload and the home page share an address.
        QTest::newRow("put upload") << QByteArray("PUT") << QByteArray("/score/index.php")
                                    << QByteArray("GET, POST");
        QTest::newRow("delete home") << QByteArray("DELETE") << QByteArray("/score/")
                                     << QByteArray("GET, POST");
        QTest::newRow("post bare home") << QByteArray("POST") << QByteArray("/score") << QByteArray("GET");
        QTest::newRow("get a changing page")
            << QByteArray("GET") << QByteArray("/score/setclass.php") << QByteArray("POST");
        QTest::newRow("post a reading page")
            << QByteArray("POST") << QByteArray("/score/record.php") << QByteArray("GET");
        QTest::newRow("post registration check")
            << QByteArray("POST") << QByteArray("/score/checkusername.php") << QByteArray("GET");
        QTest::newRow("patch vendor home") << QByteArray("PATCH") << QByteArray("/") << QByteArray("GET");
        QTest::newRow("post version")
            << QByteArray("POST") << QByteArray("/version.php") << QByteArray("GET");
    }
    void methodNotAllowed()
    {
        QFETCH(QByteArray, method);
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, allow);
        const auto r = m_server.send(method, path, {});
        QCOMPARE(r.status, 405);
        QCOMPARE(r.allow, allow);
        QCOMPARE(r.text(), QStringLiteral("不支持的请求方法"));
        // Only a 405 says which methods there are.
        QCOMPARE(m_server.send("GET", "/score/nothing.php", {}).allow, QByteArray());
    }

    void serverTime()
    {
        const auto r = m_server.get("/score/servertime.php", {{"t", "0.7055475"}});
        QVERIFY(r.body.size() >= 10);
        QVERIFY(qAbs(r.body.toLongLong() - QDateTime::currentSecsSinceEpoch()) < 60);
    }

    void vendorAndHtmlPages()
    {
        QVERIFY(m_server.get("/version.php", {{"s", "Selvane"}, {"t", "0.5"}}).text().startsWith("Selvane:"));
        QVERIFY(m_server.get("/version.php", {{"s", "Selvane"}}).text().size() > 8);
        for (const char *page : {"/", "/soft/update.php?sort=Selvane", "/score"}) {
            const auto r = m_server.send("GET", page, {});
            QCOMPARE(r.status, 200);
            QVERIFY2(r.body.startsWith("<!DOCTYPE html>"), page);
        }
        const QString t = teacherWithClasses();
        QVERIFY(
            m_server.upload(t, "oper", kTopic,
                            {line(kClassA, "张三", "5分", 1, "<b>好</b>"), line(kClassA, "李四", "3分", 2)}));
        const auto page = m_server.get("/score/", {{"t", t}, {"n", "1"}, {"mp", Md5Hex("login")}});
        const QString html = QString::fromUtf8(page.body);
        QVERIFY(html.contains(QStringLiteral("李四")));
        QVERIFY(!html.contains(QStringLiteral("张三"))); // only the newest one
        const auto all =
            QString::fromUtf8(m_server.get("/score/", {{"t", t}, {"n", "2"}, {"mp", Md5Hex("login")}}).body);
        QVERIFY(all.contains(QStringLiteral("&lt;b&gt;好&lt;/b&gt;")));
        QVERIFY(!QString::fromUtf8(m_server.get("/score/", {{"t", t}, {"n", "2"}, {"mp", "0"}}).body)
                     .contains(QStringLiteral("李四")));
        // The sign-in form of the home page.
        const auto signedIn =
            QString::fromUtf8(m_server.post("/score/", {{"username", t}, {"password", "login"}}).body);
        QVERIFY(signedIn.contains(kClassA) && signedIn.contains(kClassB) &&
                signedIn.contains(QStringLiteral("李四")));
        const auto refused =
            QString::fromUtf8(m_server.post("/score/", {{"username", t}, {"password", "x"}}).body);
        QVERIFY(refused.contains(QStringLiteral("用户名或密码错误！")) && !refused.contains(kClassA));
    }

    void requestLogHasNoPasswords()
    {
        const QString t = newTeacher(QStringLiteral("secret_login_pw"), QStringLiteral("secret_oper_pw"));
        QVERIFY(m_server.setClasses(t, "secret_oper_pw", {"C"}));
        QTRY_VERIFY(m_server.serverLog().contains(QStringLiteral("POST /score/setclass.php account=") + t +
                                                  " ok 200"));
        QVERIFY(!m_server.serverLog().contains("secret_"));
    }
};

QTEST_GUILESS_MAIN(TestServerAccess)
#include "tst_ServerAccess.moc"
