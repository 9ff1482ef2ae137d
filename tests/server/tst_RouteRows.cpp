#include "Pages.h"
#include "Routes.h"

#include "net/AccountRequests.h"
#include "net/ConsoleRequests.h"
#include "net/ScoreRequests.h"

#include <QTest>

using namespace corvanta;
using namespace corvanta::server;

namespace {

// A route as the dispatcher sees it, in one line: method, path, credential, the fields it
// requires in order, the secret field when not the usual one, and its options.
QString describeRoute(const Route &r)
{
    QStringList required;
    for (const char *name : r.required)
        required.append(QLatin1String(name));
    return QStringLiteral("%1 %2 %3 [%4] %5 %6")
        .arg(r.method == Method::Post ? QStringLiteral("POST") : QStringLiteral("GET"), QLatin1String(r.path))
        .arg(int(r.credential))
        .arg(required.join(u','), r.secretField ? QLatin1String(r.secretField) : QLatin1String("-"))
        .arg(r.options);
}

const Route *findRoute(Method method, const QString &path)
{
    for (const Route &r : routes()) {
        if (r.method == method && path == QLatin1String(r.path))
            return &r;
    }
    return nullptr;
}

} // namespace

// The route rows, made from the page declarations, against the table they replaced: the
// same checks in the same order, the same credential and options for every page.
class TestRouteRows : public QObject
{
    Q_OBJECT

private slots:
    void rows_data()
    {
        QTest::addColumn<QString>("expected");
        // Credentials: 0 none, 1 login digest, 2 login password, 3 operation password, 4 web
        // session. Options: 1 sign-in page refusal, 2 guest, 4 session for guest, 8 heavy,
        // 16 same site only.
        const char *table[] = {
            "POST /score/checkpassword.php 2 [username,password] - 0",
            "GET /score/record.php 1 [] - 0",
            "GET /score/servertime.php 0 [] - 0",
            "POST /score/index.php 3 [username,password,keti,score] - 32",
            "POST /score/group.php 3 [class,username,password] - 0",
            "GET /score/getteacher.php 1 [] - 0",
            "POST /score/setteacher.php 3 [username,email,oldsuperpassword,newlogpassword,newsuperpassword] "
            "oldsuperpassword 0",
            "POST /score/setclass.php 3 [username,password,class] - 0",
            "POST /score/renameclass.php 3 [username,password,oldclassname,newclassname] - 0",
            "POST /score/student.php 3 [username,password,class,student] - 0",
            "POST /score/renamestudent.php 3 [username,password,oldstuname,newstuname,class] - 0",
            "POST /score/setketi.php 3 [username,password,keti] - 0",
            "POST /score/renameketi.php 3 [username,password,oldketi,newketi] - 0",
            "GET /score/getscale.php 1 [] - 0",
            "POST /score/newscale.php 3 [username,password,keti,newscale,newscore] - 0",
            "POST /score/editscale.php 3 [username,password,scaleid,scale,score] - 0",
            "POST /score/delscale.php 3 [username,password,delid] - 0",
            "GET /score/getscore.php 1 [] - 8",
            "POST /score/editscore.php 3 [username,password,scoreid,score,time,keti,addtion] - 0",
            "POST /score/delscore.php 3 [username,password,delid] - 0",
            "POST /score/regteacher.php 0 [username,teachername,password,superpassword,email] - 8",
            "GET /score/checkusername.php 0 [] - 0",
            "GET /score/getpswdcode.php 0 [] - 0",
            "POST /score/setpassword.php 0 [] - 0",
            "GET /score 1 [] - 7",
            "GET /score/ 1 [] - 7",
            "POST /score/ 2 [] - 17",
            "GET /score/index.php 1 [] - 7",
            "GET /score/class 4 [] - 9",
            "GET /score/class.csv 4 [] - 9",
            "GET /score/student 4 [] - 9",
            "GET /score/student.csv 4 [] - 9",
            "POST /score/signout 0 [] - 16",
            "GET /favicon.ico 0 [] - 0",
            "GET /robots.txt 0 [] - 0",
            "GET /version.php 0 [] - 0",
            "GET /soft/update.php 0 [] - 0",
            "GET / 0 [] - 0",
        };
        for (const char *row : table)
            QTest::newRow(row) << QString::fromUtf8(row);
    }

    void rows()
    {
        QFETCH(QString, expected);
        const QStringList words = expected.split(u' ');
        const Route *route = findRoute(words[0] == u"POST" ? Method::Post : Method::Get, words[1]);
        QVERIFY(route);
        QCOMPARE(describeRoute(*route), expected);
    }

    void noOtherRows()
    {
        QCOMPARE(routes().size(), 38);
    }

    // Every request the tool makes reaches a route of the server by the same method.
    void toolRequestsHaveRoutes_data()
    {
        QTest::addColumn<PageCall>("call");
        QTest::newRow("login") << score_pages::checkPassword("a", "b");
        QTest::newRow("upload") << score_pages::upload("a", "b", "k", {});
        QTest::newRow("group") << score_pages::group("c", "a", "b", {});
        QTest::newRow("recent") << score_pages::recentScores("a", 5, "d");
        QTest::newRow("register") << account_pages::regTeacher({});
        QTest::newRow("reset") << account_pages::setPassword("a", "1", "x", "");
        QTest::newRow("edit score") << console_pages::editScore("a", "b", "c", {});
        QTest::newRow("get score") << console_pages::getScore("c", "a", "d");
        QTest::newRow("home") << console_pages::scoreHome();
    }
    void toolRequestsHaveRoutes()
    {
        QFETCH(PageCall, call);
        QVERIFY(findRoute(call.method == PageMethod::Post ? Method::Post : Method::Get, call.path));
    }

    // Refusals a person reads come back as failures carrying the text.
    void uploadLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("blank");
        QTest::addColumn<QString>("error");
        QTest::newRow("blank") << "\r\n" << true << true << QString();
        QTest::newRow("good") << "C1\t张三\t5\t2026-12-07 08:00:00\t好" << true << false << QString();
        QTest::newRow("no fields") << "junk" << false << false << QStringLiteral("第3行格式不正确：junk");
        QTest::newRow("score") << "C1\t张三\t1e9\t2026-12-07 08:00:00" << false << false
                               << QStringLiteral("第3行分数不正确：1e9");
        QTest::newRow("time") << "C1\t张三\t5\tyesterday" << false << false << QStringLiteral("第3行时间不正确：yesterday");
        QTest::newRow("long note") << "C1\t张三\t5\t2026-12-07 08:00:00\t" + QString(5000, u'x') << false << false
                                   << QString();
    }
    void uploadLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, ok);
        QFETCH(bool, blank);
        QFETCH(QString, error);
        const Expected<std::optional<ScoreRecord>> read = scores::parseUploadLine(line, 3);
        QCOMPARE(read.ok(), ok);
        if (ok) {
            QCOMPARE(!read.value().has_value(), blank);
        } else {
            QVERIFY(!read.error().isEmpty());
            if (!error.isEmpty())
                QCOMPARE(read.error(), error);
        }
    }

    void lengths()
    {
        QVERIFY(checkLength(QStringLiteral("名称"), QString(50, u'x'), 50).ok());
        const Result tooLong = checkLength(QStringLiteral("名称"), QString(70, u'x'), 50);
        QVERIFY(!tooLong);
        QCOMPARE(tooLong.error(), QStringLiteral("名称太长：最多 50 个字，收到 70 个字！"));
    }
};

QTEST_GUILESS_MAIN(TestRouteRows)
#include "tst_RouteRows.moc"
