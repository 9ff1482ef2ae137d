// A signed-in teacher's web pages: the home page's classes, a class page's figures against
// the uploaded scores, its sort orders, the CSV bytes, escaping, the security headers and
// nothing of another teacher's classes.
#include "WebRig.h"

#include "ReplyGzip.h"

#include <QCryptographicHash>

#include <zlib.h>

using namespace corvanta;
using namespace corvanta::server;
using corvanta::test::cookieOf;
using corvanta::test::barsOf;
using corvanta::test::Fields;
using corvanta::test::headerOf;
using corvanta::test::htmlOf;
using corvanta::test::isSignInForm;
using corvanta::test::tableRows;
using corvanta::test::textOf;
using corvanta::test::WebRig;

namespace {

using Rows = QList<QStringList>;
const QString kClass = QStringLiteral("一班");

// Class 一班 of t01: 张三 (group 2), 李四 (1), 王五 (1), 赵六 (0, never scored), and five scores.
void fillClass(WebRig &rig)
{
    QVERIFY(rig.addTeacher());
    QVERIFY(rig.setClasses("t01", {kClass, "二班"}));
    QVERIFY(rig.setStudents("t01", kClass, {"张三", "李四", "王五", "赵六"}));
    const qint64 id = rig.store->teacherByAccount("t01")->id;
    QCOMPARE(rig.store->setGroups(id, kClass, {{"张三", 2}, {"李四", 1}, {"王五", 1}}), StoreResult::Done);
    QCOMPARE(
        rig.upload("t01", "课堂提问",
                   {"一班\t张三\t5\t2026-03-01 08:00:00\t回答正确", "一班\t张三\t4\t2026-03-02 08:00:00\t",
                    "一班\t李四\t3.5\t2026-03-02 09:00:00\t基本正确"}),
        QStringLiteral("Success!"));
    QCOMPARE(
        rig.upload("t01", "小组讨论",
                   {"一班\t张三\t2\t2026-03-03 10:00:00\t", "一班\t王五\t-1\t2026-03-04 11:00:00\t未参与"}),
        QStringLiteral("Success!"));
}

QString classHtml(WebRig &rig, const QByteArray &cookie, const QString &sort = {})
{
    Fields fields = {{"class", kClass}};
    if (!sort.isNull())
        fields.append({"sort", sort});
    const PageReply r = rig.page("/score/class", fields, cookie);
    return r.status == 200 ? htmlOf(r) : QString();
}

QStringList column(const Rows &rows, int c)
{
    QStringList out;
    for (const QStringList &row : rows)
        out.append(row.value(c));
    return out;
}

QString sha256Source(const QString &text)
{
    return QStringLiteral("'sha256-%1'")
        .arg(QString::fromLatin1(
            QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toBase64()));
}

QByteArray gunzip(const QByteArray &packed)
{
    z_stream stream = {};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        return {};
    QByteArray out;
    char buffer[16384];
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData()));
    stream.avail_in = uInt(packed.size());
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}

PageRequest withHeaders(PageRequest request, const HeaderList &headers)
{
    request.headers += headers;
    return request;
}

// 一班's 张三 with a long history: 250 scores on 课堂提问 and 小组讨论, two a day.
void fillHistory(WebRig &rig)
{
    fillClass(rig);
    QStringList lines;
    for (int i = 0; i < 250; ++i)
        lines.append(QStringLiteral("一班\t张三\t%1\t%2\t第%3次")
                         .arg(i % 5)
                         .arg(QDateTime(QDate(2026, 4, 1).addDays(i / 2), QTime(8 + 6 * (i % 2), 30))
                                  .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
                         .arg(i));
    QCOMPARE(rig.upload("t01", "课堂提问", lines), QStringLiteral("Success!"));
}

QString studentHtml(WebRig &rig, const QByteArray &cookie, const QString &name, const QString &page = {})
{
    Fields fields = {{"class", kClass}, {"name", name}};
    if (!page.isNull())
        fields.append({"page", page});
    const PageReply r = rig.page("/score/student", fields, cookie);
    return r.status == 200 ? htmlOf(r) : QString();
}

} // namespace

class TestWebPages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (test::PostgresCluster::wanted() && !test::PostgresCluster::available())
            QSKIP(qPrintable(test::PostgresCluster::missingText()));
    }

    void homeListsTheClasses()
    {
        WebRig rig;
        rig.advance(-3600); // uploads at 08:00
        fillClass(rig);
        rig.advance(3600);
        const QString html = htmlOf(rig.page("/score/", {}, rig.cookieFor()));
        QCOMPARE(tableRows(html, "classes"),
                 (Rows{{"一班", "4", "5", "2026-03-05 08:00"}, {"二班", "0", "0", "—"}}));
        QVERIFY(html.contains(u"<a href=\"/score/class?class=%D2%BB%B0%E0\">一班</a>"));
        QVERIFY(html.contains(u"林老师"));
    }

    void classFigures()
    {
        WebRig rig;
        fillClass(rig);
        const QString html = classHtml(rig, rig.cookieFor());
        QCOMPARE(tableRows(html, "students"), (Rows{{"张三", "2", "3", "3.67", "2026-03-03 10:00"},
                                                    {"李四", "1", "1", "3.5", "2026-03-02 09:00"},
                                                    {"王五", "1", "1", "-1", "2026-03-04 11:00"},
                                                    {"赵六", "0", "0", "—", "—"}}));
        QCOMPARE(tableRows(html, "topics"), (Rows{{"课堂提问", "3", "4.17"}, {"小组讨论", "2", "0.5"}}));
        QCOMPARE(tableRows(html, "latest"),
                 (Rows{{"2026-03-04 11:00", "王五", "-1", "小组讨论", "未参与"},
                       {"2026-03-03 10:00", "张三", "2", "小组讨论", ""},
                       {"2026-03-02 09:00", "李四", "3.5", "课堂提问", "基本正确"},
                       {"2026-03-02 08:00", "张三", "4", "课堂提问", ""},
                       {"2026-03-01 08:00", "张三", "5", "课堂提问", "回答正确"}}));
        QVERIFY(html.contains(u"4 名学生 · 5 条计分 · 最近上传 <span class=\"t\">2026-03-05 09:00</span>"));
        // One bar per student in each chart, labelled with the figure the table shows.
        QCOMPARE(barsOf(html, "chart-mean"), (Rows{{"张三", "3.67"}, {"李四", "3.5"}, {"王五", "-1"}, {"赵六", "—"}}));
        QCOMPARE(barsOf(html, "chart-count"), (Rows{{"张三", "3"}, {"李四", "1"}, {"王五", "1"}, {"赵六", "0"}}));
        const QString means = html.section(QStringLiteral("id=\"chart-mean\""), 1).section(QStringLiteral("</section>"), 0, 0);
        QCOMPARE(means.count(u"<rect x="), 4);
    }

    // The charts list the students in the order the table is sorted by.
    void chartsFollowTheSort()
    {
        WebRig rig;
        fillClass(rig);
        const QString html = classHtml(rig, rig.cookieFor(), "-mean");
        const QStringList order = {"张三", "李四", "王五", "赵六"};
        QCOMPARE(column(tableRows(html, "students"), 0), order);
        QCOMPARE(column(barsOf(html, "chart-mean"), 0), order);
        QCOMPARE(column(barsOf(html, "chart-count"), 0), order);
        // Each bar carries its student's place in the class list, as the table rows do.
        QVERIFY(html.contains(u"<tr data-i=\"0\"><td class=\"name\" data-v=\"张三\">"));
        QCOMPARE(html.count(u"<div data-i=\"3\">"), 2);
    }

    // Figures are read again after any change, made by this server process or another.
    void figuresFollowChanges()
    {
        WebRig rig;
        fillClass(rig);
        WebRig other(rig.database);
        const QByteArray cookie = rig.cookieFor();
        QCOMPARE(tableRows(classHtml(rig, cookie, "name"), "students").first().value(2), QStringLiteral("1"));
        QCOMPARE(other.upload("t01", "课堂提问", {"一班\t李四\t1\t2026-03-06 08:00:00\t"}),
                 QStringLiteral("Success!"));
        QCOMPARE(tableRows(classHtml(rig, cookie, "name"), "students").first(),
                 (QStringList{"李四", "1", "2", "2.25", "2026-03-06 08:00"}));
        QVERIFY(textOf(other.postAs("t01", "/score/renamestudent.php",
                                    {{"oldstuname", "李四"}, {"newstuname", "李思"}, {"class", kClass}}))
                    .startsWith(u"Success!"));
        QCOMPARE(tableRows(classHtml(rig, cookie, "name"), "students").first().first(),
                 QStringLiteral("李思"));
    }

    void latestFifty()
    {
        WebRig rig;
        QVERIFY(rig.addTeacher());
        QVERIFY(rig.setClasses("t01", {kClass}));
        QVERIFY(rig.setStudents("t01", kClass, {"甲", "乙"}));
        QStringList lines;
        const QDateTime first(QDate(2026, 3, 1), QTime(8, 0));
        for (int i = 0; i < 60; ++i)
            lines.append(QStringLiteral("一班\t%1\t%2\t%3\t")
                             .arg(i % 2 ? "乙" : "甲")
                             .arg(i % 6)
                             .arg(first.addSecs(i * 60).toString("yyyy-MM-dd hh:mm:ss")));
        QCOMPARE(rig.upload("t01", "t", lines), QStringLiteral("Success!"));
        const Rows latest = tableRows(classHtml(rig, rig.cookieFor()), "latest");
        QCOMPARE(latest.size(), 50);
        QCOMPARE(latest.first().first(), QStringLiteral("2026-03-01 08:59"));
        QCOMPARE(latest.last().first(), QStringLiteral("2026-03-01 08:10"));
    }

    void sortOrder_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QStringList>("names");
        const QStringList roster = {"张三", "李四", "王五", "赵六"};
        QTest::newRow("none: class list") << QString() << roster;
        QTest::newRow("unknown: class list") << "bogus" << roster;
        QTest::newRow("dash only") << "-" << roster;
        QTest::newRow("name by pinyin") << "name" << QStringList{"李四", "王五", "张三", "赵六"};
        QTest::newRow("name downwards") << "-name" << QStringList{"赵六", "张三", "王五", "李四"};
        QTest::newRow("group, ties in list order") << "group" << QStringList{"赵六", "李四", "王五", "张三"};
        QTest::newRow("count") << "count" << QStringList{"赵六", "李四", "王五", "张三"};
        QTest::newRow("count downwards") << "-count" << QStringList{"张三", "李四", "王五", "赵六"};
        QTest::newRow("mean, unscored last") << "mean" << QStringList{"王五", "李四", "张三", "赵六"};
        QTest::newRow("mean downwards, unscored last")
            << "-mean" << QStringList{"张三", "李四", "王五", "赵六"};
        QTest::newRow("last score") << "last" << QStringList{"李四", "张三", "王五", "赵六"};
        QTest::newRow("last score downwards") << "-last" << QStringList{"王五", "张三", "李四", "赵六"};
    }
    void sortOrder()
    {
        QFETCH(QString, sort);
        QFETCH(QStringList, names);
        WebRig rig;
        fillClass(rig);
        QCOMPARE(column(tableRows(classHtml(rig, rig.cookieFor(), sort), "students"), 0), names);
    }

    // Each heading links to its own sort; the current column's link turns the direction.
    void headingLinks_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QStringList>("links");
        QTest::newRow("none") << QString() << QStringList{"name", "group", "-count", "-mean", "-last"};
        QTest::newRow("mean downwards") << "-mean" << QStringList{"name", "group", "-count", "mean", "-last"};
        QTest::newRow("mean upwards") << "mean" << QStringList{"name", "group", "-count", "-mean", "-last"};
        QTest::newRow("name") << "name" << QStringList{"-name", "group", "-count", "-mean", "-last"};
    }
    void headingLinks()
    {
        QFETCH(QString, sort);
        QFETCH(QStringList, links);
        WebRig rig;
        fillClass(rig);
        const QString html = classHtml(rig, rig.cookieFor(), sort);
        static const QRegularExpression link(
            QStringLiteral("<th[^>]*><a href=\"/score/class\\?class=%D2%BB%B0%E0&amp;"
                           "sort=([-a-z]+)\" data-key"));
        QStringList found;
        for (auto m = link.globalMatch(html); m.hasNext();)
            found.append(m.next().captured(1));
        QCOMPARE(found, links);
        QCOMPARE(html.count(u" aria-sort=\""), sort.isEmpty() ? 0 : 1);
    }

    void csvDownload()
    {
        WebRig rig;
        QVERIFY(rig.addTeacher());
        QVERIFY(rig.setClasses("t01", {kClass}));
        QVERIFY(rig.setStudents("t01", kClass, {"张三", "O\"Neil, Jr", "=SUM(A1)"}));
        QCOMPARE(rig.upload("t01", "课堂提问",
                            {"一班\t张三\t4.5\t2026-03-02 08:00:00\t答对, 很好",
                             "一班\tO\"Neil, Jr\t-2\t2026-03-01 08:00:00\t",
                             "一班\t=SUM(A1)\t3\t2026-03-03 08:00:00\t@cmd"}),
                 QStringLiteral("Success!"));
        QCOMPARE(rig.upload("t01", "+1 课", {"一班\t张三\t0\t2026-03-04 08:00:00\t说\"好\""}),
                 QStringLiteral("Success!"));
        const PageReply r = rig.page("/score/class.csv", {{"class", kClass}}, rig.cookieFor());
        QCOMPARE(r.status, 200);
        QCOMPARE(r.contentType, QByteArray("text/csv; charset=utf-8"));
        const QByteArray expected = "\xEF\xBB\xBF"
                                    "学生,计分,时间,课题,标准/说明\r\n"
                                    "\"O\"\"Neil, Jr\",-2,2026-03-01 08:00:00,课堂提问,\r\n"
                                    "张三,4.5,2026-03-02 08:00:00,课堂提问,\"答对, 很好\"\r\n"
                                    "'=SUM(A1),3,2026-03-03 08:00:00,课堂提问,'@cmd\r\n"
                                    "张三,0,2026-03-04 08:00:00,'+1 课,\"说\"\"好\"\"\"\r\n";
        QCOMPARE(r.body, expected);
    }

    void csvFileName_data()
    {
        QTest::addColumn<QString>("className");
        QTest::addColumn<QByteArray>("disposition");
        QTest::newRow("chinese") << "一班"
                                 << QByteArray("attachment; filename=\"scores-2026-03-05.csv\"; "
                                               "filename*=UTF-8''%E4%B8%80%E7%8F%AD-2026-03-05.csv");
        QTest::newRow("ascii with a slash")
            << "Class 1/A"
            << QByteArray("attachment; filename=\"Class 1_A-2026-03-05.csv\"; "
                          "filename*=UTF-8''Class%201_A-2026-03-05.csv");
        QTest::newRow("quote and colon") << "a\"b:c"
                                         << QByteArray("attachment; filename=\"a_b_c-2026-03-05.csv\"; "
                                                       "filename*=UTF-8''a_b_c-2026-03-05.csv");
    }
    void csvFileName()
    {
        QFETCH(QString, className);
        QFETCH(QByteArray, disposition);
        WebRig rig;
        QVERIFY(rig.addTeacher());
        QVERIFY(rig.setClasses("t01", {className}));
        const PageReply r = rig.page("/score/class.csv", {{"class", className}}, rig.cookieFor());
        QCOMPARE(headerOf(r, "Content-Disposition"), disposition);
        QCOMPARE(r.body, QByteArray("\xEF\xBB\xBF学生,计分,时间,课题,标准/说明\r\n"));
    }

    // Names, topics and notes are shown as text wherever they appear.
    void everyValueEscaped()
    {
        const QString evil = QStringLiteral("<script>alert(1)</script>");
        const QString cls = QStringLiteral("<b>&\"班%1");
        WebRig rig;
        QVERIFY(rig.addTeacher("t01", "<i>老师</i>"));
        QVERIFY(rig.setClasses("t01", {cls}));
        QVERIFY(rig.setStudents("t01", cls, {evil, "%1%2"}));
        QCOMPARE(rig.upload("t01", "<em>课题</em>",
                            {cls + "\t" + evil + "\t5\t2026-03-01 08:00:00\t<img src=x onerror=alert(2)>",
                             cls + "\t%1%2\t4\t2026-03-01 08:01:00\t"}),
                 QStringLiteral("Success!"));
        const QByteArray cookie = rig.cookieFor();
        const QString home = htmlOf(rig.page("/score/", {}, cookie));
        const QString page = htmlOf(rig.page("/score/class", {{"class", cls}}, cookie));
        for (const QString &html : {home, page}) {
            QVERIFY(!html.contains(u"<script>alert"));
            QVERIFY(!html.contains(u"<img"));
            QVERIFY(!html.contains(u"<b>") && !html.contains(u"<i>") && !html.contains(u"<em>"));
            QVERIFY(html.contains(u"&lt;script&gt;alert(1)&lt;/script&gt;"));
            QVERIFY(html.contains(u"&lt;b&gt;&amp;&quot;班%1"));
        }
        QCOMPARE(home.count(u"<script"), 0);
        QCOMPARE(page.count(u"<script"), 1); // the sorting script
        QCOMPARE(column(tableRows(page, "students"), 0), (QStringList{evil, "%1%2"}));
        QCOMPARE(barsOf(page, "chart-mean").last(), (QStringList{"%1%2", "4"}));
        QCOMPARE(
            tableRows(page, "latest").last(),
            (QStringList{"2026-03-01 08:00", evil, "5", "<em>课题</em>", "<img src=x onerror=alert(2)>"}));
    }

    void otherTeachersClassIsNotFound_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<Fields>("fields");
        QTest::newRow("page of another's class") << "/score/class" << Fields{{"class", "二班"}};
        QTest::newRow("csv of another's class") << "/score/class.csv" << Fields{{"class", "二班"}};
        QTest::newRow("no such class") << "/score/class" << Fields{{"class", "三班"}};
        QTest::newRow("no class named") << "/score/class" << Fields{};
        QTest::newRow("csv, no class named") << "/score/class.csv" << Fields{};
        QTest::newRow("student of another's class") << "/score/student" << Fields{{"class", "二班"}, {"name", "外班生"}};
        QTest::newRow("another's student, same class name")
            << "/score/student" << Fields{{"class", kClass}, {"name", "同名班的学生"}};
        QTest::newRow("csv of another's student") << "/score/student.csv" << Fields{{"class", "二班"}, {"name", "外班生"}};
        QTest::newRow("no such student") << "/score/student" << Fields{{"class", kClass}, {"name", "无名"}};
        QTest::newRow("no student named") << "/score/student" << Fields{{"class", kClass}};
    }
    void otherTeachersClassIsNotFound()
    {
        QFETCH(QString, path);
        QFETCH(Fields, fields);
        WebRig rig;
        QVERIFY(rig.addTeacher("t01"));
        QVERIFY(rig.addTeacher("t02", "周老师"));
        QVERIFY(rig.setClasses("t01", {kClass}));
        QVERIFY(rig.setClasses("t02", {"二班", kClass}));
        QVERIFY(rig.setStudents("t02", "二班", {"外班生"}));
        QVERIFY(rig.setStudents("t02", kClass, {"同名班的学生"}));
        QVERIFY(rig.setStudents("t01", kClass, {"本班生"}));
        const QByteArray cookie = rig.cookieFor("t01");
        const PageReply r = rig.page(path, fields, cookie);
        QCOMPARE(r.status, 404);
        QVERIFY(r.contentType.startsWith("text/html"));
        QVERIFY(!htmlOf(r).contains(u"外班生") && !htmlOf(r).contains(u"同名班的学生"));
        QVERIFY(isSignInForm(rig.page(path, fields, {}))); // signed out: the sign-in form
        // A class name both teachers use shows the signed-in teacher's own class.
        const QString own = classHtml(rig, cookie);
        QCOMPARE(tableRows(own, "students"), (Rows{{"本班生", "0", "0", "—", "—"}}));
    }

    // Every HTML reply names exactly the style and script it carries; nothing else may load.
    void securityPolicy_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<bool>("signedIn");
        QTest::newRow("sign-in form") << "/score" << Fields{} << false;
        QTest::newRow("recent scores") << "/score/" << Fields{{"t", "t01"}, {"mp", Md5Hex("login")}} << false;
        QTest::newRow("home") << "/score/" << Fields{} << true;
        QTest::newRow("class") << "/score/class" << Fields{{"class", kClass}} << true;
        QTest::newRow("not found") << "/score/class" << Fields{{"class", "无"}} << true;
        QTest::newRow("vendor home") << "/" << Fields{} << false;
    }
    void securityPolicy()
    {
        QFETCH(QString, path);
        QFETCH(Fields, fields);
        QFETCH(bool, signedIn);
        WebRig rig;
        fillClass(rig);
        const PageReply r = rig.page(path, fields, signedIn ? rig.cookieFor() : QByteArray());
        QCOMPARE(r.contentType, QByteArray("text/html; charset=utf-8"));
        const QString policy = QString::fromLatin1(headerOf(r, "Content-Security-Policy"));
        QVERIFY(policy.startsWith(u"default-src 'none'; "));
        QVERIFY(!policy.contains(u"unsafe") && !policy.contains(u"http") && !policy.contains(u'*'));
        QVERIFY(policy.contains(u"form-action 'self'") && policy.contains(u"frame-ancestors 'none'"));
        const QString html = htmlOf(r);
        static const QRegularExpression inlined(QStringLiteral("<(style|script)>(.*?)</\\1>"),
                                                QRegularExpression::DotMatchesEverythingOption);
        int found = 0;
        for (auto m = inlined.globalMatch(html); m.hasNext(); ++found) {
            const auto match = m.next();
            QVERIFY2(policy.contains(match.captured(1) + "-src " + sha256Source(match.captured(2))),
                     qPrintable(match.captured(1)));
        }
        QVERIFY(found >= 1);
        QVERIFY(!html.contains(u" style=") && !html.contains(u"<link") && !html.contains(u" src="));
    }

    void classWithoutScores()
    {
        WebRig rig;
        QVERIFY(rig.addTeacher());
        QVERIFY(rig.setClasses("t01", {kClass, "空班"}));
        QVERIFY(rig.setStudents("t01", kClass, {"甲"}));
        const QByteArray cookie = rig.cookieFor();
        const QString page = classHtml(rig, cookie);
        QCOMPARE(tableRows(page, "students"), (Rows{{"甲", "0", "0", "—", "—"}}));
        QVERIFY(page.contains(u"还没有计分记录") && !page.contains(u"<svg"));
        const QString empty = htmlOf(rig.page("/score/class", {{"class", "空班"}}, cookie));
        QVERIFY(empty.contains(u"这个班级还没有学生") && !empty.contains(u"<svg"));
    }

    // A student's page against the records: its figures, the means per topic beside the
    // class's, the class's mean on the student's days, and nothing of a student with none.
    void studentFigures()
    {
        WebRig rig;
        fillClass(rig);
        const QByteArray cookie = rig.cookieFor();
        const QString html = studentHtml(rig, cookie, "张三");
        QCOMPARE(tableRows(html, "figures"),
                 (Rows{{"一班"}, {"2"}, {"3"}, {"3.67"}, {"2.7"}, {"2026-03-03 10:00"}}));
        QCOMPARE(tableRows(html, "topics"), (Rows{{"课堂提问", "2", "4.5", "4.17"}, {"小组讨论", "1", "2", "0.5"}}));
        // One point a day: 张三's mean and the whole class's mean of that day.
        QCOMPARE(tableRows(html, "days"),
                 (Rows{{"2026-03-01", "5", "5"}, {"2026-03-02", "4", "3.75"}, {"2026-03-03", "2", "2"}}));
        QCOMPARE(tableRows(html, "history"), (Rows{{"2026-03-03 10:00", "2", "小组讨论", ""},
                                                   {"2026-03-02 08:00", "4", "课堂提问", ""},
                                                   {"2026-03-01 08:00", "5", "课堂提问", "回答正确"}}));
        const QString chart = html.section(QStringLiteral("<svg class=\"line\""), 1).section(QStringLiteral("</svg>"), 0, 0);
        QCOMPARE(chart.count(u"<path d=\"M"), 2);
        QVERIFY(chart.contains(u"role=\"img\""));
        QVERIFY(html.contains(u"<p class=\"print-head\">一班 · 张三 · 2026-03-05</p>"));
        QVERIFY(html.contains(u"<a href=\"/score/class?class=%D2%BB%B0%E0\">返回一班</a>"));
        QVERIFY(html.contains(u"<a href=\"#\" data-print>打印</a>"));
        // The class page leads to it from the table and from both charts.
        const QString cls = classHtml(rig, cookie);
        QCOMPARE(cls.count(u"href=\"/score/student?class=%D2%BB%B0%E0&amp;name=%D5%C5%C8%FD\""), 1 + 2 + 3);

        const QString none = studentHtml(rig, cookie, "赵六");
        QCOMPARE(tableRows(none, "figures"), (Rows{{"一班"}, {"0"}, {"0"}, {"—"}, {"2.7"}, {"—"}}));
        QVERIFY(none.contains(u"还没有计分记录") && !none.contains(u"<svg"));
    }

    // 100 scores a page, newest first, each page linking to its neighbours; the CSV has them all.
    void studentHistoryPages_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("newest");
        QTest::addColumn<QStringList>("links");
        QTest::newRow("first") << "1" << 100 << "2026-08-03 14:30" << QStringList{"2", "all"};
        QTest::newRow("second") << "2" << 100 << "2026-06-14 14:30" << QStringList{"1", "3", "all"};
        QTest::newRow("last, with the old three") << "3" << 53 << "2026-04-25 14:30" << QStringList{"2", "all"};
        QTest::newRow("past the end: the last") << "9" << 53 << "2026-04-25 14:30" << QStringList{"2", "all"};
        QTest::newRow("below the first: the first") << "-4" << 100 << "2026-08-03 14:30" << QStringList{"2", "all"};
        QTest::newRow("not a number: the first") << "x" << 100 << "2026-08-03 14:30" << QStringList{"2", "all"};
        QTest::newRow("all, to print") << "all" << 253 << "2026-08-03 14:30" << QStringList{"1"};
    }
    void studentHistoryPages()
    {
        QFETCH(QString, page);
        QFETCH(int, rows);
        QFETCH(QString, newest);
        QFETCH(QStringList, links);
        WebRig rig;
        fillHistory(rig);
        const QByteArray cookie = rig.cookieFor();
        const QString html = studentHtml(rig, cookie, "张三", page);
        const Rows history = tableRows(html, "history");
        QCOMPARE(history.size(), rows);
        QCOMPARE(history.first().first(), newest);
        static const QRegularExpression pageLink(
            QStringLiteral("href=\"/score/student\\?class=%D2%BB%B0%E0&amp;name=%D5%C5%C8%FD(?:&amp;page=(\\d+|all))?\""));
        QStringList found;
        for (auto m = pageLink.globalMatch(html); m.hasNext();) {
            const QString to = m.next().captured(1);
            found.append(to.isEmpty() ? QStringLiteral("1") : to);
        }
        QCOMPARE(found, links);
        QCOMPARE(tableRows(html, "figures").value(2), QStringList{"253"});

        const PageReply csv = rig.page("/score/student.csv", {{"class", kClass}, {"name", "张三"}}, cookie);
        QCOMPARE(csv.status, 200);
        QCOMPARE(csv.body.count("\r\n"), 254);
        QVERIFY(csv.body.startsWith("\xEF\xBB\xBF学生,计分,时间,课题,标准/说明\r\n张三,5,2026-03-01 08:00:00,"));
        QVERIFY(headerOf(csv, "Content-Disposition").contains("filename*=UTF-8''%E4%B8%80%E7%8F%AD-%E5%BC%A0%E4%B8%89-"));
    }

    void studentNamesEscaped()
    {
        const QString evil = QStringLiteral("<script>alert(1)</script>");
        const QString cls = QStringLiteral("<b>&\"班 %1");
        WebRig rig;
        QVERIFY(rig.addTeacher());
        QVERIFY(rig.setClasses("t01", {cls}));
        QVERIFY(rig.setStudents("t01", cls, {evil}));
        QCOMPARE(rig.upload("t01", "<em>课题</em>", {cls + "\t" + evil + "\t5\t2026-03-01 08:00:00\t<img src=x>"}),
                 QStringLiteral("Success!"));
        const QByteArray cookie = rig.cookieFor();
        const QString html = htmlOf(rig.page("/score/student", {{"class", cls}, {"name", evil}}, cookie));
        QVERIFY(!html.contains(u"<script>alert") && !html.contains(u"<img") && !html.contains(u"<b>") &&
                !html.contains(u"<em>"));
        QVERIFY(html.contains(u"<h1>&lt;script&gt;alert(1)&lt;/script&gt;</h1>"));
        QVERIFY(html.contains(u"<title>&lt;script&gt;alert(1)&lt;/script&gt;</title></path>"));
        QVERIFY(html.contains(u"&lt;b&gt;&amp;&quot;班 %1 · &lt;script&gt;"));
        QCOMPARE(html.count(u"<script"), 1);
    }

    // No address in a page holds a raw blank, quote or angle bracket, whatever the names.
    void addressesPercentEncoded()
    {
        const QString cls = QStringLiteral("A班 <1> \"x\"#?");
        WebRig rig;
        QVERIFY(rig.addTeacher());
        QVERIFY(rig.setClasses("t01", {cls}));
        QVERIFY(rig.setStudents("t01", cls, {"Li Lei <a>", "韩梅梅"}));
        QCOMPARE(rig.upload("t01", "t", {cls + "\tLi Lei <a>\t5\t2026-03-01 08:00:00\t"}), QStringLiteral("Success!"));
        const QByteArray cookie = rig.cookieFor();
        static const QRegularExpression href(QStringLiteral("href=\"([^\"]*)\""));
        for (const QString &html : {htmlOf(rig.page("/score/", {}, cookie)),
                                    htmlOf(rig.page("/score/class", {{"class", cls}}, cookie)),
                                    htmlOf(rig.page("/score/student", {{"class", cls}, {"name", "Li Lei <a>"}}, cookie))}) {
            int links = 0;
            for (auto m = href.globalMatch(html); m.hasNext(); ++links) {
                const QString address = m.next().captured(1);
                QVERIFY2(!address.contains(u' ') && !address.contains(u"&lt;") && !address.contains(u"&gt;") &&
                             !address.contains(u"&quot;") && (address == u"#" || !address.contains(u'#')),
                         qPrintable(address));
            }
            QVERIFY(links > 0);
        }
        QVERIFY(htmlOf(rig.page("/score/", {}, cookie)).contains(u"href=\"/score/class?class=A%B0%E0%20%3C1%3E%20%22x%22%23%3F\""));
        // The address works: the server reads the class back.
        QCOMPARE(rig.page("/score/class", {{"class", cls}}, cookie).status, 200);
        const PageRequest raw = decodeRequest(Method::Get, "/score/class", "class=A%B0%E0%20%3C1%3E%20%22x%22%23%3F", {});
        QCOMPARE(raw.fields.value("class"), cls);
    }

    // The sign-in form: blanks around the account are dropped; after a wrong password the
    // account stays, the password box is focused and the reason announced.
    void signInForm()
    {
        WebRig rig;
        QVERIFY(rig.addTeacher());
        const QString fresh = htmlOf(rig.page("/score", {}, {}));
        QVERIFY(fresh.contains(u"type=\"text\" autocomplete=\"username\""));
        QVERIFY(fresh.contains(u"value=\"\" autofocus>"));
        QVERIFY(!fresh.contains(u"role=\"alert\""));
        const PageReply in = rig.signIn(QStringLiteral("  T01 \t"), QStringLiteral("login"));
        QCOMPARE(in.status, 303);
        QVERIFY(cookieOf(in).startsWith("corvanta_session="));
        const PageReply wrong = rig.signIn(QStringLiteral(" t01 "), QStringLiteral("nope"));
        const QString html = htmlOf(wrong);
        QVERIFY(html.contains(u"<p class=\"error\" role=\"alert\">用户名或密码错误！</p>"));
        QVERIFY(html.contains(u"value=\"t01\">"));
        QVERIFY(html.contains(u"autocomplete=\"current-password\" required autofocus>"));
        QVERIFY(htmlOf(rig.signIn(QStringLiteral("\"><script>"), QStringLiteral("x"))).contains(u"value=\"&quot;&gt;&lt;script&gt;\""));
    }

    // Another site's page may not sign a browser in or out; this site's pages, on any port,
    // and clients that name no page, may.
    void crossSiteSignIn_data()
    {
        QTest::addColumn<HeaderList>("headers");
        QTest::addColumn<int>("status");
        const QByteArray host = "score.school.cn:8080";
        QTest::newRow("no origin, no referer") << HeaderList{{"Host", host}} << 303;
        QTest::newRow("same origin") << HeaderList{{"Host", host}, {"Origin", "http://score.school.cn:8080"}} << 303;
        QTest::newRow("same host, other port") << HeaderList{{"Host", host}, {"Origin", "https://score.school.cn"}} << 303;
        QTest::newRow("host case") << HeaderList{{"Host", "Score.School.CN"}, {"Origin", "http://score.school.cn"}} << 303;
        QTest::newRow("proxy's host") << HeaderList{{"Host", "127.0.0.1:9000"}, {"X-Forwarded-Host", "score.school.cn"},
                                                   {"Origin", "https://score.school.cn"}} << 303;
        QTest::newRow("same-site referer") << HeaderList{{"Host", host}, {"Referer", "http://score.school.cn:8080/score"}} << 303;
        QTest::newRow("other origin") << HeaderList{{"Host", host}, {"Origin", "https://evil.example"}} << 403;
        QTest::newRow("other origin, own referer")
            << HeaderList{{"Host", host}, {"Origin", "https://evil.example"}, {"Referer", "http://score.school.cn/"}} << 403;
        QTest::newRow("null origin") << HeaderList{{"Host", host}, {"Origin", "null"}} << 403;
        QTest::newRow("other referer") << HeaderList{{"Host", host}, {"Referer", "http://evil.example/x?score.school.cn"}} << 403;
        QTest::newRow("suffix of the host") << HeaderList{{"Host", host}, {"Origin", "http://school.cn"}} << 403;
        QTest::newRow("origin, no host") << HeaderList{{"Origin", "http://score.school.cn"}} << 403;
        QTest::newRow("garbage origin") << HeaderList{{"Host", host}, {"Origin", "\x01\xff::"}} << 403;
    }
    void crossSiteSignIn()
    {
        QFETCH(HeaderList, headers);
        QFETCH(int, status);
        WebRig rig;
        QVERIFY(rig.addTeacher());
        const PageReply in = dispatch(
            rig.service, withHeaders(test::postRequest("/score/", {{"username", "t01"}, {"password", "login"}}), headers));
        QCOMPARE(in.status, status);
        QCOMPARE(headerOf(in, "Set-Cookie").isEmpty(), status == 403);
        // Signing out by another site's page leaves the session as it was.
        const QByteArray cookie = rig.cookieFor();
        HeaderList out = headers;
        out.append({"Cookie", cookie});
        QCOMPARE(dispatch(rig.service, withHeaders(test::postRequest("/score/signout", {}), out)).status, status);
        QCOMPARE(isSignInForm(rig.page("/score/", {}, cookie)), status != 403);
    }

    void faviconAndRobots()
    {
        WebRig rig;
        const PageReply r = rig.get("/favicon.ico", {});
        QCOMPARE(r.status, 200);
        QCOMPARE(r.contentType, QByteArray("image/x-icon"));
        QVERIFY(r.body.startsWith(QByteArray("\0\0\1\0\1\0\x10\x10", 8)));
        QCOMPARE(r.body.size(), 6 + 16 + 40 + 16 * 16 * 4 + 64);
        const PageReply robots = rig.get("/robots.txt", {});
        QCOMPARE(robots.status, 200);
        QCOMPARE(robots.body, QByteArray("User-agent: *\nDisallow:\n"));
    }

    void gzipWhenAccepted_data()
    {
        QTest::addColumn<QByteArray>("accept");
        QTest::addColumn<bool>("gzip");
        QTest::newRow("none") << QByteArray() << false;
        QTest::newRow("browser") << QByteArray("gzip, deflate, br, zstd") << true;
        QTest::newRow("capitals and q") << QByteArray("GZIP;q=0.5") << true;
        QTest::newRow("refused") << QByteArray("gzip;q=0, deflate") << false;
        QTest::newRow("identity only") << QByteArray("identity") << false;
        QTest::newRow("any") << QByteArray("*") << true;
        QTest::newRow("any but gzip") << QByteArray("*, gzip;q=0") << false;
        QTest::newRow("x-gzip") << QByteArray("x-gzip") << true;
        QTest::newRow("bad q") << QByteArray("gzip;q=abc") << false;
    }
    void gzipWhenAccepted()
    {
        QFETCH(QByteArray, accept);
        QFETCH(bool, gzip);
        WebRig rig;
        fillClass(rig);
        PageRequest request = test::getRequest("/score/class", {{"class", kClass}});
        request.headers = {{"Cookie", rig.cookieFor()}, {"Accept-Encoding", accept}};
        PageReply reply = dispatch(rig.service, request);
        const QByteArray plain = reply.body;
        compressForClient(request, reply);
        QCOMPARE(headerOf(reply, "Vary"), QByteArray("Accept-Encoding"));
        QCOMPARE(headerOf(reply, "Content-Encoding"), gzip ? QByteArray("gzip") : QByteArray());
        if (gzip) {
            QVERIFY(reply.body.size() < plain.size() / 3);
            QCOMPARE(gunzip(reply.body), plain);
        } else {
            QCOMPARE(reply.body, plain);
        }
        // The tool's short GBK replies stay as they are.
        PageRequest tool = test::getRequest("/score/servertime.php", {});
        tool.headers = {{"Accept-Encoding", accept}};
        PageReply time = dispatch(rig.service, tool);
        const QByteArray body = time.body;
        compressForClient(tool, time);
        QCOMPARE(time.body, body);
        QVERIFY(headerOf(time, "Content-Encoding").isEmpty());
    }

    // The home page's newest scores are by score time, as on the class page, whatever order
    // they were uploaded in.
    void recentByScoreTime()
    {
        WebRig rig;
        fillClass(rig);
        QCOMPARE(rig.upload("t01", "补录", {"一班\t赵六\t3\t2026-02-01 08:00:00\t"}), QStringLiteral("Success!"));
        const Rows recent = tableRows(htmlOf(rig.page("/score/", {}, rig.cookieFor())), "recent");
        QCOMPARE(column(recent, 0), (QStringList{"2026-03-04 11:00", "2026-03-03 10:00", "2026-03-02 09:00",
                                                 "2026-03-02 08:00", "2026-03-01 08:00", "2026-02-01 08:00"}));
        QCOMPARE(column(recent, 2).first(), QStringLiteral("王五"));
    }
};

QTEST_GUILESS_MAIN(TestWebPages)
#include "tst_WebPages.moc"
