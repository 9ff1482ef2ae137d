// Signing in on the web pages: the session cookie, its lock-out shared with the tool's
// login, idle expiry, signing out, cookies that name no live session, and sessions shared
// by every server process on one database.
#include "WebRig.h"

#include <QCryptographicHash>

using namespace corvanta;
using namespace corvanta::server;
using corvanta::test::cookieOf;
using corvanta::test::Fields;
using corvanta::test::headerOf;
using corvanta::test::htmlOf;
using corvanta::test::isSignInForm;
using corvanta::test::textOf;
using corvanta::test::WebRig;

namespace {

const QString kWrongLogin = QStringLiteral("用户名或密码错误！");
const QString kLocked = QStringLiteral("密码错误次数过多，帐号已锁定10分钟，请稍后再试！");
const QString kSignInFirst = QStringLiteral("请先登录。");
const QString kEnded = QStringLiteral("登录已过期，请重新登录。");
constexpr qint64 kHour = 3600;

// The page the sign-in form returns to, as the form carries it; empty when it carries none.
QString returnField(const PageReply &form)
{
    static const QRegularExpression hidden(QStringLiteral("<input type=\"hidden\" name=\"next\" value=\"([^\"]*)\">"));
    return test::unescapeHtml(hidden.match(htmlOf(form)).captured(1));
}

bool signedIn(WebRig &rig, const QByteArray &cookie)
{
    const PageReply home = rig.page("/score/", {}, cookie);
    return home.status == 200 && htmlOf(home).contains(u"<h1>我的班级</h1>") &&
           htmlOf(home).contains(u"action=\"/score/signout\"");
}

} // namespace

class TestWebSessions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CORVANTA_SKIP_WITHOUT_POSTGRES();
    }

    void signInSetsASessionCookie()
    {
        WebRig rig;
        QVERIFY(rig.addTeacher());
        const PageReply r = rig.signIn("T01", "login"); // accounts ignore case, as the tool's login
        QCOMPARE(r.status, 303);
        QCOMPARE(headerOf(r, "Location"), QByteArray("/score/"));
        const QList<QByteArray> parts = headerOf(r, "Set-Cookie").split(';');
        QList<QByteArray> attributes;
        for (qsizetype i = 1; i < parts.size(); ++i)
            attributes.append(parts[i].trimmed());
        QCOMPARE(attributes, (QList<QByteArray>{"Path=/score", "HttpOnly", "SameSite=Strict"}));
        const QByteArray token = cookieOf(r).mid(qstrlen(WebSessions::kCookieName) + 1);
        QVERIFY2(WebSessions::isWellFormed(token), token.constData());
        QVERIFY(signedIn(rig, cookieOf(r)));
        // The database knows the token only by its hash.
        QVERIFY(!rig.store->session(QString::fromLatin1(token)));
        const QString hash =
            QString::fromLatin1(QCryptographicHash::hash(token, QCryptographicHash::Sha256).toHex());
        QCOMPARE(rig.store->session(hash)->teacher.account, QStringLiteral("t01"));
        // Every sign-in gets a token of its own.
        QVERIFY(rig.cookieFor() != cookieOf(r));
    }

    void secureBehindHttps()
    {
        WebRig rig;
        QVERIFY(rig.addTeacher());
        PageRequest request =
            test::fromOwnPage(test::postRequest("/score/", {{"username", "t01"}, {"password", "login"}}));
        request.headers.append(qMakePair(QByteArrayLiteral("x-forwarded-proto"), QByteArrayLiteral("https")));
        QVERIFY(headerOf(dispatch(rig.service, request), "Set-Cookie").endsWith("; Secure"));
    }

    void refusedSignIn_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("password");
        QTest::newRow("wrong password") << "t01"
                                        << "nologin";
        QTest::newRow("operation password") << "t01"
                                            << "oper";
        QTest::newRow("unknown account") << "nobody"
                                         << "login";
        QTest::newRow("blank password") << "t01"
                                        << "  ";
    }
    void refusedSignIn()
    {
        QFETCH(QString, account);
        QFETCH(QString, password);
        WebRig rig;
        QVERIFY(rig.addTeacher());
        const PageReply r = rig.signIn(account, password);
        QVERIFY(isSignInForm(r));
        QVERIFY(htmlOf(r).contains(kWrongLogin));
        QVERIFY(headerOf(r, "Set-Cookie").isEmpty());
    }

    // Web sign-in and the tool's login count their failures together, either way round.
    void lockOutSharedWithTheTool_data()
    {
        QTest::addColumn<bool>("failOnWeb");
        QTest::addColumn<bool>("thenWeb");
        QTest::newRow("web failures lock the web") << true << true;
        QTest::newRow("web failures lock the tool") << true << false;
        QTest::newRow("tool failures lock the web") << false << true;
    }
    void lockOutSharedWithTheTool()
    {
        QFETCH(bool, failOnWeb);
        QFETCH(bool, thenWeb);
        WebRig rig;
        QVERIFY(rig.addTeacher());
        auto attempt = [&](bool web, const QString &password) {
            if (web)
                return htmlOf(rig.signIn("t01", password));
            return textOf(
                rig.post("/score/checkpassword.php", {{"username", "t01"}, {"password", password}}));
        };
        for (int i = 0; i < 4; ++i)
            QVERIFY(attempt(failOnWeb, "bad").contains(kWrongLogin));
        QVERIFY(attempt(failOnWeb, "bad").contains(kLocked));
        QVERIFY(attempt(thenWeb, "login").contains(kLocked));
        rig.advance(10 * 60 + 1);
        if (thenWeb)
            QCOMPARE(rig.signIn("t01", "login").status, 303);
        else
            QCOMPARE(attempt(false, "login"), QStringLiteral("Success!"));
    }

    // Each step moves the clock by its seconds, then asks for the home page.
    void idleExpiry_data()
    {
        QTest::addColumn<QList<qint64>>("steps");
        QTest::addColumn<QList<bool>>("expected");
        QTest::newRow("just under eight hours idle") << QList<qint64>{8 * kHour - 1} << QList<bool>{true};
        QTest::newRow("eight hours idle") << QList<qint64>{8 * kHour} << QList<bool>{false};
        QTest::newRow("use keeps it")
            << QList<qint64>{5 * kHour, 5 * kHour, 7 * kHour + 50 * 60} << QList<bool>{true, true, true};
        QTest::newRow("ended stays ended") << QList<qint64>{9 * kHour, 0} << QList<bool>{false, false};
        QTest::newRow("a day of use, then idle")
            << QList<qint64>{6 * kHour, 6 * kHour, 6 * kHour, 6 * kHour, 8 * kHour}
            << QList<bool>{true, true, true, true, false};
    }
    void idleExpiry()
    {
        QFETCH(QList<qint64>, steps);
        QFETCH(QList<bool>, expected);
        WebRig rig;
        QVERIFY(rig.addTeacher());
        const QByteArray cookie = rig.cookieFor();
        for (qsizetype i = 0; i < steps.size(); ++i) {
            rig.advance(steps[i]);
            QCOMPARE(signedIn(rig, cookie), expected[i]);
        }
        if (!expected.last()) {
            const PageReply r = rig.page("/score/class", {{"class", "一班"}}, cookie);
            QVERIFY(isSignInForm(r));
            QVERIFY(htmlOf(r).contains(kEnded));
        }
    }

    void signOut()
    {
        WebRig rig;
        QVERIFY(rig.addTeacher());
        QVERIFY(rig.setClasses("t01", {"一班"}));
        const QByteArray cookie = rig.cookieFor();
        const QByteArray other = rig.cookieFor(); // another browser of the same teacher
        QVERIFY(htmlOf(rig.page("/score/", {}, cookie))
                    .contains(u"<form method=\"post\" action=\"/score/signout\">"));
        const PageReply out = rig.send(Method::Post, "/score/signout", {}, cookie);
        QCOMPARE(out.status, 303);
        QCOMPARE(headerOf(out, "Location"), QByteArray("/score/"));
        QVERIFY(headerOf(out, "Set-Cookie").startsWith(QByteArray(WebSessions::kCookieName) + "=;"));
        QVERIFY(headerOf(out, "Set-Cookie").contains("Max-Age=0"));
        QVERIFY(!signedIn(rig, cookie));
        QVERIFY(isSignInForm(rig.page("/score/class.csv", {{"class", "一班"}}, cookie)));
        QVERIFY(signedIn(rig, other));
        // Signing out twice, or without a session, is harmless.
        QCOMPARE(rig.send(Method::Post, "/score/signout", {}, cookie).status, 303);
        QCOMPARE(rig.send(Method::Post, "/score/signout", {}, {}).status, 303);
    }

    void signingInAgainEndsTheOldSession()
    {
        WebRig rig;
        QVERIFY(rig.addTeacher());
        const QByteArray old = rig.cookieFor();
        const QByteArray fresh = cookieOf(rig.signIn("t01", "login", old));
        QVERIFY(signedIn(rig, fresh));
        QVERIFY(!signedIn(rig, old));
    }

    void cookiesWithoutASession_data()
    {
        QTest::addColumn<QByteArray>("cookie");
        QTest::addColumn<QString>("message");
        const QByteArray name = QByteArray(WebSessions::kCookieName) + '=';
        QTest::newRow("none") << QByteArray() << kSignInFirst;
        QTest::newRow("forged token") << name + QByteArray(43, 'A') << kEnded;
        QTest::newRow("too short") << name + "abc" << kEnded;
        QTest::newRow("not base64url") << name + QByteArray(42, 'A') + "/" << kEnded;
        QTest::newRow("empty value") << name << kSignInFirst;
        QTest::newRow("other cookie only") << QByteArray("theme=dark") << kSignInFirst;
        QTest::newRow("huge") << name + QByteArray(100000, 'x') << kEnded;
    }
    void cookiesWithoutASession()
    {
        QFETCH(QByteArray, cookie);
        QFETCH(QString, message);
        WebRig rig;
        QVERIFY(rig.addTeacher());
        QVERIFY(rig.setClasses("t01", {"一班"}));
        rig.cookieFor(); // a live session exists, but not this one
        QVERIFY(isSignInForm(rig.page("/score/", {}, cookie)));
        for (const char *path : {"/score/class", "/score/class.csv"}) {
            const PageReply r = rig.page(path, {{"class", "一班"}}, cookie);
            QVERIFY2(isSignInForm(r), path);
            QVERIFY(htmlOf(r).contains(message));
            QVERIFY(!htmlOf(r).contains(u"一班"));
        }
    }

    // The stored hash is no key: a copy of the database signs no one in.
    void storedHashIsNoToken()
    {
        WebRig rig;
        QVERIFY(rig.addTeacher());
        const QByteArray token = rig.cookieFor().mid(qstrlen(WebSessions::kCookieName) + 1);
        const QByteArray hash = QCryptographicHash::hash(token, QCryptographicHash::Sha256);
        for (const QByteArray &guess :
             {hash.toHex(), hash.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals)})
            QVERIFY(!signedIn(rig, QByteArray(WebSessions::kCookieName) + '=' + guess));
    }

    void newLoginPasswordEndsSessions_data()
    {
        QTest::addColumn<QString>("newLogin");
        QTest::addColumn<bool>("stays");
        QTest::newRow("new password") << "login2" << false;
        QTest::newRow("same password again") << "login" << true;
        QTest::newRow("password left as it was") << "" << true;
    }
    void newLoginPasswordEndsSessions()
    {
        QFETCH(QString, newLogin);
        QFETCH(bool, stays);
        WebRig rig;
        QVERIFY(rig.addTeacher());
        const QByteArray cookie = rig.cookieFor();
        QCOMPARE(textOf(rig.post("/score/setteacher.php", {{"username", "t01"},
                                                           {"email", "t@example.org"},
                                                           {"oldsuperpassword", "oper"},
                                                           {"newlogpassword", newLogin},
                                                           {"newsuperpassword", ""}})),
                 QStringLiteral("Success!"));
        QCOMPARE(signedIn(rig, cookie), stays);
    }

    void sessionsAcrossProcesses()
    {
        WebRig a;
        WebRig b(a.database);
        QVERIFY(a.addTeacher());
        const QByteArray cookie = a.cookieFor();
        QVERIFY(signedIn(b, cookie));
        // A use seen by one process keeps the session alive for the other.
        a.advance(6 * kHour);
        b.advance(6 * kHour);
        QVERIFY(signedIn(b, cookie));
        a.advance(6 * kHour);
        QVERIFY(signedIn(a, cookie));
        QCOMPARE(b.send(Method::Post, "/score/signout", {}, cookie).status, 303);
        QVERIFY(!signedIn(a, cookie));
    }

    // A page opened before signing in comes back after it, links of the tool's upload-result
    // page too; the form keeps it through a refused attempt.
    void signInReturnsToTheAskedPage_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QString>("heading");
        QTest::newRow("class page") << "/score/class" << Fields{{"class", "一班"}, {"sort", "name"}} << "一班";
        QTest::newRow("student page") << "/score/student" << Fields{{"class", "一班"}, {"name", "张三"}} << "张三";
    }
    void signInReturnsToTheAskedPage()
    {
        QFETCH(QString, path);
        QFETCH(Fields, fields);
        QFETCH(QString, heading);
        WebRig rig;
        QVERIFY(rig.addTeacher());
        QVERIFY(rig.setClasses("t01", {"一班"}));
        QVERIFY(rig.setStudents("t01", "一班", {"张三"}));
        QCOMPARE(rig.upload("t01", "朗读", {u"一班\t张三\t5分\t2026-12-03 10:01:02\t"_qs}), QStringLiteral("Success!"));
        const PageReply form = rig.get(path, fields);
        QVERIFY(isSignInForm(form));
        const QString next = returnField(form);
        QVERIFY2(next.startsWith(path + u'?'), qPrintable(next));
        // The upload-result page links to the same page.
        const QString recent = htmlOf(rig.get("/score/", {{"t", "t01"}, {"n", "5"}, {"mp", Md5Hex("login")}}));
        QVERIFY2(recent.contains(QStringLiteral("href=\"") + next.section(QStringLiteral("&sort"), 0, 0).toHtmlEscaped() + u'"'),
                 qPrintable(recent));

        const PageReply refused = rig.send(Method::Post, "/score/", {{"username", "t01"}, {"password", "no"}, {"next", next}}, {});
        QCOMPARE(returnField(refused), next);
        const PageReply in = rig.send(Method::Post, "/score/", {{"username", "t01"}, {"password", "login"}, {"next", next}}, {});
        QCOMPARE(in.status, 303);
        QCOMPARE(headerOf(in, "Location"), next.toLatin1());
        const PageReply shown = rig.page(path, fields, cookieOf(in));
        QCOMPARE(shown.status, 200);
        QVERIFY(htmlOf(shown).contains(heading));
    }

    // Only a path of this site's pages: anything else goes to the home page.
    void signInNeverLeavesTheSite_data()
    {
        QTest::addColumn<QString>("next");
        QTest::addColumn<QByteArray>("location");
        QTest::newRow("a page") << "/score/class?class=%D2%BB%B0%E0" << QByteArray("/score/class?class=%D2%BB%B0%E0");
        QTest::newRow("none") << "" << QByteArray("/score/");
        QTest::newRow("another host") << "//evil.example/score/" << QByteArray("/score/");
        QTest::newRow("a scheme") << "https://evil.example/score/" << QByteArray("/score/");
        QTest::newRow("a backslash") << "/score/\\evil.example" << QByteArray("/score/");
        QTest::newRow("a header break") << "/score/\r\nSet-Cookie: a=b" << QByteArray("/score/");
        QTest::newRow("a space") << "/score/ x" << QByteArray("/score/");
        QTest::newRow("outside the pages") << "/etc/passwd" << QByteArray("/score/");
        QTest::newRow("script") << "javascript:alert(1)" << QByteArray("/score/");
        QTest::newRow("not ASCII") << "/score/class?class=一班" << QByteArray("/score/");
    }
    void signInNeverLeavesTheSite()
    {
        QFETCH(QString, next);
        QFETCH(QByteArray, location);
        WebRig rig;
        QVERIFY(rig.addTeacher());
        const PageReply in = rig.send(Method::Post, "/score/", {{"username", "t01"}, {"password", "login"}, {"next", next}}, {});
        QCOMPARE(in.status, 303);
        QCOMPARE(headerOf(in, "Location"), location);
        // A refused sign-in never offers such a page again.
        const PageReply refused = rig.send(Method::Post, "/score/", {{"username", "t01"}, {"password", "no"}, {"next", next}}, {});
        QCOMPARE(returnField(refused).toLatin1(), next.isEmpty() ? QByteArray() : location);
    }

    // The tool's pages keep working without any session.
    void toolAddressesNeedNoSession()
    {
        WebRig rig;
        QVERIFY(rig.addTeacher());
        const PageReply recent = rig.get("/score/", {{"t", "t01"}, {"n", "5"}, {"mp", Md5Hex("login")}});
        QCOMPARE(recent.status, 200);
        QVERIFY(htmlOf(recent).contains(u"林老师最近的 0 条计分"));
        QVERIFY(isSignInForm(rig.get("/score", {})));
        QVERIFY(isSignInForm(rig.get("/score/index.php", {})));
    }
};

QTEST_GUILESS_MAIN(TestWebSessions)
#include "tst_WebSessions.moc"
