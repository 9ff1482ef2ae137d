// The upload panel against the real score server.
#include "PanelRig.h"
#include "ScoringTestSupport.h"
#include "support/ServerProcess.h"

#include "net/Wire.h"
#include "scoring/ScoreDataFile.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QUrlQuery>

using namespace corvanta;
using corvanta::test::FakePrompter;
using corvanta::test::fileBytes;
using corvanta::test::gbkLines;
using corvanta::test::ServerProcess;

namespace {

const QString kAccount = QStringLiteral("teacher01");
const QString kLoginPassword = QStringLiteral("login");
const QString kOperation = QStringLiteral("oper");
const QString kTopic = QStringLiteral("光合作用");

const QStringList kLines = {
    QStringLiteral("C1\t张三\t3分\t2026-03-05 09:07:02\t"),
    QStringLiteral("C1\t李四\t4分\t2026-03-05 09:08:10\t表述清楚"),
    QStringLiteral("C1\t王五\t4.5分\t2026-03-05 09:09:20\t步骤完整"),
};

} // namespace

class TestUploadServer : public QObject, private corvanta::test::PanelRig
{
    Q_OBJECT
private slots:
    void init()
    {
        m_server.reset(new ServerProcess);
        QVERIFY2(m_server->start(), qPrintable(m_server->errorText()));
        QVERIFY(m_server->registerTeacher(kAccount, kLoginPassword, kOperation));
        QVERIFY(m_server->setClasses(kAccount, kOperation, {"C1"}));
        QVERIFY(m_server->setStudents(kAccount, kOperation, "C1", {"张三", "李四", "王五"}));
        QVERIFY(m_server->setTopics(kAccount, kOperation, {"课堂提问", kTopic}));

        resetRig();
        m_login.LoginUser = kAccount;
        m_login.LoginDigest = Md5Hex(kLoginPassword);
        for (const QString &line : kLines)
            QVERIFY(m_pending->append(test::score(line)));
        connectPanel();
    }
    void cleanup()
    {
        dropRig();
        m_server.reset();
    }

    void onlySentLinesLeave()
    {
        m_panel->openPanel();
        panelChild<QListWidget>("List4")->item(1)->setSelected(false);
        m_prompter.questionAnswers = {true};
        QTest::mouseClick(panelChild<QPushButton>("Command13"), Qt::LeftButton);

        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown[0].kind, "question");
        QCOMPARE(m_prompter.shown[0].title, "成功");
        QCOMPARE(m_prompter.shown[0].text, "上传成功，是否上网查看上传结果！");
        QCOMPARE(m_prompter.shown[0].icon, PromptIcon::None);
        QCOMPARE(m_prompter.openedUrls.size(), 1);
        const QUrl page = m_prompter.openedUrls[0];
        QCOMPARE(page.path(), "/score/");
        const QUrlQuery query(page);
        QCOMPARE(query.queryItemValue("t"), kAccount);
        QCOMPARE(query.queryItemValue("n"), "2");
        QCOMPARE(query.queryItemValue("mp"), Md5Hex(kLoginPassword));

        QCOMPARE(panelChild<QListWidget>("List4")->count(), 1);
        QCOMPARE(panelChild<QListWidget>("List4")->item(0)->text(), kLines[1]);
        QCOMPARE(m_pending->lines(), QStringList{kLines[1]});

        const QStringList stored = storedScores();
        QCOMPARE(stored.size(), 2);
        // Each stored record carries the topic shown at upload time and the standard.
        QCOMPARE(stored[0].section(u'\t', 1), "张三\t3\t2026-03-05 09:07:02\t光合作用\t");
        QCOMPARE(stored[1].section(u'\t', 1, 1), "王五");
        QCOMPARE(stored[1].section(u'\t', 4), "光合作用\t步骤完整");
    }

    void answeringNoStillEmptiesSentLines()
    {
        m_panel->openPanel();
        m_prompter.questionAnswers = {false};
        QTest::mouseClick(panelChild<QPushButton>("Command13"), Qt::LeftButton);
        QVERIFY(m_prompter.openedUrls.isEmpty());
        QCOMPARE(panelChild<QListWidget>("List4")->count(), 0);
        QCOMPARE(fileBytes(m_pending->filePath()), QByteArray());
        QCOMPARE(storedScores().size(), 3);
    }

    void wrongOperationPasswordKeepsLines()
    {
        panelChild<QLineEdit>("Text4")->setText("wrong");
        m_panel->openPanel();
        QTest::mouseClick(panelChild<QPushButton>("Command13"), Qt::LeftButton);

        QCOMPARE(m_prompter.shown.size(), 1);
        const auto &shown = m_prompter.shown[0];
        QCOMPARE(shown.kind, "message");
        QCOMPARE(shown.title, "错误");
        QCOMPARE(shown.icon, PromptIcon::Warning);
        QVERIFY2(shown.text.endsWith("\r\n上传错误！"), qPrintable(shown.text));
        const QString reason = shown.text.chopped(QStringLiteral("\r\n上传错误！").size());
        QVERIFY(!reason.isEmpty());
        QVERIFY(reason != "Success!");
        QCOMPARE(panelChild<QListWidget>("List4")->count(), 3);
        QCOMPARE(m_panel->selectedRows().size(), 3);
        QCOMPARE(m_pending->lines(), kLines);
        QVERIFY(storedScores().isEmpty());
    }

    void stoppedServerLeadsToFileThenImportUploadsOnce()
    {
        m_server->stop();
        m_panel->openPanel();
        const QString file = m_dir->filePath("offline");
        m_prompter.fileNames = {file};
        QTest::mouseClick(panelChild<QPushButton>("Command13"), Qt::LeftButton);

        QCOMPARE(m_prompter.shown.size(), 3);
        QCOMPARE(m_prompter.shown[0].text, "网络异常！建议保存数据，然后导入上传！");
        QCOMPARE(m_prompter.shown[1].kind, "save");
        QCOMPARE(m_prompter.shown[2].title, "保存成功");
        QCOMPARE(panelChild<QListWidget>("List4")->count(), 0);
        QCOMPARE(fileBytes(file + ".cvr"), gbkLines(kLines));

        // The server comes back (on a new port, same database); the tool is started again.
        QVERIFY2(m_server->start(), qPrintable(m_server->errorText()));
        connectPanel();
        for (int round = 0; round < 2; ++round) {
            m_prompter = FakePrompter();
            m_prompter.fileNames = {file + ".cvr"};
            m_prompter.questionAnswers = {false};
            QTest::mouseClick(panelChild<QPushButton>("Command15"), Qt::LeftButton);
            QCOMPARE(m_panel->selectedRows().size(), 3);
            QTest::mouseClick(panelChild<QPushButton>("Command13"), Qt::LeftButton);
            QCOMPARE(m_prompter.last()->title, "成功");
            QCOMPARE(panelChild<QListWidget>("List4")->count(), 0);
            // A second upload of the same lines adds nothing on the server.
            QCOMPARE(storedScores().size(), 3);
        }
    }

    // A line the server cannot store (a student renamed or deleted there, a class gone, a
    // broken line) blocks only itself for a tool that says it reads the answer line by line;
    // an older tool still gets all or nothing. Either way a second upload stores nothing twice.
    void refusedLinesOneByOne_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("partial");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<int>("stored");
        const QString zhao = QStringLiteral("C1\t赵六\t3分\t2026-03-05 09:10:00\t");
        const QString otherClass = QStringLiteral("C9\t张三\t3分\t2026-03-05 09:10:00\t");
        const QString badTime = QStringLiteral("C1\t张三\t3分\tnot a time\t");
        QTest::newRow("older tool, unknown student")
            << QStringList{kLines[0], zhao, kLines[1]} << false << "学生不存在：C1 赵六" << 0;
        QTest::newRow("unknown student")
            << QStringList{kLines[0], zhao, kLines[1]} << true << "Partial!\r\n2\t学生不存在：C1 赵六" << 2;
        QTest::newRow("unknown class and a broken line")
            << QStringList{otherClass, kLines[0], badTime} << true
            << "Partial!\r\n1\t班级不存在：C9\r\n3\t第3行时间不正确：not a time" << 1;
        QTest::newRow("nothing storable") << QStringList{otherClass, zhao} << true
                                          << "Partial!\r\n1\t班级不存在：C9\r\n2\t学生不存在：C1 赵六" << 0;
        QTest::newRow("every line known") << kLines << true << "Success!" << 3;
    }
    void refusedLinesOneByOne()
    {
        QFETCH(QStringList, lines);
        QFETCH(bool, partial);
        QFETCH(QString, reply);
        QFETCH(int, stored);
        ServerProcess::Fields fields{
            {"username", kAccount}, {"password", kOperation}, {"keti", kTopic}, {"score", lines.join(u'|')}};
        if (partial)
            fields.append({QStringLiteral("partial"), QStringLiteral("1")});
        for (int round = 0; round < 2; ++round) {
            const auto answer = m_server->post("/score/index.php", fields);
            QCOMPARE(answer.status, 200);
            QCOMPARE(answer.text(), reply);
            QCOMPARE(storedScores().size(), stored);
        }
    }

    // Through the panel: the stored lines leave, the refused one stays marked and selected,
    // and the teacher removes it after saying yes; today's log keeps it as removed.
    void refusedLineStaysMarkedUntilRemoved()
    {
        const QString zhao = QStringLiteral("C1\t赵六\t3分\t2026-03-05 09:10:00\t");
        QVERIFY(m_pending->append(test::score(zhao)));
        m_panel->openPanel();
        QTest::mouseClick(panelChild<QPushButton>("Command13"), Qt::LeftButton);

        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown[0].title, "提示");
        QCOMPARE(m_prompter.shown[0].icon, PromptIcon::Warning);
        QVERIFY2(m_prompter.shown[0].text.startsWith("已上传 3 条成绩；以下 1 条没有上传"),
                 qPrintable(m_prompter.shown[0].text));
        QVERIFY(m_prompter.shown[0].text.contains("C1 赵六 3分 2026-03-05 09:10:00：学生不存在：C1 赵六"));
        QCOMPARE(listTexts(), QStringList{zhao});
        QCOMPARE(m_pending->lines(), QStringList{zhao});
        QCOMPARE(m_panel->selectedRows(), QList<int>{0});
        QCOMPARE(m_panel->refusal(0), "学生不存在：C1 赵六");
        QVERIFY(!list4()->item(0)->icon().isNull());
        QCOMPARE(storedScores().size(), 3);

        // No: nothing changes. Yes: the line goes, into the log as removed.
        const QString log = m_dir->filePath(kAccount + "_C1_2026-03-05.Log");
        for (bool yes : {false, true}) {
            m_prompter = FakePrompter();
            m_prompter.questionAnswers = {yes};
            QTest::mouseClick(panelChild<QPushButton>("btnRemove"), Qt::LeftButton);
            QCOMPARE(m_prompter.shown.size(), 1);
            QCOMPARE(m_prompter.shown[0].kind, "question");
            QVERIFY(m_prompter.shown[0].text.contains("C1 赵六 3分 2026-03-05 09:10:00"));
            QCOMPARE(m_pending->size(), yes ? 0 : 1);
            QCOMPARE(list4()->count(), yes ? 0 : 1);
        }
        QCOMPARE(fileBytes(log), gbkLines({"已删除\t2026-03-05 09:07:02\t" + zhao}));
        QVERIFY(readScoreLines(log)->lines.isEmpty()); // never read as a score
    }

private:
    void connectPanel()
    {
        linkTo(m_server->baseUrl());
        makePanel();
        m_panel->setTopic(kTopic);
        m_session.setOperationPassword(kOperation);
    }
    QStringList storedScores()
    {
        const auto reply = m_server->get("/score/getscore.php",
                                         {{"class", "C1"}, {"t", kAccount}, {"mp", Md5Hex(kLoginPassword)}});
        if (reply.status != 200)
            return {QStringLiteral("status %1").arg(reply.status)};
        return reply.text().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    std::unique_ptr<ServerProcess> m_server;
};

QTEST_MAIN(TestUploadServer)
#include "tst_UploadServer.moc"
