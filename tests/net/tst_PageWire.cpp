#include "net/AccountRequests.h"
#include "net/ConsoleRequests.h"
#include "net/ScoreRequests.h"

#include <QTest>

#include <functional>

using namespace corvanta;

namespace {

// Always the same value, so the random address values are recorded bytes too.
class FixedRandom final : public RandomSource
{
public:
    double next() override { return 0.7055475; }
};

// What a request puts on the wire: method, site, path, and the query or body as encoded.
QByteArray wireBytes(const PageCall &call)
{
    QByteArray out = call.method == PageMethod::Post ? "POST " : "GET ";
    out += call.site == Site::Vendor ? "vendor " : "score ";
    out += call.path.toUtf8();
    out += '\n';
    out += call.fields.encoded();
    return out;
}

// Names and texts outside ASCII travel as GBK bytes; "&", "=", "+", "%" and TAB escaped.
const QString kClass = QStringLiteral("高一(3)班");
const QString kStudent = QStringLiteral("张三");
const QString kTopic = QStringLiteral("课题&A=1");

} // namespace

// Every page builder of the tool against the bytes it sent when these were recorded: a
// change of a field name, its order, its encoding or the path shows here.
class TestPageWire : public QObject
{
    Q_OBJECT

private slots:
    void bytes_data()
    {
        QTest::addColumn<PageCall>("call");
        QTest::addColumn<QByteArray>("expected");
        using namespace corvanta::console_pages;
        using namespace corvanta::score_pages;
        using namespace corvanta::account_pages;
        FixedRandom random;
        const auto row = [](const char *name, const PageCall &call, const char *expected) {
            QTest::newRow(name) << call << QByteArray(expected);
        };

        // Login, record file, scores, clock and the vendor site.
        row("checkpassword", checkPassword(QStringLiteral("王老师"), QStringLiteral("  pa ss+1  ")),
            "POST score /score/checkpassword.php\nusername=%CD%F5%C0%CF%CA%A6&password=pa ss%2B1");
        row("record", record(QStringLiteral("keeper"), QStringLiteral("0123abcd")),
            "GET score /score/record.php\nt=keeper&mp=0123abcd");
        row("upload",
            upload(QStringLiteral("keeper"), QStringLiteral("op%&"), kTopic,
                   {kClass + u'\t' + kStudent + QStringLiteral("\t5\t2026-12-07 08:00:00\t好"),
                    QStringLiteral("A\tB\t-1.5\t2026-12-07 08:01:00")}),
            "POST score "
            "/score/index.php\nusername=keeper&password=op%25%26&keti=%BF%CE%CC%E2%26A%3D1&score=%B8%DF%"
            "D2%BB(3)%B0%E0%09%D5%C5%C8%FD%095%092026-12-07 08:00:00%09%BA%C3|A%09B%09-1.5%092026-12-07 "
            "08:01:00"
            "&partial=1");
        row("group",
            group(kClass, QStringLiteral("keeper"), QStringLiteral("op"),
                  {{kStudent, QStringLiteral("李四")}, {}, {QStringLiteral("Wang")}}),
            "POST score /score/group.php\nclass=%B8%DF%D2%BB(3)%B0%E0&username=keeper&password=op&group[0]=%D5%C5%C8%"
            "FD|%C0%EE%CB%C4&group[1]=&group[2]=Wang&group[3]=&group[4]=&group[5]=&group[6]=&group[7]=&group[8]=&group["
            "9]=&group[10]=&group[11]=&group[12]=&group[13]=&group[14]=&group[15]=");
        row("recent scores", recentScores(QStringLiteral("keeper"), 20, QStringLiteral("ff00")),
            "GET score /score/\nt=keeper&n=20&mp=ff00");
        row("servertime", serverTime(random), "GET score /score/servertime.php\nt=0.7055475");
        row("version", versionQuery(random), "GET vendor /version.php\ns=Selvane&t=0.7055475");
        row("update", updatePage(), "GET vendor /soft/update.php\nsort=Selvane");
        row("vendor home", vendorHome(), "GET vendor \n");

        // Accounts.
        row("checkusername", checkUsername(QStringLiteral("new_one")), "GET score /score/checkusername.php\nu=new_one");
        Registration r;
        r.username = QStringLiteral(" new_one ");
        r.teacherName = QStringLiteral(" 李老师 ");
        r.loginPassword = QStringLiteral(" log in ");
        r.operationPassword = QStringLiteral("op+");
        r.email = QStringLiteral("li@example.org");
        r.mobile = QStringLiteral("138");
        r.phone = QStringLiteral("010-1");
        r.qq = QStringLiteral("1 2");
        row("regteacher", regTeacher(r),
            "POST score /score/regteacher.php\nusername=new_one&teachername=%C0%EE%C0%CF%CA%A6&password=log "
            "in&superpassword=op%2B&email=li@example.org&mb=138&tel=010-1&qq=1 2");
        row("getpswdcode", getPswdCode(QStringLiteral("keeper"), QStringLiteral("k@example.org")),
            "GET score /score/getpswdcode.php\nusername=keeper&email=k@example.org");
        row("setpassword",
            setPassword(QStringLiteral("keeper"), QStringLiteral(" 123456 "), QStringLiteral(" 新 "), QString()),
            "POST score /score/setpassword.php\nusername=keeper&checkcode=123456&newpswd=%D0%C2&newsuperpswd=");

        // The console's pages.
        row("getteacher", getTeacher(QStringLiteral("keeper"), QStringLiteral("abc")),
            "GET score /score/getteacher.php\nt=keeper&mp=abc");
        row("setteacher",
            setTeacher(QStringLiteral("keeper"), QStringLiteral("k@example.org"), QStringLiteral("旧"),
                       QStringLiteral("new login"), QString()),
            "POST score /score/setteacher.php\nusername=keeper&email=k@example.org&oldsuperpassword=%BE%C9&"
            "newlogpassword=new login&newsuperpassword=");
        row("setclass", setClass(QStringLiteral("keeper"), QStringLiteral("op"), {kClass, QStringLiteral("B")}),
            "POST score /score/setclass.php\nusername=keeper&password=op&class=%B8%DF%D2%BB(3)%B0%E0|B");
        row("student",
            student(QStringLiteral("keeper"), QStringLiteral("op"), kClass, {kStudent, QStringLiteral("Li Si")}),
            "POST score /score/student.php\nusername=keeper&password=op&class=%B8%DF%D2%BB(3)%B0%E0&student=%D5%C5%"
            "C8%FD|Li Si");
        row("setketi", setKeti(QStringLiteral("keeper"), QStringLiteral("op"), {kTopic, QStringLiteral("T2")}),
            "POST score /score/setketi.php\nusername=keeper&password=op&keti=%BF%CE%CC%E2%26A%3D1|T2");
        row("renameclass", renameClass(QStringLiteral("keeper"), QStringLiteral("op"), kClass, QStringLiteral("二班")),
            "POST score /score/renameclass.php\nusername=keeper&password=op&oldclassname=%B8%DF%D2%BB(3)%B0%E0&"
            "newclassname=%B6%FE%B0%E0");
        row("renamestudent",
            renameStudent(QStringLiteral("keeper"), QStringLiteral("op"), kStudent, QStringLiteral("张四"), kClass),
            "POST score /score/renamestudent.php\nusername=keeper&password=op&oldstuname=%D5%C5%C8%FD&newstuname=%D5%"
            "C5%CB%C4&class=%B8%DF%D2%BB(3)%B0%E0");
        row("renameketi", renameKeti(QStringLiteral("keeper"), QStringLiteral("op"), kTopic, QStringLiteral("T")),
            "POST score /score/renameketi.php\nusername=keeper&password=op&oldketi=%BF%CE%CC%E2%26A%3D1&newketi=T");
        row("getscale", getScale(kTopic, QStringLiteral("keeper"), QStringLiteral("abc")),
            "GET score /score/getscale.php\nketi=%BF%CE%CC%E2%26A%3D1&t=keeper&mp=abc");
        row("newscale",
            newScale(QStringLiteral("keeper"), QStringLiteral("op"), kTopic, {QStringLiteral("好"), QString()},
                     {QStringLiteral("5"), QString()}),
            "POST score /score/newscale.php\nusername=keeper&password=op&keti=%BF%CE%CC%E2%26A%3D1&newscale=%BA%C3%"
            "09&newscore=5%09");
        row("editscale",
            editScale(QStringLiteral("keeper"), QStringLiteral("op"), kClass, QStringLiteral("17"),
                      QStringLiteral("优秀"), 2.5),
            "POST score /score/editscale.php\nusername=keeper&password=op&class=%B8%DF%D2%BB(3)%B0%E0&scaleid=17&"
            "scale=%D3%C5%D0%E3&score=2.5");
        row("delscale", delScale(QStringLiteral("keeper"), QStringLiteral("op"), kTopic, QStringLiteral("|17|12")),
            "POST score /score/delscale.php\nusername=keeper&password=op&keti=%BF%CE%CC%E2%26A%3D1&delid=|17|12");
        row("getscore", getScore(kClass, QStringLiteral("keeper"), QStringLiteral("abc")),
            "GET score /score/getscore.php\nclass=%B8%DF%D2%BB(3)%B0%E0&t=keeper&mp=abc");
        row("editscore",
            editScore(QStringLiteral("keeper"), QStringLiteral("op"), kClass,
                      {QStringLiteral("9"), -0.5, 1796600000, kTopic, QStringLiteral("迟到 ½")}),
            "POST score /score/editscore.php\nusername=keeper&password=op&class=%B8%DF%D2%BB(3)%B0%E0&scoreid=9&"
            "score=-0.5&time=1796600000&keti=%BF%CE%CC%E2%26A%3D1&addtion=%B3%D9%B5%BD ?");
        row("delscore", delScore(QStringLiteral("keeper"), QStringLiteral("op"), kClass, QStringLiteral("|3")),
            "POST score /score/delscore.php\nusername=keeper&password=op&class=%B8%DF%D2%BB(3)%B0%E0&delid=|3");
        row("score home", scoreHome(), "GET score /score\n");
    }

    void bytes()
    {
        QFETCH(PageCall, call);
        QFETCH(QByteArray, expected);
        QCOMPARE(wireBytes(call), expected);
    }

    // The answer naming the lines an upload could not store: what a server writes, the tool
    // reads back; anything else is not taken for one, so no line leaves the list on it.
    void partialUploadReply_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("sent");
        QTest::addColumn<QList<int>>("refused"); // empty: not such an answer
        const auto row = [](const char *name, const QString &reply, int sent, QList<int> refused) {
            QTest::newRow(name) << reply << sent << refused;
        };
        row("two of three", "Partial!\r\n1\t学生不存在：C1 张三\r\n3\t班级不存在：C9", 3, {1, 3});
        row("line end after the last", "Partial!\r\n2\tr\r\n", 2, {2});
        row("success word", "Success!", 2, {});
        row("refusal in words", "学生不存在：C1 张三", 2, {});
        row("word alone", "Partial!", 2, {});
        row("line beyond the upload", "Partial!\r\n3\tr", 2, {});
        row("line twice", "Partial!\r\n1\ta\r\n1\tb", 2, {});
        row("no number", "Partial!\r\nx\tr", 2, {});
    }
    void partialUploadReply()
    {
        QFETCH(QString, reply);
        QFETCH(int, sent);
        QFETCH(QList<int>, refused);
        const auto read = score_pages::partial_upload::read(reply, sent);
        QCOMPARE(read.has_value(), !refused.isEmpty());
        if (!read)
            return;
        QList<int> lines;
        for (const score_pages::RefusedLine &r : *read)
            lines.append(r.line);
        QCOMPARE(lines, refused);
        // Written again, the same answer (a reason's line break becomes a blank).
        QCOMPARE(score_pages::partial_upload::read(score_pages::partial_upload::reply(*read), sent), read);
        QCOMPARE(score_pages::partial_upload::reply({{1, "a\r\nb"}}), "Partial!\r\n1\ta  b");
    }
};

QTEST_GUILESS_MAIN(TestPageWire)
#include "tst_PageWire.moc"
