// The score server's data pages through the real binary on a free port: the record file,
// lists and renames, uploads, groups, scales and score records.
#include "ServerPagesRig.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>

using namespace corvanta;
using namespace corvanta::test::pages;
using corvanta::test::ServerProcess;
using Fields = ServerProcess::Fields;

class TestServerPages : public QObject, public ServerPagesRig
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        CORVANTA_SKIP_WITHOUT_POSTGRES();
        QVERIFY2(m_server.start(), qPrintable(m_server.errorText()));
    }

    void recordFileByteForByte()
    {
        const QString t = teacherWithClasses();
        QVERIFY(m_server.setTopics(t, "oper", {kTopic, QStringLiteral("作业")}));
        QVERIFY(m_server.addScales(t, "oper", kTopic,
                                   {{QStringLiteral("回答正确"), 5}, {QStringLiteral("部分正确"), 2.5}}));
        QVERIFY(m_server.upload(t, "oper", kTopic,
                                {line(kClassA, "张三", "5分", 1, "回答正确"), line(kClassA, "张三", "4分", 2),
                                 line(kClassA, "张三", "4分", 3)}));
        QCOMPARE(op("/score/group.php", t, {{"class", kClassA}, {"group[2]", "李四"}}).text(), kOk);
        const QString expected = QStringLiteral("Class_Is_Ready\t一班\t二班\t\r\n"
                                                "[keti]\t课堂提问\t回答正确\t5\t部分正确\t2.5\t\r\n"
                                                "[keti]\t作业\t\r\n"
                                                "一班\t张三\t0\t0\t4.33\t3\r\n"
                                                "一班\t李四\t2\t0\t0\t0\r\n"
                                                "二班\t王五\t0\t0\t0\t0\r\n");
        QCOMPARE(recordFile(t), toGbk(expected));
    }

    void readingPagesRefuseAWrongDigest_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("record") << "/score/record.php";
        QTest::newRow("teacher") << "/score/getteacher.php";
        QTest::newRow("scales") << "/score/getscale.php";
        QTest::newRow("scores") << "/score/getscore.php";
    }
    void readingPagesRefuseAWrongDigest()
    {
        QFETCH(QString, page);
        static const QString t = teacherWithClasses();
        const auto r =
            m_server.get(page, {{"class", kClassA}, {"keti", kTopic}, {"t", t}, {"mp", Md5Hex("wrong")}});
        QCOMPARE(r.status, 200);
        QCOMPARE(r.text(), QStringLiteral("用户名或密码错误！"));
        QVERIFY(!r.body.contains("Class_Is_Ready"));
        // Three wrong digests per page row stay below the lock; the right one still works.
        QVERIFY(recordText(t).startsWith("Class_Is_Ready"));
    }

    void teacherSettings()
    {
        const QString t = newTeacher();
        auto info = [&](const QString &login) {
            return m_server.get("/score/getteacher.php", {{"t", t}, {"mp", Md5Hex(login)}}).text();
        };
        QCOMPARE(info("login"),
                 t.isEmpty() ? QString() : QStringLiteral("测试老师\r\n") + t + "\r\nteacher@example.org");
        auto set = [&](const QString &old, const QString &email, const QString &login,
                       const QString &operation) {
            return m_server
                .post("/score/setteacher.php", {{"username", t},
                                                {"email", email},
                                                {"oldsuperpassword", old},
                                                {"newlogpassword", login},
                                                {"newsuperpassword", operation}})
                .text();
        };
        QCOMPARE(set("wrong", "new@example.org", "", ""), QStringLiteral("用户名或操作密码错误！"));
        QCOMPARE(set("oper", "not an address", "", ""), QStringLiteral("Email地址不正确！"));
        QCOMPARE(set("oper", "new@example.org", "", ""), kOk);
        QVERIFY(info("login").endsWith("new@example.org"));
        QCOMPARE(set("oper", "new@example.org", "新登录", "新操作"), kOk);
        QCOMPARE(info("login"), QStringLiteral("用户名或密码错误！"));
        QVERIFY(info("新登录").startsWith(QStringLiteral("测试老师")));
        QCOMPARE(m_server.post("/score/checkpassword.php", {{"username", t}, {"password", "新登录"}}).text(),
                 kOk);
        QCOMPARE(m_server.setClasses(t, "新操作", {"C"}), true);
        QCOMPARE(m_server.setClasses(t, "oper", {"C"}), false);
    }

    void listReplacementAndCascades()
    {
        const QString t = teacherWithClasses();
        QVERIFY(m_server.addScales(t, "oper", kTopic, {{"A", 5}}));
        QVERIFY(m_server.upload(t, "oper", kTopic,
                                {line(kClassA, "张三", "5分", 1), line(kClassA, "李四", "3分", 1),
                                 line(kClassB, "王五", "4分", 1)}));
        // A student removed loses its scores; the others keep theirs.
        QVERIFY(m_server.setStudents(t, "oper", kClassA, {QStringLiteral("李四"), QStringLiteral("赵六")}));
        QStringList a = scoreLines(t, kClassA);
        QCOMPARE(a.size(), 1);
        QVERIFY(a[0].contains(QStringLiteral("\t李四\t3\t")));
        QVERIFY(
            recordText(t).contains(QStringLiteral("一班\t李四\t0\t0\t3\t1\r\n一班\t赵六\t0\t0\t0\t0\r\n")));
        // A class removed loses its students and scores, also when it comes back.
        QVERIFY(m_server.setClasses(t, "oper", {kClassA}));
        QVERIFY(!recordText(t).contains(kClassB));
        QVERIFY(m_server.setClasses(t, "oper", {kClassB, kClassA}));
        QVERIFY(recordText(t).startsWith(QStringLiteral("Class_Is_Ready\t二班\t一班\t\r\n")));
        QVERIFY(scoreLines(t, kClassB).isEmpty());
        QVERIFY(!recordText(t).contains(QStringLiteral("王五")));
        // A topic removed loses its scales; recorded scores keep their topic text.
        QVERIFY(m_server.setTopics(t, "oper", {QStringLiteral("新课题")}));
        QVERIFY(!recordText(t).contains(kTopic));
        QCOMPARE(
            m_server.get("/score/getscale.php", {{"keti", kTopic}, {"t", t}, {"mp", Md5Hex("login")}}).text(),
            QString());
        QVERIFY(scoreLines(t, kClassA).at(0).endsWith(QStringLiteral("\t课堂提问\t")));
        // An empty list empties; a class name that names no class is refused.
        QVERIFY(m_server.setStudents(t, "oper", kClassA, {}));
        QVERIFY(!recordText(t).contains(QStringLiteral("李四")));
        QCOMPARE(op("/score/student.php", t, {{"class", "三班"}, {"student", "x"}}).text(),
                 QStringLiteral("班级不存在：三班"));
        // Names are stored as they come, SQL included.
        const QString odd = QStringLiteral("'; DROP TABLE class; --");
        QVERIFY(m_server.setClasses(t, "oper", {odd, QStringLiteral("A B")}));
        QVERIFY(recordText(t).startsWith(QStringLiteral("Class_Is_Ready\t") + odd + "\tA B\t\r\n"));
        // A name with a TAB would break the record file.
        QCOMPARE(op("/score/setclass.php", t, {{"class", "x\ty"}}).text(),
                 QStringLiteral("名称含有不允许的字符：x\ty"));
    }

    void renames_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("oldField");
        QTest::addColumn<QString>("newField");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QString>("recordPart"); // found in the record file afterwards
        const QString c = "/score/renameclass.php", s = "/score/renamestudent.php",
                      k = "/score/renameketi.php";
        QTest::newRow("class") << c << "oldclassname"
                               << "newclassname" << kClassA << "三班" << kOk << "三班\t张三\t";
        QTest::newRow("class to empty") << c << "oldclassname"
                                        << "newclassname" << kClassA << ""
                                        << "新名称不能为空！"
                                        << "一班\t张三\t";
        QTest::newRow("class to used") << c << "oldclassname"
                                       << "newclassname" << kClassA << kClassB << "名称已被使用：二班"
                                       << "一班\t张三\t";
        QTest::newRow("unknown class") << c << "oldclassname"
                                       << "newclassname"
                                       << "九班"
                                       << "十班"
                                       << "班级不存在：九班"
                                       << "一班\t张三\t";
        QTest::newRow("student") << s << "oldstuname"
                                 << "newstuname"
                                 << "张三"
                                 << "张三丰" << kOk << "一班\t张三丰\t";
        QTest::newRow("student to used") << s << "oldstuname"
                                         << "newstuname"
                                         << "张三"
                                         << "李四"
                                         << "名称已被使用：李四"
                                         << "一班\t张三\t";
        QTest::newRow("topic") << k << "oldketi"
                               << "newketi" << kTopic << "课堂练习" << kOk << "[keti]\t课堂练习\t";
        QTest::newRow("topic to empty") << k << "oldketi"
                                        << "newketi" << kTopic << ""
                                        << "新名称不能为空！"
                                        << "[keti]\t课堂提问\t";
    }
    void renames()
    {
        QFETCH(QString, page);
        QFETCH(QString, oldField);
        QFETCH(QString, newField);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, reply);
        QFETCH(QString, recordPart);
        const QString t = teacherWithClasses();
        QVERIFY(m_server.upload(t, "oper", kTopic, {line(kClassA, "张三", "5分", 1)}));
        QCOMPARE(op(page, t, {{oldField, from}, {newField, to}, {"class", kClassA}}).text(), reply);
        QVERIFY2(recordText(t).contains(recordPart), qPrintable(recordText(t)));
        // Scores follow a renamed class or student.
        QVERIFY(recordText(t).contains(QRegularExpression(QStringLiteral("\t张三[丰]?\t0\t0\t5\t1\r\n"))));
    }

    void upload()
    {
        const QString t = teacherWithClasses();
        const QStringList lines = {line(kClassA, "张三", "5分", 1, "A&B=C 100%+1"),
                                   line(kClassA, "李四", "3.5分", 2)};
        QVERIFY(m_server.upload(t, "oper", kTopic, lines));
        QStringList got = scoreLines(t, kClassA);
        QCOMPARE(got.size(), 2);
        QVERIFY(got[0].endsWith(QStringLiteral("\t张三\t5\t") + timeText(1) +
                                QStringLiteral("\t课堂提问\tA&B=C 100%+1")));
        QVERIFY(
            got[1].endsWith(QStringLiteral("\t李四\t3.5\t") + timeText(2) + QStringLiteral("\t课堂提问\t")));

        // The same upload again (a reply that got lost) stores nothing twice, nor does a
        // line repeated within one upload.
        QVERIFY(m_server.upload(t, "oper", kTopic, lines));
        QCOMPARE(scoreLines(t, kClassA).size(), 2);
        QVERIFY(m_server.upload(t, "oper", kTopic, {lines[0], line(kClassA, "李四", "1分", 5), lines[0]}));
        QCOMPARE(scoreLines(t, kClassA).size(), 3);

        // One unknown student refuses the whole upload.
        const auto r =
            op("/score/index.php", t,
               {{"keti", kTopic},
                {"score", line(kClassA, "张三", "1分", 9) + "|" + line(kClassA, "无名", "2分", 9)}});
        QCOMPARE(r.text(), QStringLiteral("学生不存在：一班 无名"));
        QCOMPARE(
            op("/score/index.php", t, {{"keti", kTopic}, {"score", line("九班", "张三", "1分", 9)}}).text(),
            QStringLiteral("班级不存在：九班"));
        QCOMPARE(op("/score/index.php", t, {{"keti", kTopic}, {"score", "一班\t张三\t1分\t昨天\t"}}).text(),
                 QStringLiteral("第1行时间不正确：昨天"));
        QCOMPARE(op("/score/index.php", t, {{"keti", kTopic}, {"score", "一班 张三"}}).text(),
                 QStringLiteral("第1行格式不正确：一班 张三"));
        QCOMPARE(op("/score/index.php", t, {{"keti", kTopic}, {"score", ""}}).text(),
                 QStringLiteral("没有要上传的计分！"));
        QCOMPARE(scoreLines(t, kClassA).size(), 3);

        // TAB raw or as %09, GBK bytes escaped or raw: the same lines.
        const QByteArray rawBody = "username=" + t.toLatin1() + "&password=oper&keti=" + toGbk(kTopic) +
                                   "&score=" + toGbk(line(kClassB, "王五", "4分", 3));
        QCOMPARE(m_server.postRaw("/score/index.php", rawBody).text(), kOk);
        QCOMPARE(m_server
                     .post("/score/index.php", {{"username", t},
                                                {"password", "oper"},
                                                {"keti", kTopic},
                                                {"score", line(kClassB, "王五", "4分", 3)}})
                     .text(),
                 kOk);
        QCOMPARE(scoreLines(t, kClassB).size(), 1);

        // The operation password is checked first.
        QCOMPARE(m_server
                     .post("/score/index.php", {{"username", t},
                                                {"password", "login"},
                                                {"keti", kTopic},
                                                {"score", line(kClassB, "王五", "2分", 4)}})
                     .text(),
                 QStringLiteral("用户名或操作密码错误！"));
    }

    void groups()
    {
        const QString t = teacherWithClasses();
        QCOMPARE(op("/score/group.php", t,
                    {{"class", kClassA}, {"group[0]", ""}, {"group[15]", "张三"}, {"group[3]", "李四"}})
                     .text(),
                 kOk);
        QVERIFY(recordText(t).contains(QStringLiteral("一班\t张三\t15\t0\t0\t0\r\n一班\t李四\t3\t")));
        QCOMPARE(op("/score/group.php", t, {{"class", kClassA}, {"group[1]", "张三|王五"}}).text(),
                 QStringLiteral("学生不在本班：王五"));
        QVERIFY(recordText(t).contains(QStringLiteral("一班\t张三\t15\t")));
        QCOMPARE(op("/score/group.php", t, {{"class", "九班"}, {"group[1]", "张三"}}).text(),
                 QStringLiteral("班级不存在：九班"));
    }

    void scales()
    {
        const QString t = teacherWithClasses();
        auto list = [&] {
            return m_server.get("/score/getscale.php", {{"keti", kTopic}, {"t", t}, {"mp", Md5Hex("login")}})
                .text()
                .split("\r\n");
        };
        // A score without its text would be an empty line in the standards list.
        QCOMPARE(op("/score/newscale.php", t,
                    {{"keti", kTopic}, {"newscale", "好\t\t\t\t"}, {"newscore", "4\t\t7分\t\t"}})
                     .text(),
                 QStringLiteral("评分标准不能为空！"));
        QVERIFY(list().join(QString()).isEmpty());
        QCOMPARE(op("/score/newscale.php", t,
                    {{"keti", kTopic}, {"newscale", "好\t\t中\t\t"}, {"newscore", "4\t\t7分\t\t"}})
                     .text(),
                 kOk);
        QStringList lines = list();
        QCOMPARE(lines.size(), 2);
        const QString id = lines[0].section(u'\t', 0, 0);
        QCOMPARE(lines[0], id + QStringLiteral("\t好\t4"));
        QVERIFY(lines[1].endsWith(QStringLiteral("\t中\t7")));
        QCOMPARE(op("/score/newscale.php", t,
                    {{"keti", kTopic}, {"newscale", "\t\t\t\t"}, {"newscore", " \t\t\t\t"}})
                     .text(),
                 QStringLiteral("至少填写一个标准或评分！"));
        QCOMPARE(op("/score/newscale.php", t, {{"keti", "无"}, {"newscale", "x"}, {"newscore", "1"}}).text(),
                 QStringLiteral("课题不存在：无"));
        QCOMPARE(op("/score/editscale.php", t,
                    {{"class", ""}, {"scaleid", id}, {"scale", "很好"}, {"score", "4.5"}})
                     .text(),
                 kOk);
        QCOMPARE(list().at(0), id + QStringLiteral("\t很好\t4.5"));
        QVERIFY(recordText(t).contains(QStringLiteral("[keti]\t课堂提问\t很好\t4.5\t中\t7\t\r\n")));
        QCOMPARE(op("/score/editscale.php", t,
                    {{"class", ""}, {"scaleid", "999999"}, {"scale", "x"}, {"score", "1"}})
                     .text(),
                 QStringLiteral("评分标准不存在！"));
        // Deleting the same ids twice is no error: the console sends them again.
        const QString other = lines[1].section(u'\t', 0, 0);
        QCOMPARE(op("/score/delscale.php", t, {{"keti", kTopic}, {"delid", "|" + other}}).text(), kOk);
        QCOMPARE(op("/score/delscale.php", t, {{"keti", kTopic}, {"delid", "|" + other}}).text(), kOk);
        QCOMPARE(list().size(), 1);
        QCOMPARE(op("/score/delscale.php", t, {{"keti", kTopic}, {"delid", "|x"}}).text(),
                 QStringLiteral("记录编号不正确！"));
        // Another teacher's scale is not found.
        const QString u = teacherWithClasses();
        QCOMPARE(
            op("/score/editscale.php", u, {{"class", ""}, {"scaleid", id}, {"scale", "x"}, {"score", "1"}})
                .text(),
            QStringLiteral("评分标准不存在！"));
        QCOMPARE(op("/score/delscale.php", u, {{"keti", kTopic}, {"delid", "|" + id}}).text(), kOk);
        QCOMPARE(list().size(), 1);
    }

    void scoreRecords()
    {
        const QString t = teacherWithClasses();
        QVERIFY(m_server.upload(t, "oper", kTopic,
                                {line(kClassA, "张三", "5分", 1), line(kClassA, "张三", "3分", 2)}));
        QStringList lines = scoreLines(t, kClassA);
        QCOMPARE(lines.size(), 2);
        const QString id1 = lines[0].section(u'\t', 0, 0), id2 = lines[1].section(u'\t', 0, 0);
        const QString newTime = QString::number(DateTextToSeconds(timeText(30)));
        auto edit = [&](const QString &id, const QString &score, const QString &time, const QString &note) {
            return op("/score/editscore.php", t,
                      {{"class", kClassA},
                       {"scoreid", id},
                       {"score", score},
                       {"time", time},
                       {"keti", "改"},
                       {"addtion", note}})
                .text();
        };
        QCOMPARE(edit(id1, "4.5", newTime, "补记"), kOk);
        lines = scoreLines(t, kClassA);
        QCOMPARE(lines.last(),
                 id1 + QStringLiteral("\t张三\t4.5\t") + timeText(30) + QStringLiteral("\t改\t补记"));
        QCOMPARE(edit(id2, "4.5", newTime, "补记"), QStringLiteral("与已有的计分记录相同！"));
        QCOMPARE(edit(id2, "4", "0", ""), QStringLiteral("时间不正确！"));
        QCOMPARE(edit("999999", "4", newTime, ""), QStringLiteral("计分记录不存在！"));
        QVERIFY(recordText(t).contains(QStringLiteral("一班\t张三\t0\t0\t3.75\t2\r\n")));
        QCOMPARE(op("/score/delscore.php", t, {{"class", kClassA}, {"delid", "|" + id2 + "|" + id1}}).text(),
                 kOk);
        QCOMPARE(op("/score/delscore.php", t, {{"class", kClassA}, {"delid", ""}}).text(), kOk);
        QVERIFY(scoreLines(t, kClassA).isEmpty());
        QVERIFY(recordText(t).contains(QStringLiteral("一班\t张三\t0\t0\t0\t0\r\n")));
        QVERIFY(scoreLines(t, "九班").isEmpty());
    }

    // What the server keeps must be what the teacher gave: a score text is a number (with
    // "分" or without), a time lies in this century's years, a topic, a scale text and a
    // student's name say something, and no student is named twice.
    void refusedAndKeptTexts_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<Fields>("fields");
        QTest::addColumn<QString>("reply");
        const auto upload = [](const QString &score, const QString &time, const QString &topic = kTopic) {
            return Fields{{"keti", topic}, {"score", kClassA + QStringLiteral("\t张三\t") + score + u'\t' + time + u'\t'}};
        };
        const QString time = timeText(1);
        const QString years = QStringLiteral("（计分时间应在2000年至2099年之间）");
        const QString index = QStringLiteral("/score/index.php");
        for (const char *score : {"优", "NaN", "inf", "0x10", "3abc", "1e3", "", "分5"})
            QTest::addRow("score %s", score) << index << upload(QString::fromUtf8(score), time)
                                             << QStringLiteral("第1行分数不正确：") + QString::fromUtf8(score);
        for (const char *score : {"5分", "2.5", "4", " 3 分", "-1分", "4.5分"})
            QTest::addRow("score %s kept", score) << index << upload(QString::fromUtf8(score), time) << kOk;
        for (const char *when : {"1999-12-31 23:59:59", "2100-01-01 00:00:00", "1900-01-01"})
            QTest::addRow("time %s", when) << index << upload("5分", when)
                                           << QStringLiteral("第1行时间不正确：") + when + years;
        for (const char *when : {"2000-01-01 00:00:00", "2099-12-31 23:59:59"})
            QTest::addRow("time %s kept", when) << index << upload("5分", when) << kOk;
        QTest::newRow("empty topic") << index << upload("5分", time, "") << QStringLiteral("课题不能为空！");
        QTest::newRow("blank topic") << index << upload("5分", time, "  ") << QStringLiteral("课题不能为空！");

        const QString edit = QStringLiteral("/score/editscore.php");
        const auto edited = [](const QString &score, qint64 at) {
            return Fields{{"class", kClassA}, {"scoreid", "{id}"},          {"score", score},
                          {"time", QString::number(at)}, {"keti", kTopic}, {"addtion", ""}};
        };
        const qint64 at = DateTextToSeconds(time);
        QTest::newRow("edit score 优") << edit << edited("优", at) << QStringLiteral("分数不正确：优");
        QTest::newRow("edit score NaN") << edit << edited("NaN", at) << QStringLiteral("分数不正确：NaN");
        QTest::newRow("edit score kept") << edit << edited("4.5", at) << kOk;
        QTest::newRow("edit time 1999") << edit << edited("4", DateTextToSeconds("1999-12-31 23:59:59"))
                                        << QStringLiteral("时间不正确：1999-12-31 23:59:59") + years;

        QTest::newRow("new scale without text")
            << "/score/newscale.php" << Fields{{"keti", kTopic}, {"newscale", " \t好"}, {"newscore", "3\t4"}}
            << QStringLiteral("评分标准不能为空！");
        QTest::newRow("edited scale without text")
            << "/score/editscale.php" << Fields{{"class", ""}, {"scaleid", "{scale}"}, {"scale", ""}, {"score", "3"}}
            << QStringLiteral("评分标准不能为空！");
        QTest::newRow("blank student")
            << "/score/student.php" << Fields{{"class", kClassA}, {"student", "张三|  |李四"}}
            << QStringLiteral("学生名单中有空白的姓名，请删除后再试！");
        QTest::newRow("student twice")
            << "/score/student.php" << Fields{{"class", kClassA}, {"student", "张三|李四|张三"}}
            << QStringLiteral("学生名单中“张三”出现了两次，请删除重复的姓名后再试！");
        QTest::newRow("students kept")
            << "/score/student.php" << Fields{{"class", kClassA}, {"student", "|张三|李四|"}} << kOk;
    }
    void refusedAndKeptTexts()
    {
        QFETCH(QString, page);
        QFETCH(Fields, fields);
        QFETCH(QString, reply);
        const QString t = teacherWithClasses();
        QVERIFY(m_server.addScales(t, "oper", kTopic, {{"好", 5}}));
        QVERIFY(m_server.upload(t, "oper", kTopic, {line(kClassA, "李四", "5分", 1)}));
        const QStringList before = scoreLines(t, kClassA);
        const QString scale =
            m_server.get("/score/getscale.php", {{"keti", kTopic}, {"t", t}, {"mp", Md5Hex("login")}}).text();
        for (auto &[name, value] : fields)
            value.replace("{id}", before[0].section(u'\t', 0, 0)).replace("{scale}", scale.section(u'\t', 0, 0));
        const QByteArray record = recordFile(t);
        QCOMPARE(op(page, t, fields).text(), reply);
        if (reply != kOk) {
            QCOMPARE(scoreLines(t, kClassA), before);
            QCOMPARE(recordFile(t), record);
        }
    }

    // A "|" in a scale text would split the standard of every later upload naming it, so
    // each of those uploads would be refused whole.
    void scaleTextWithBar_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("textField");
        QTest::addColumn<QString>("scoreField");
        QTest::newRow("new scale") << "/score/newscale.php"
                                   << "newscale"
                                   << "newscore";
        QTest::newRow("edited scale") << "/score/editscale.php"
                                      << "scale"
                                      << "score";
    }
    void scaleTextWithBar()
    {
        QFETCH(QString, page);
        QFETCH(QString, textField);
        QFETCH(QString, scoreField);
        const QString t = teacherWithClasses();
        QCOMPARE(
            op("/score/newscale.php", t, {{"keti", kTopic}, {"newscale", "好"}, {"newscore", "4"}}).text(),
            kOk);
        const QString before =
            m_server.get("/score/getscale.php", {{"keti", kTopic}, {"t", t}, {"mp", Md5Hex("login")}}).text();
        const QString id = before.section(u'\t', 0, 0);
        QCOMPARE(
            op(page, t, {{"keti", kTopic}, {"scaleid", id}, {textField, "好|差"}, {scoreField, "5"}}).text(),
            QStringLiteral("评分标准含有不允许的字符：好|差"));
        QCOMPARE(
            m_server.get("/score/getscale.php", {{"keti", kTopic}, {"t", t}, {"mp", Md5Hex("login")}}).text(),
            before);
        QVERIFY(m_server.upload(t, "oper", kTopic,
                                {line(kClassA, "张三", "4", 1, "好"), line(kClassA, "李四", "4", 2)}));
    }
};

QTEST_GUILESS_MAIN(TestServerPages)
#include "tst_ServerPages.moc"
