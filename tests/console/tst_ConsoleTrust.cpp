#include "ConsoleRig.h"

#include "net/Session.h"

using namespace corvanta;
using namespace corvanta::test;

// The console cannot change on the server what the teacher did not mean: a list goes only
// to the class or topic it was read for, never from a record file older than the server's
// data, reading stops at a refused login, a new operation password is the one used from
// then on, and no name leaves that the server could not keep as typed.
class TestConsoleTrust : public QObject, private ConsoleRig
{
    Q_OBJECT

    bool loginStillAccepted()
    {
        return m_server.post("/score/checkpassword.php", {{"username", m_account}, {"password", kLogin}})
                   .body == "Success!";
    }

private slots:
    void initTestCase() { startServer(); }
    void init() { openConsole(); }
    void cleanup() { closeConsole(); }

    // The class or topic box is editable: a text typed there without choosing it is not
    // where the page's list came from, and nothing is sent for it.
    void listGoesOnlyToItsOwnSource_data()
    {
        QTest::addColumn<Page>("page");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("kind");
        QTest::newRow("students: add") << Page::Student << "Combo2"
                                       << "C1"
                                       << "C2"
                                       << "Command1"
                                       << "班级";
        QTest::newRow("students: save") << Page::Student << "Combo2"
                                        << "C1"
                                        << "C2"
                                        << "Command8"
                                        << "班级";
        QTest::newRow("students: remove") << Page::Student << "Combo2"
                                          << "C1"
                                          << "C2"
                                          << "Command6"
                                          << "班级";
        QTest::newRow("students: rename") << Page::Student << "Combo2"
                                          << "C1"
                                          << "C2"
                                          << "Command21"
                                          << "班级";
        QTest::newRow("scores: delete") << Page::Score << "Combo1"
                                        << "C1"
                                        << "C2"
                                        << "Command7"
                                        << "班级";
        QTest::newRow("scores: remove") << Page::Score << "Combo1"
                                        << "C1"
                                        << "C2"
                                        << "Command15"
                                        << "班级";
        QTest::newRow("scales: delete") << Page::Scale << "Combo3"
                                        << "课堂提问"
                                        << "课堂"
                                        << "Command31"
                                        << "课题";
        QTest::newRow("scales: remove") << Page::Scale << "Combo3"
                                        << "课堂提问"
                                        << "课堂"
                                        << "Command32"
                                        << "课题";
    }
    void listGoesOnlyToItsOwnSource()
    {
        QFETCH(Page, page);
        QFETCH(QString, box);
        QFETCH(QString, chosen);
        QFETCH(QString, typed);
        QFETCH(QString, action);
        QFETCH(QString, kind);
        showPage(page);
        choose(box, chosen);
        if (action == QLatin1String("Command21")) {
            doubleClick("List1", 0); // the rename frame
            edit("Text15")->setText(QStringLiteral("赵七"));
        } else if (page == Page::Student) {
            text("Text1")->setPlainText(QStringLiteral("赵六"));
            selectRows("List1", {0});
        } else if (page == Page::Scale) {
            selectRows("List5", {0});
        }
        const QStringList c1 = serverStudents("C1"), c2 = serverStudents("C2");
        const QStringList scales = serverScales(QStringLiteral("课堂提问"));
        combo(box)->setEditText(typed); // typed, Enter not pressed
        const QString log = m_server.settledLog();
        click(action);
        QCOMPARE(lastMessage(), QStringLiteral("提示|列表是%1“%2”的，%1框中却是“%3”。请重新选择%1！|48")
                                    .arg(kind, chosen, typed));
        QCOMPARE(m_server.settledLog(), log);
        QCOMPARE(serverStudents("C1"), c1);
        QCOMPARE(serverStudents("C2"), c2);
        QCOMPARE(serverScales(QStringLiteral("课堂提问")), scales);
        QCOMPARE(m_listsChanged->size(), 0);
    }

    // When the record file cannot be fetched again after a change, the pages that edit
    // lists read from it close until a fetch succeeds: an old list is never sent back.
    void staleRecordFileClosesListEditing()
    {
        showPage(Page::Class);
        m_link->setMaxReplyBytes(64); // "Success!" comes through, the record file does not
        text("Text5")->setPlainText(QStringLiteral("C3"));
        click("Command10");
        QCOMPARE(serverRecords().classNames(), (QStringList{"C1", "C2", "C3"}));
        QCOMPARE(lastMessage(), QStringLiteral("提示|数据刷新失败，请稍后重新打开后台！|48"));
        QCOMPARE(label("Label6")->text(), QStringLiteral("数据刷新失败，请稍后重新打开后台！"));
        QVERIFY(!m_session.recordsFresh());

        // Shown again, the page still has only the old file: it shows it, closed.
        showPage(Page::Class);
        QCOMPARE(itemsOf(list("List2")), (QStringList{"C1", "C2"}));
        for (const char *name : {"Command9", "Command10", "Command4"})
            QVERIFY2(!button(QLatin1String(name))->isEnabled(), name);
        text("Text5")->setPlainText(QStringLiteral("C4"));
        click("Command10");
        QCOMPARE(serverRecords().classNames(), (QStringList{"C1", "C2", "C3"}));
        showPage(Page::Topic);
        QVERIFY(!button("Command26")->isEnabled());

        // Once the file comes, the page opens with the server's list.
        m_link->setMaxReplyBytes(64 * 1024 * 1024);
        showPage(Page::Class);
        QCOMPARE(itemsOf(list("List2")), (QStringList{"C1", "C2", "C3"}));
        QVERIFY(button("Command10")->isEnabled());
        click("Command10");
        QCOMPARE(serverRecords().classNames(), (QStringList{"C1", "C2", "C3", "C4"}));
    }

    // A refused login is said once, never listed; then nothing more is read, so the
    // console cannot lock the account by reading on.
    void refusedLoginStopsReading()
    {
        m_login.LoginDigest = Md5Hex(QStringLiteral("changed elsewhere"));
        showPage(Page::Score);
        choose("Combo1", "C1");
        QCOMPARE(list("List3")->count(), 0);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("提示"));
        QVERIFY2(m_prompter.last()->text.startsWith(QStringLiteral("用户名或密码错误！")) &&
                     m_prompter.last()->text.contains(QStringLiteral("重新登录")),
                 qPrintable(m_prompter.last()->text));

        const QString log = m_server.settledLog();
        for (int i = 0; i < 3; ++i) {
            choose("Combo1", "C2");
            QCOMPARE(list("List3")->count(), 0);
        }
        showPage(Page::Scale);
        choose("Combo3", QStringLiteral("课堂提问"));
        QCOMPARE(list("List5")->count(), 0);
        showPage(Page::Teacher);
        QCOMPARE(lastMessage(), QStringLiteral("提示|") + Session::kLoginAgain + QStringLiteral("|48"));
        QCOMPARE(m_server.settledLog(), log);
        QVERIFY(loginStillAccepted());

        // A new login reads again.
        m_session.logInOnline(m_account, Md5Hex(kLogin));
        showPage(Page::Score);
        choose("Combo1", "C1");
        QCOMPARE(itemsOf(list("List3")), serverScores("C1"));
    }

    // After a new operation password is set on the teacher page, every change uses it.
    void newOperationPasswordIsUsedFromThenOn()
    {
        showPage(Page::Teacher);
        edit("Text8")->setText(kOperation);
        edit("Text10")->setText(QStringLiteral("new-oper"));
        click("Command13");
        QCOMPARE(lastMessage(), QStringLiteral("成功|操作成功！|64"));
        QCOMPARE(edit("txtSuperPassword")->text(), QStringLiteral("new-oper"));
        QCOMPARE(m_session.operationPassword(), QStringLiteral("new-oper"));

        showPage(Page::Class);
        text("Text5")->setPlainText(QStringLiteral("C5"));
        click("Command10");
        QCOMPARE(lastMessage(), QStringLiteral("成功|操作成功！|64"));
        QCOMPARE(serverRecords().classNames(), (QStringList{"C1", "C2", "C5"}));
    }

    // What the server could not keep as typed is refused before anything is sent.
    void unsendableTextsAreRefused_data()
    {
        QTest::addColumn<Page>("page");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("problem");
        const QString rare = QStringLiteral("李䶮"), long51 = QString(51, u'班');
        QTest::newRow("class") << Page::Class << "Text5" << rare << "Command10"
                               << "䶮";
        QTest::newRow("class, too long") << Page::Class << "Text5" << long51 << "Command10"
                                         << "超过50个字";
        QTest::newRow("class rename") << Page::Class << "Text13" << rare << "Command18"
                                      << "䶮";
        QTest::newRow("student") << Page::Student << "Text1" << rare << "Command1"
                                 << "䶮";
        QTest::newRow("student rename") << Page::Student << "Text15" << rare << "Command21"
                                        << "䶮";
        QTest::newRow("topic") << Page::Topic << "Text4" << rare << "Command26"
                               << "䶮";
        QTest::newRow("topic rename") << Page::Topic << "Text2" << rare << "Command25"
                                      << "䶮";
        QTest::newRow("new scale") << Page::Scale << "txtNewScale_0" << rare << "Command35"
                                   << "䶮";
        QTest::newRow("scale edit") << Page::Scale << "Text26" << rare << "Command29"
                                    << "䶮";
        QTest::newRow("scale, too long") << Page::Scale << "Text26" << QString(201, u'好') << "Command29"
                                         << "超过200个字";
    }
    void unsendableTextsAreRefused()
    {
        QFETCH(Page, page);
        QFETCH(QString, box);
        QFETCH(QString, value);
        QFETCH(QString, action);
        QFETCH(QString, problem);
        showPage(page);
        QListWidget *rows = nullptr;
        if (page == Page::Class) {
            rows = list("List2");
        } else if (page == Page::Student) {
            choose("Combo2", "C1");
            rows = list("List1");
        } else if (page == Page::Topic) {
            rows = list("List4");
        } else {
            choose("Combo3", QStringLiteral("课堂提问"));
            rows = list("List5");
            if (action == QLatin1String("Command35"))
                click("Command37");
        }
        // Renames and the scale edit go through their frame, opened on the first line.
        const bool inFrame = !box.startsWith(QLatin1String("txt")) && action != QLatin1String("Command10") &&
                             action != QLatin1String("Command1") && action != QLatin1String("Command26");
        if (inFrame)
            emit rows->itemDoubleClicked(rows->item(0));
        if (auto *typed = m_dialog->findChild<QPlainTextEdit *>(box))
            typed->setPlainText(value);
        else
            edit(box)->setText(value);
        const QString log = m_server.settledLog();
        click(action);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("提示"));
        QVERIFY2(m_prompter.last()->text.contains(problem), qPrintable(m_prompter.last()->text));
        QCOMPARE(m_server.settledLog(), log);
    }
};

QTEST_MAIN(TestConsoleTrust)
#include "tst_ConsoleTrust.moc"
