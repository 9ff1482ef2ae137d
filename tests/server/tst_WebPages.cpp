// A signed-in teacher's web pages: the home page's classes, a class page's figures against
// the uploaded scores, its sort orders, the CSV bytes, escaping, the security headers and
// nothing of another teacher's classes.
#include "WebPagesRig.h"

#include "ReplyGzip.h"
#include "Routes.h"
#include "WebReport.h"

#include "net/Wire.h"

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

using namespace corvanta::test::webpages;

// Teacher t01's class kClass with `rows` scores of four students (names a spreadsheet would
// misread among them), three at each time, taking the notes in turn; the teacher's id.
qint64 fillScores(WebRig &rig, int rows, const QStringList &notes)
{
    const QStringList students = {"张三", "O\"Neil, Jr", "=SUM(A1)", "李四"};
    if (!rig.addTeacher() || !rig.setClasses("t01", {kClass}) || !rig.setStudents("t01", kClass, students))
        return 0;
    const qint64 teacher = rig.store->teacherByAccount("t01")->id;
    const qint64 start = DateTextToSeconds(QStringLiteral("2026-03-01 08:00:00"));
    QList<ScoreRecord> records;
    for (int i = 0; i < rows; ++i)
        records.append({0, kClass, students[i % 4], double(i % 11) / 2 - 1, start + (i / 3) * 60,
                        i % 2 ? QStringLiteral("课堂提问") : QStringLiteral("+1 课"), notes[i % notes.size()]});
    rig.store->addScores(teacher, records, 0);
    return teacher;
}

class TestWebPages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CORVANTA_SKIP_WITHOUT_POSTGRES();
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

    // The header names the teacher once: "林 老师", but "林老师" for a name that says it.
    void headerNamesTheTeacherOnce_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::newRow("surname") << QStringLiteral("林") << QStringLiteral("林 老师");
        QTest::newRow("with 老师") << QStringLiteral("林老师") << QStringLiteral("林老师");
        QTest::newRow("老师 alone") << QStringLiteral("老师") << QStringLiteral("老师");
    }
    void headerNamesTheTeacherOnce()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        WebRig rig;
        QVERIFY(rig.addTeacher(QStringLiteral("t01"), name));
        const QString html = htmlOf(rig.page("/score/", {}, rig.cookieFor()));
        QVERIFY2(html.contains(QStringLiteral("<span class=\"note\">%1</span>").arg(shown)), qPrintable(html));
        QVERIFY(!html.contains(u"老师 老师"));
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
        // Means are drawn against the full mark: the best, 3.67, reaches (3.67 + 1) / (5 + 1) of
        // the width from the lowest, -1, not all of it.
        static const QRegularExpression bar(QStringLiteral("<rect x=\"([0-9.]+)%\" y=\"0\" width=\"([0-9.]+)%\""));
        const auto first = bar.match(means);
        QVERIFY(first.hasMatch());
        QVERIFY2(qAbs(first.captured(1).toDouble() + first.captured(2).toDouble() - 100 * 4.67 / 6) < 0.2,
                 qPrintable(first.captured(0)));
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
        // The student table's headings (the fairness table has its own).
        const QString html = classHtml(rig, rig.cookieFor(), sort)
                                 .section(QStringLiteral("id=\"students\""), 1)
                                 .section(QStringLiteral("</table>"), 0, 0);
        static const QRegularExpression link(
            QStringLiteral("<th[^>]*><a href=\"/score/class\\?class=%D2%BB%B0%E0&amp;"
                           "sort=([-a-z]+)\" data-key"));
        QStringList found;
        for (auto m = link.globalMatch(html); m.hasNext();)
            found.append(m.next().captured(1));
        QCOMPARE(found, links);
        QCOMPARE(html.count(u" aria-sort=\""), sort.isEmpty() ? 0 : 1);
    }

    // ---- Fairness ----

    // 一班's lessons: the days with scores, 1 to 4 March. 张三 called 3 times, last on the 3rd;
    // 李四 once on the 2nd; 王五 once on the 4th; 赵六 never.
    void fairness_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<Rows>("rows");
        const QStringList zhao{"赵六", "0", "从未被点到", "—"}, li{"李四", "1", "2", "2026-03-02 09:00"},
            zhang{"张三", "3", "1", "2026-03-03 10:00"}, wang{"王五", "1", "0", "2026-03-04 11:00"};
        QTest::newRow("longest waiting first") << QString() << Rows{zhao, li, zhang, wang};
        QTest::newRow("wait upwards") << "wait" << Rows{wang, zhang, li, zhao};
        QTest::newRow("the student table's order") << "-count" << Rows{zhang, li, wang, zhao};
    }
    void fairness()
    {
        QFETCH(QString, sort);
        QFETCH(Rows, rows);
        WebRig rig;
        fillClass(rig);
        const QString html = classHtml(rig, rig.cookieFor(), sort);
        QCOMPARE(tableRows(html, "fairness"), rows);
        QVERIFY(html.contains(u"被点最多 3 次，最少 0 次，相差 3 次 · 共 4 节课（一天有计分算一节课）"));
        QCOMPARE(html.section(QStringLiteral("<p id=\"longest-waiting\">"), 1)
                     .section(QStringLiteral("</p>"), 0, 0)
                     .remove(QRegularExpression(QStringLiteral("<[^>]*>"))),
                 QStringLiteral("最久未被点到：赵六（从未被点到）、李四（2 节课）、张三（1 节课）"));
        // Sorted by the longest wait, the student table follows.
        if (sort.isEmpty())
            QVERIFY(
                html.contains(u"aria-sort=\"descending\"><a "
                              u"href=\"/score/class?class=%D2%BB%B0%E0&amp;sort=wait\" data-key=\"wait\""));
        else
            QCOMPARE(column(tableRows(html, "students"), 0), column(rows, 0));

        // The student page counts the same lessons.
        const QByteArray cookie = rig.cookieFor();
        for (const auto &[name, note] :
             {std::pair{"李四", "距上次被点 2 节课"}, {"王五", "最近一节课被点到"}, {"赵六", "还没有被点到"}})
            QVERIFY2(studentHtml(rig, cookie, QString::fromUtf8(name))
                         .contains(QString::fromUtf8(note) +
                                   QStringLiteral("（班级共 4 节课，一天有计分算一节课）")),
                     name);
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

    // A class's CSV goes out a batch of 500 scores at a time as the client takes it, gzipped
    // or not: the same bytes as the file made at once, whatever its texts, and equal score
    // times across a batch's end.
    void streamedCsv_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QStringList>("notes"); // the rows take them in turn
        const QStringList tricky = {"说\"好\"", "a, b", "两\r\n行", "=cmd", "", "+1", "-2", "@x", "\t制表"};
        QTest::newRow("empty class") << 0 << QStringList{""};
        QTest::newRow("one row") << 1 << QStringList{"=cmd"};
        QTest::newRow("quotes, commas, line breaks, formulas") << 9 << tricky;
        QTest::newRow("one whole batch") << 500 << tricky;
        QTest::newRow("a batch and one") << 501 << QStringList{"x"};
        QTest::newRow("many batches") << 2345 << tricky;
    }
    void streamedCsv()
    {
        QFETCH(int, rows);
        QFETCH(QStringList, notes);
        WebRig rig;
        const qint64 teacher = fillScores(rig, rows, notes);
        const QByteArray expected = web_report::scoresCsv(*rig.store->scoresOfClass(teacher, kClass));
        QCOMPARE(expected.count("\r\n") - expected.count("两\r\n行"), rows + 1);
        for (const bool packed : {false, true}) {
            PageRequest request = test::getRequest("/score/class.csv", {{"class", kClass}});
            request.headers = {{"Cookie", rig.cookieFor()}, {"Accept-Encoding", packed ? "gzip" : "identity"}};
            PageReply reply = runAdmitted(rig.service, admit(rig.service, request), request);
            QCOMPARE(bool(reply.source), rows > 500);
            compressForClient(request, reply);
            QByteArray sent = reply.body;
            int pieces = 0;
            for (QByteArray piece; reply.source && !(piece = reply.source->next()).isEmpty(); ++pieces)
                sent += piece;
            if (!packed)
                QCOMPARE(pieces, qMax(0, (rows - 1) / 500));
            QCOMPARE(headerOf(reply, "Content-Encoding").isEmpty(), !packed || expected.size() < 1024);
            QCOMPARE(headerOf(reply, "Content-Encoding").isEmpty() ? sent : gunzip(sent), expected);
            QVERIFY(headerOf(reply, "Content-Disposition").startsWith("attachment; filename="));
        }
    }

    // A change of the teacher's data while a download goes on breaks it off: the rows sent
    // would not belong with the rest.
    void csvBrokenOffByAChange_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<Fields>("change");
        QTest::newRow("a new score") << "/score/index.php"
                                     << Fields{{"keti", "课堂提问"}, {"score", "一班\t张三\t5\t2026-01-01 08:00:00\t"}};
        QTest::newRow("the class gone") << "/score/setclass.php" << Fields{{"class", "二班"}};
    }
    void csvBrokenOffByAChange()
    {
        QFETCH(QString, path);
        QFETCH(Fields, change);
        WebRig rig;
        fillScores(rig, 1200, {""});
        const PageRequest request = test::getRequest("/score/class.csv", {{"class", kClass}});
        PageRequest signedIn = request;
        signedIn.headers = {{"Cookie", rig.cookieFor()}};
        PageReply reply = runAdmitted(rig.service, admit(rig.service, signedIn), signedIn);
        QVERIFY(reply.source);
        QVERIFY(!reply.source->next().isEmpty());
        QCOMPARE(textOf(rig.postAs("t01", path, change)), QStringLiteral("Success!"));
        QVERIFY_THROWS_EXCEPTION(StoreError, reply.source->next());
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
};

QTEST_GUILESS_MAIN(TestWebPages)
#include "tst_WebPages.moc"
