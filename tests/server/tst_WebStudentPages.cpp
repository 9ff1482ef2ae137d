// A signed-in teacher's student pages (figures, history pages, escaping and addresses), the
// sign-in form against other sites, and how the pages are served (gzip, favicon, robots).
#include "WebPagesRig.h"

#include "ReplyGzip.h"

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

class TestWebStudentPages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CORVANTA_SKIP_WITHOUT_POSTGRES();
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
                 (Rows{{"一班"}, {"2"}, {"3"}, {"3.67 / 5"}, {"2.7 / 5"}, {"2026-03-03 10:00"}}));
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
        // The class page leads to it from the table, from both charts and from the fairness
        // part's table and its list of those who waited longest.
        const QString cls = classHtml(rig, cookie);
        QCOMPARE(cls.count(u"href=\"/score/student?class=%D2%BB%B0%E0&amp;name=%D5%C5%C8%FD\""), 1 + 2 + 3 + 2);

        const QString none = studentHtml(rig, cookie, "赵六");
        QCOMPARE(tableRows(none, "figures"), (Rows{{"一班"}, {"0"}, {"0"}, {"—"}, {"2.7 / 5"}, {"—"}}));
        QVERIFY(none.contains(u"还没有计分记录") && !none.contains(u"<svg"));
    }

    // The sheet a parent takes home: the group only where the class has groups; the day chart
    // from zero to the full mark (lower for a negative mean), its ticks dated and its axes titled.
    void studentChart_data()
    {
        QTest::addColumn<bool>("grouped");
        QTest::addColumn<bool>("history");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("figureHeads");
        QTest::addColumn<QStringList>("scale");
        QTest::addColumn<QStringList>("ticks");
        const QStringList withGroup = {"班级", "组", "被点次数", "平均分", "班级平均分", "最近计分"};
        QStringList noGroup = withGroup;
        noGroup.removeAt(1);
        const QStringList full = {"0", "1", "2", "3", "4", "5"};
        QTest::newRow("groups, a day each") << true << false << "张三" << withGroup << full
                                            << QStringList{"3月1日", "3月2日", "3月3日"};
        QTest::newRow("no groups") << false << false << "张三" << noGroup << full
                                   << QStringList{"3月1日", "3月2日", "3月3日"};
        QTest::newRow("a negative mean") << true << false << "王五" << withGroup << (QStringList{"-1"} + full)
                                         << QStringList{"3月4日"};
        // The class's mean of 2026-03-04 is 王五's -1.
        QTest::newRow("five months: every second month") << true << true << "张三" << withGroup
                                                         << (QStringList{"-1"} + full)
                                                         << QStringList{"3月", "5月", "7月"};
    }
    void studentChart()
    {
        QFETCH(bool, grouped);
        QFETCH(bool, history);
        QFETCH(QString, name);
        QFETCH(QStringList, figureHeads);
        QFETCH(QStringList, scale);
        QFETCH(QStringList, ticks);
        WebRig rig;
        history ? fillHistory(rig) : fillClass(rig);
        if (!grouped) {
            const qint64 id = rig.store->teacherByAccount("t01")->id;
            QCOMPARE(rig.store->setGroups(id, kClass, {{"张三", 0}, {"李四", 0}, {"王五", 0}}), StoreResult::Done);
        }
        const QString html = studentHtml(rig, rig.cookieFor(), name);
        static const QRegularExpression rowHead(QStringLiteral("<th scope=\"row\">([^<]*)</th>"));
        const QString figures = html.section(QStringLiteral("id=\"figures\""), 1).section(QStringLiteral("</table>"), 0, 0);
        QStringList heads;
        for (auto m = rowHead.globalMatch(figures); m.hasNext();)
            heads.append(m.next().captured(1));
        QCOMPARE(heads, figureHeads);
        QCOMPARE(html.contains(u">组<"), grouped);
        const QString chart = html.section(QStringLiteral("<svg class=\"line\""), 1).section(QStringLiteral("</svg>"), 0, 0);
        const auto texts = [&](const QString &pattern) {
            QStringList out;
            for (auto m = QRegularExpression(pattern).globalMatch(chart); m.hasNext();)
                out.append(m.next().captured(1));
            return out;
        };
        QCOMPARE(texts(QStringLiteral("<text [^>]*text-anchor=\"end\">([-0-9.]+)</text>")), scale);
        QCOMPARE(texts(QStringLiteral("<text class=\"tick\"[^>]*>([^<]*)</text>")), ticks);
        QCOMPARE(texts(QStringLiteral("<text class=\"axis\"[^>]*>([^<]*)</text>")),
                 (QStringList{"平均分", "日期（2026年）"}));
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

    // No address in a page holds a raw blank, quote or angle bracket, whatever the names; a "#"
    // only starts a link to a place in the page.
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
                             !address.contains(u"&quot;") && (address.startsWith(u'#') || !address.contains(u'#')),
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

    // Another site's page may not sign a browser in or out, nor a request that names no page
    // (every browser names it on a form's POST); this site's pages, on any port, may.
    void crossSiteSignIn_data()
    {
        QTest::addColumn<HeaderList>("headers");
        QTest::addColumn<int>("status");
        const QByteArray host = "score.school.cn:8080";
        QTest::newRow("no origin, no referer") << HeaderList{{"Host", host}} << 403;
        QTest::newRow("empty origin and referer") << HeaderList{{"Host", host}, {"Origin", ""}, {"Referer", " "}} << 403;
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

    // Each process keeps the figures of the home page, the class pages and the class's part of
    // the student pages; a change made through another process shows on its next page just as
    // a process started afresh shows it.
    void pagesFollowChangesOfTheOtherProcess_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("upload"); // else the other process deletes 李四's scores
        for (const char *path : {"/score/", "/score/class", "/score/student"}) {
            QTest::addRow("%s, upload", path) << path << true;
            QTest::addRow("%s, deletion", path) << path << false;
        }
    }
    void pagesFollowChangesOfTheOtherProcess()
    {
        QFETCH(QString, path);
        QFETCH(bool, upload);
        WebRig a;
        fillClass(a);
        WebRig b(a.database);
        const QByteArray cookie = a.cookieFor();
        Fields fields;
        if (path != u"/score/")
            fields = {{"class", kClass}, {"name", "张三"}};
        const auto show = [&](WebRig &rig) { return htmlOf(rig.page(path, fields, cookie)); };
        const QString before = show(a);
        QCOMPARE(show(b), before);
        if (upload) {
            QCOMPARE(b.upload("t01", "课堂提问", {"一班\t李四\t1\t2026-03-02 10:00:00\t"}), QStringLiteral("Success!"));
        } else {
            const qint64 id = b.store->teacherByAccount("t01")->id;
            const QList<ScoreRecord> gone = b.store->scoresOfStudent(id, kClass, "李四").value();
            QList<qint64> ids;
            for (const ScoreRecord &r : gone)
                ids.append(r.id);
            b.store->deleteScores(id, ids);
        }
        const QString after = show(a);
        QVERIFY(after != before);
        WebRig fresh(a.database);
        QCOMPARE(after, show(fresh));
    }
};

QTEST_GUILESS_MAIN(TestWebStudentPages)
#include "tst_WebStudentPages.moc"
