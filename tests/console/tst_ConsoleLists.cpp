#include "ConsoleRig.h"

#include "core/TextCodec.h"

using namespace corvanta;
using namespace corvanta::test;

// The class, student and topic pages of the console against the real score server.
class TestConsoleLists : public QObject, private ConsoleRig
{
    Q_OBJECT

    QString writeImport(const QByteArray &bytes)
    {
        const QString path = m_dir->filePath(QStringLiteral("names.txt"));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(bytes);
        return path;
    }

private slots:
    void initTestCase() { startServer(); }
    void init() { openConsole(); }
    void cleanup() { closeConsole(); }

    void pagesStartHiddenAndSwitch()
    {
        QVERIFY(find<QWidget>("Picture1")->isVisible());
        QVERIFY(label("Label1")->isVisible());
        for (const ConsolePageEntry &page : consolePages())
            QVERIFY(!find<QWidget>(pageObjectName(page.id))->isVisible());
        showPage(Page::Class);
        QVERIFY(find<QWidget>(pageObjectName(Page::Class))->isVisible());
        QVERIFY(!find<QWidget>("Picture1")->isVisible());
        QVERIFY(!label("Label1")->isVisible());
        QCOMPARE(itemsOf(list("List2")), (QStringList{"C1", "C2"}));
        showPage(Page::Topic);
        QVERIFY(!find<QWidget>(pageObjectName(Page::Class))->isVisible());
        QCOMPARE(itemsOf(list("List4")), QStringList{QStringLiteral("课堂提问")});
    }

    void classAddRemoveRename()
    {
        showPage(Page::Class);
        text("Text5")->setPlainText(QStringLiteral("C3\r\n\r\nC 4\r\nC1"));
        click("Command10");
        QCOMPARE(label("Label6")->text(), QStringLiteral("已添加2个班级！1个班级名称已存在，被忽略！"));
        QVERIFY(text("Text5")->toPlainText().isEmpty());
        QCOMPARE(serverRecords().classNames(), (QStringList{"C1", "C2", "C3", "C4"}));
        QCOMPARE(itemsOf(list("List2")), serverRecords().classNames());
        QCOMPARE(m_listsChanged->size(), 1);
        QCOMPARE(lastMessage(), QStringLiteral("成功|操作成功！|64"));

        selectRows("List2", {1, 3});
        click("Command9");
        QCOMPARE(label("Label6")->text(), QStringLiteral("已成功删除2个班级！"));
        QCOMPARE(serverRecords().classNames(), (QStringList{"C1", "C3"}));
        QCOMPARE(m_listsChanged->size(), 2);

        doubleClick("List2", 1);
        QVERIFY(find<QWidget>("Frame2")->isVisible());
        QCOMPARE(edit("Text12")->text(), QStringLiteral("C3"));
        QVERIFY(!edit("Text12")->isEnabled());
        edit("Text13")->setText(QStringLiteral("三班"));
        click("Command18");
        QCOMPARE(lastMessage(), QStringLiteral("成功|修改成功！|64"));
        QVERIFY(!find<QWidget>("Frame2")->isVisible());
        QCOMPARE(itemsOf(list("List2")), (QStringList{"C1", QStringLiteral("三班")}));
        QCOMPARE(serverRecords().classNames(), itemsOf(list("List2")));
        QCOMPARE(m_listsChanged->size(), 3);
    }

    // A name counts as present when it is stored already, spaces aside.
    void addedAndPresent_data()
    {
        QTest::addColumn<Page>("page");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("text");
        QTest::newRow("classes") << Page::Class << "Text5"
                                 << "Command10"
                                 << "Label6" << QStringLiteral("C 1\r\nC5")
                                 << QStringLiteral("已添加1个班级！1个班级名称已存在，被忽略！");
        QTest::newRow("students") << Page::Student << "Text1"
                                  << "Command1"
                                  << "Label2" << QStringLiteral("张 三\r\n新生")
                                  << QStringLiteral("已添加1名学生！1名学生存在，被忽略！");
        QTest::newRow("topics") << Page::Topic << "Text4"
                                << "Command26"
                                << "Label34" << QStringLiteral("课堂 提问\r\n作业")
                                << QStringLiteral("已添加1个课题！1个课题名称已存在，被忽略！");
    }
    void addedAndPresent()
    {
        QFETCH(Page, page);
        QFETCH(QString, input);
        QFETCH(QString, button);
        QFETCH(QString, status);
        QFETCH(QString, typed);
        QFETCH(QString, text);
        showPage(page);
        if (page == Page::Student)
            choose("Combo2", "C1");
        const QString listName = QMap<Page, QString>{
            {Page::Class, "List2"},
            {Page::Student, "List1"},
            {Page::Topic, "List4"}}.value(page);
        const QStringList before = itemsOf(list(listName));
        this->text(input)->setPlainText(typed);
        click(button);
        QCOMPARE(label(status)->text(), text);
        QCOMPARE(itemsOf(list(listName)).size(), before.size() + 1);
    }

    // What the status labels say when nothing is sent.
    void nothingToDo_data()
    {
        QTest::addColumn<Page>("page");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("no class to add") << Page::Class << "Text5"
                                         << "Command10"
                                         << "Label6" << QStringLiteral("没有需要添加的班级！");
        QTest::newRow("no class selected")
            << Page::Class << ""
            << "Command9"
            << "Label6" << QStringLiteral("请选择需要删除的班级，然后点击删除按钮！");
        QTest::newRow("no student to add") << Page::Student << "Text1"
                                           << "Command1"
                                           << "Label2" << QStringLiteral("没有需要添加的学生！");
        QTest::newRow("no student selected") << Page::Student << ""
                                             << "Command6"
                                             << "Label2" << QStringLiteral("请选择需要删除的学生");
        QTest::newRow("no topic to add") << Page::Topic << "Text4"
                                         << "Command26"
                                         << "Label34" << QStringLiteral("没有需要添加的课题！");
    }
    void nothingToDo()
    {
        QFETCH(Page, page);
        QFETCH(QString, input);
        QFETCH(QString, button);
        QFETCH(QString, status);
        QFETCH(QString, text);
        showPage(page);
        if (page == Page::Student)
            choose("Combo2", "C1");
        if (!input.isEmpty())
            this->text(input)->setPlainText(QStringLiteral("\r\n  \r\n"));
        const QString log = m_server.settledLog();
        click(button);
        QCOMPARE(label(status)->text(), text);
        QVERIFY(m_prompter.shown.isEmpty());
        QCOMPARE(m_server.settledLog(), log); // nothing was sent
        if (!input.isEmpty())
            QCOMPARE(this->text(input)->toPlainText(), QStringLiteral("\n  \n"));
    }

    void studentsAddSelectRemoveRename()
    {
        showPage(Page::Student);
        QVERIFY(!button("Command1")->isEnabled());
        QCOMPARE(combo("Combo2")->currentText(), QStringLiteral("班级"));
        choose("Combo2", "C1");
        QCOMPARE(itemsOf(list("List1")), (QStringList{QStringLiteral("张三"), QStringLiteral("李四")}));
        for (const char *name : {"Command1", "Command2", "Command3", "Command5", "Command6", "Command8"})
            QVERIFY(button(QLatin1String(name))->isEnabled());

        text("Text1")->setPlainText(QStringLiteral("赵 六\r\n张三\r\n孙七"));
        click("Command1");
        QCOMPARE(label("Label2")->text(), QStringLiteral("已添加2名学生！1名学生存在，被忽略！"));
        QCOMPARE(serverStudents("C1"), itemsOf(list("List1")));
        QCOMPARE(itemsOf(list("List1")).last(), QStringLiteral("孙七"));

        selectRows("List1", {0});
        click("Command3");
        QCOMPARE(label("Label2")->text(), QStringLiteral("成功反向选择了4个学生！"));
        QCOMPARE(list("List1")->selectedItems().size(), 3);
        click("Command2");
        QCOMPARE(label("Label2")->text(), QStringLiteral("成功选择了4个学生！"));
        QCOMPARE(list("List1")->selectedItems().size(), 4);
        selectRows("List1", {0, 2});
        click("Command6");
        QCOMPARE(label("Label2")->text(), QStringLiteral("操作成功！"));
        QCOMPARE(serverStudents("C1"), (QStringList{QStringLiteral("李四"), QStringLiteral("孙七")}));

        doubleClick("List1", 1);
        edit("Text15")->setText(QStringLiteral("孙八"));
        click("Command21");
        QCOMPARE(lastMessage(), QStringLiteral("成功|修改成功！|64"));
        QCOMPARE(itemsOf(list("List1")), (QStringList{QStringLiteral("李四"), QStringLiteral("孙八")}));
        QCOMPARE(serverStudents("C1"), itemsOf(list("List1")));
        QVERIFY(m_listsChanged->size() >= 3);
    }

    // A list the server would refuse (a blank name, one name twice, as an old record file may
    // hold) is refused before anything is sent.
    void refusedStudentListNotSent_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("message");
        QTest::newRow("blank") << QStringList{QStringLiteral("张三"), QStringLiteral("  ")}
                               << QStringLiteral("学生名单中有空白的姓名，请删除后再试！");
        QTest::newRow("twice") << QStringList{QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("张三")}
                               << QStringLiteral("学生名单中“张三”出现了两次，请删除重复的姓名后再试！");
    }
    void refusedStudentListNotSent()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, message);
        showPage(Page::Student);
        choose("Combo2", "C1");
        list("List1")->clear();
        list("List1")->addItems(names);
        const QString log = m_server.settledLog();
        click("Command8");
        QCOMPARE(lastMessage(), QStringLiteral("提示|") + message + QStringLiteral("|48"));
        QCOMPARE(m_server.settledLog(), log);
        QCOMPARE(serverStudents("C1"), (QStringList{QStringLiteral("张三"), QStringLiteral("李四")}));
    }

    // A student list file in any of its usual forms fills the input box one name a line.
    void import_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("GBK, CR LF") << toGbk(QStringLiteral("周一\r\n吴二\r\n"));
        QTest::newRow("GBK, LF") << toGbk(QStringLiteral("周一\n吴二\n"));
        QTest::newRow("UTF-8") << QStringLiteral("周一\r\n吴二").toUtf8();
        QTest::newRow("UTF-8 with mark")
            << QByteArray("\xEF\xBB\xBF") + QStringLiteral("周一\n吴二\n").toUtf8();
    }
    void import()
    {
        QFETCH(QByteArray, bytes);
        showPage(Page::Student);
        choose("Combo2", "C2");
        text("Text1")->setPlainText(QStringLiteral("typed"));
        m_prompter.fileNames = {writeImport(bytes)};
        click("Command5");
        QCOMPARE(m_prompter.shown.first().kind, QStringLiteral("open"));
        QCOMPARE(m_prompter.shown.first().title, QStringLiteral("打开"));
        QVERIFY(text("Text1")->toPlainText().startsWith(QStringLiteral("周一\n吴二")));
        QCOMPARE(label("Label2")->text(), QStringLiteral("已成功导入，请检查后点击添加！"));
        click("Command1");
        QCOMPARE(label("Label2")->text(), QStringLiteral("已添加2名学生！"));
        QCOMPARE(serverStudents("C2"),
                 (QStringList{QStringLiteral("王五"), QStringLiteral("周一"), QStringLiteral("吴二")}));
    }

    void importRefusesAHugeFile()
    {
        showPage(Page::Student);
        choose("Combo2", "C2");
        m_prompter.fileNames = {writeImport(QByteArray(2 * 1024 * 1024, 'a'))};
        click("Command5");
        QVERIFY(text("Text1")->toPlainText().isEmpty());
        QCOMPARE(m_prompter.last()->title, QStringLiteral("提示"));
        QVERIFY(m_prompter.last()->text.startsWith(QStringLiteral("文件太大")));
        QCOMPARE(serverStudents("C2"), QStringList{QStringLiteral("王五")});
    }

    void importCancelledLeavesTheBoxEmpty()
    {
        showPage(Page::Student);
        choose("Combo2", "C2");
        text("Text1")->setPlainText(QStringLiteral("typed"));
        click("Command5");
        QVERIFY(text("Text1")->toPlainText().isEmpty());
        QCOMPARE(label("Label2")->text(), QStringLiteral("[警告]删除学生后，计分信息将被同时清除！"));
    }

    void topicsAddRemoveRename()
    {
        showPage(Page::Topic);
        text("Text4")->setPlainText(QStringLiteral("作业\r\n实验"));
        click("Command26");
        QCOMPARE(label("Label34")->text(), QStringLiteral("已添加2个课题！"));
        QCOMPARE(serverRecords().topicNames(),
                 (QStringList{QStringLiteral("课堂提问"), QStringLiteral("作业"), QStringLiteral("实验")}));
        QVERIFY(m_standardsChanged->size() >= 1);

        selectRows("List4", {1});
        click("Command27");
        QCOMPARE(label("Label34")->text(), QStringLiteral("已成功删除1个课题！"));
        QCOMPARE(serverRecords().topicNames(),
                 (QStringList{QStringLiteral("课堂提问"), QStringLiteral("实验")}));

        // With nothing selected the unchanged list still goes.
        click("Command27");
        QCOMPARE(label("Label34")->text(), QStringLiteral("请选择需要删除的课题，然后点击删除按钮！"));

        doubleClick("List4", 1);
        edit("Text2")->setText(QStringLiteral("实验报告"));
        click("Command25");
        QCOMPARE(lastMessage(), QStringLiteral("成功|修改成功！|64"));
        QCOMPARE(itemsOf(list("List4")),
                 (QStringList{QStringLiteral("课堂提问"), QStringLiteral("实验报告")}));
        QCOMPARE(serverRecords().topicNames(), itemsOf(list("List4")));
    }

    // Names that would split or break a record are refused before anything is sent.
    void badNamesAreRefused_data()
    {
        QTest::addColumn<Page>("page");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("listName");
        QTest::newRow("class with bar") << Page::Class << "Text5"
                                        << "Command10"
                                        << "List2";
        QTest::newRow("student with tab") << Page::Student << "Text1"
                                          << "Command1"
                                          << "List1";
        QTest::newRow("topic with bar") << Page::Topic << "Text4"
                                        << "Command26"
                                        << "List4";
    }
    void badNamesAreRefused()
    {
        QFETCH(Page, page);
        QFETCH(QString, input);
        QFETCH(QString, button);
        QFETCH(QString, listName);
        showPage(page);
        if (page == Page::Student)
            choose("Combo2", "C1");
        const QStringList before = itemsOf(list(listName));
        text(input)->setPlainText(page == Page::Student ? QStringLiteral("好\r\n甲\t乙")
                                                        : QStringLiteral("好\r\nA|B"));
        const QString log = m_server.settledLog();
        click(button);
        QCOMPARE(m_prompter.last()->title, QStringLiteral("提示"));
        QVERIFY(m_prompter.last()->text.startsWith(QStringLiteral("名称中不能含有")));
        QCOMPARE(itemsOf(list(listName)), before);
        QCOMPARE(m_server.settledLog(), log);
    }

    void emptyRenameIsRefused_data()
    {
        QTest::addColumn<Page>("page");
        QTest::addColumn<QString>("listName");
        QTest::addColumn<QString>("newBox");
        QTest::addColumn<QString>("button");
        QTest::newRow("class") << Page::Class << "List2"
                               << "Text13"
                               << "Command18";
        QTest::newRow("student") << Page::Student << "List1"
                                 << "Text15"
                                 << "Command21";
        QTest::newRow("topic") << Page::Topic << "List4"
                               << "Text2"
                               << "Command25";
    }
    void emptyRenameIsRefused()
    {
        QFETCH(Page, page);
        QFETCH(QString, listName);
        QFETCH(QString, newBox);
        QFETCH(QString, button);
        showPage(page);
        if (page == Page::Student)
            choose("Combo2", "C1");
        doubleClick(listName, 0);
        edit(newBox)->clear();
        const QString log = m_server.settledLog();
        click(button);
        QCOMPARE(lastMessage(), QStringLiteral("提示|新名称不能为空！|48"));
        QCOMPARE(m_server.settledLog(), log);
        QVERIFY(edit(newBox)->parentWidget()->isVisible());
    }

    // A refused save keeps the local edit and says what the server said, not "added".
    void refusedSaveKeepsItsOwnStatus()
    {
        edit("txtSuperPassword")->setText(QStringLiteral("wrong"));
        showPage(Page::Class);
        text("Text5")->setPlainText(QStringLiteral("C9"));
        click("Command10");
        const QString reply = label("Label6")->text();
        QVERIFY2(!reply.startsWith(QStringLiteral("已添加")), qPrintable(reply));
        QVERIFY(!reply.isEmpty());
        QCOMPARE(m_prompter.last()->text, reply + QStringLiteral("\r\n操作错误！"));
        QCOMPARE(m_prompter.last()->title, QStringLiteral("错误"));
        QCOMPARE(itemsOf(list("List2")), (QStringList{"C1", "C2", "C9"}));
        QCOMPARE(serverRecords().classNames(), (QStringList{"C1", "C2"}));
        QCOMPARE(m_listsChanged->size(), 0);

        // The next save sends the kept edit again.
        edit("txtSuperPassword")->setText(kOperation);
        click("Command4");
        QCOMPARE(serverRecords().classNames(), (QStringList{"C1", "C2", "C9"}));
        QCOMPARE(label("Label6")->text(), QStringLiteral("操作成功！"));
    }

    void failedSaveSaysNetwork()
    {
        showPage(Page::Student);
        choose("Combo2", "C1");
        selectRows("List1", {0});
        m_server.stop();
        m_link->setTimeoutMs(2000);
        click("Command6");
        QVERIFY(m_server.start());
        QCOMPARE(label("Label2")->text(), QStringLiteral("网络异常！"));
        QCOMPARE(lastMessage(), QStringLiteral("错误|网络异常！|48"));
        QCOMPARE(itemsOf(list("List1")), QStringList{QStringLiteral("李四")});
    }

    void writeAccessRefusals_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("offline") << LoginState::offlineUser() << kOperation
                                 << QStringLiteral("登录后才能进行此操作！");
        QTest::newRow("not logged in") << "" << kOperation << QStringLiteral("登录后才能进行此操作！");
        QTest::newRow("no password") << ""
                                     << "" << QStringLiteral("登录后才能进行此操作！");
        QTest::newRow("online, no password") << "*"
                                             << "" << QStringLiteral("请在右侧输入操作密码！");
    }
    void writeAccessRefusals()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, refusal);
        if (user != QLatin1String("*"))
            m_login.LoginUser = user;
        edit("txtSuperPassword")->setText(password);
        showPage(Page::Class);
        text("Text5")->setPlainText(QStringLiteral("C7"));
        selectRows("List2", {0});
        for (const char *action : {"Command10", "Command9"}) {
            m_prompter.clear();
            click(QLatin1String(action));
            QCOMPARE(lastMessage(), QStringLiteral("提示|") + refusal + QStringLiteral("|48"));
        }
        QCOMPARE(itemsOf(list("List2")), (QStringList{"C1", "C2"}));
    }
};

QTEST_MAIN(TestConsoleLists)
#include "tst_ConsoleLists.moc"
