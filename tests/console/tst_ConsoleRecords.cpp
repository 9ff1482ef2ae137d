#include "ConsoleRig.h"

#include "support/RawHttpPeer.h"
#include "support/ZoneScope.h"

#include <QScopeGuard>

#include <QTimer>

using namespace corvanta;
using namespace corvanta::test;

// The settings, scale, score and shortcut pages of the console against the real server,
// and the console's wait.
class TestConsoleRecords : public QObject, private ConsoleRig
{
    Q_OBJECT

    void uploadScores()
    {
        QVERIFY(m_server.upload(m_account, kOperation, QStringLiteral("课堂提问"),
                                {QStringLiteral("C1\t张三\t5\t2026-03-01 08:00:00\t回答正确"),
                                 QStringLiteral("C1\t李四\t3\t2026-03-01 08:05:00\t"),
                                 QStringLiteral("C1\t张三\t4\t2026-03-02 09:00:00\t")}));
    }
    QString idOf(const QString &line) const { return line.section(u'\t', 0, 0); }

private slots:
    void initTestCase() { startServer(); }
    void init() { openConsole(); }
    void cleanup() { closeConsole(); }

    void settingsReadAndChange()
    {
        showPage(Page::Teacher);
        QCOMPARE(edit("Text6")->text(), QStringLiteral("王老师"));
        QCOMPARE(edit("Text7")->text(), m_account);
        QCOMPARE(edit("Text11")->text(), QStringLiteral("wang@example.org"));
        QVERIFY(!edit("Text6")->isEnabled());
        QCOMPARE(edit("Text8")->echoMode(), QLineEdit::Password);

        edit("Text11")->setText(QStringLiteral(" new@example.org "));
        edit("Text8")->setText(QStringLiteral(" ") + kOperation);
        edit("Text9")->setText(QStringLiteral("new-login"));
        edit("Text10")->setText(QStringLiteral("new-oper"));
        click("Command13");
        QCOMPARE(lastMessage(), QStringLiteral("成功|操作成功！|64"));
        // The new login password works at once, and the reading pages keep working.
        QCOMPARE(m_server
                     .post(QStringLiteral("/score/checkpassword.php"),
                           {{"username", m_account}, {"password", QStringLiteral("new-login")}})
                     .body,
                 QByteArray("Success!"));
        QCOMPARE(m_login.LoginDigest, Md5Hex(QStringLiteral("new-login")));
        edit("Text6")->clear();
        showPage(Page::Teacher);
        QCOMPARE(edit("Text6")->text(), QStringLiteral("王老师"));
        QCOMPARE(edit("Text11")->text(), QStringLiteral("new@example.org"));
        QVERIFY(m_server.setClasses(m_account, QStringLiteral("new-oper"), {"C1"}));

        click("Command14");
        QVERIFY(edit("Text8")->text().isEmpty() && edit("Text9")->text().isEmpty() &&
                edit("Text10")->text().isEmpty());
        QCOMPARE(edit("Text11")->text(), QStringLiteral("new@example.org"));
    }

    void enterSendsTheSettingsChange()
    {
        showPage(Page::Teacher);
        edit("Text8")->setFocus();
        QTest::keyClick(edit("Text8"), Qt::Key_Return);
        QCOMPARE(lastMessage(), QStringLiteral("警告|原操作密码必须填写！|48"));
    }

    void settingsRefusals()
    {
        showPage(Page::Teacher);
        edit("Text8")->setText(QStringLiteral("   "));
        click("Command13");
        QCOMPARE(lastMessage(), QStringLiteral("警告|原操作密码必须填写！|48"));

        edit("Text8")->setText(QStringLiteral("wrong"));
        click("Command13");
        QVERIFY(m_prompter.last()->text.endsWith(QStringLiteral("\r\n操作失败！")));
        QCOMPARE(m_prompter.last()->title, QStringLiteral("错误"));

        // Without the teacher's information nothing can be changed.
        m_login.LoginDigest = Md5Hex(QStringLiteral("not it"));
        edit("Text6")->clear();
        showPage(Page::Teacher);
        QVERIFY(edit("Text6")->text().isEmpty());
        click("Command13");
        QCOMPARE(lastMessage(), QStringLiteral("错误|无法获取教师信息，暂时无法修改密码！|16"));
    }

    void scalesNewEditDelete()
    {
        showPage(Page::Scale);
        QCOMPARE(combo("Combo3")->currentText(), QStringLiteral("课题"));
        QVERIFY(!button("Command37")->isEnabled());
        choose("Combo3", QStringLiteral("课堂提问"));
        QCOMPARE(itemsOf(list("List5")), serverScales(QStringLiteral("课堂提问")));
        QCOMPARE(list("List5")->count(), 2);
        QVERIFY(button("Command37")->isEnabled());

        click("Command37");
        QVERIFY(find<QWidget>("Frame7")->isVisible());
        QCOMPARE(edit("Text28")->text(), QStringLiteral("课堂提问"));
        QVERIFY(!edit("Text28")->isEnabled());
        QCOMPARE(itemsOf(list("List6")), itemsOf(list("List5")));
        edit("txtNewScale_0")->setText(QStringLiteral("声音洪亮"));
        edit("txtNewScore_0")->setText(QStringLiteral("4分"));
        edit("txtNewScore_2")->setText(QStringLiteral("abc"));
        // A score without its text would be an empty line in the standards list.
        const QString log = m_server.settledLog();
        click("Command35");
        QCOMPARE(lastMessage(), QStringLiteral("提示|评分标准不能为空！|48"));
        QCOMPARE(m_server.settledLog(), log);
        edit("txtNewScale_2")->setText(QStringLiteral("语速适中"));
        click("Command35");
        QCOMPARE(lastMessage(), QStringLiteral("成功|操作成功！|64"));
        QVERIFY(!find<QWidget>("Frame7")->isVisible());
        QVERIFY(edit("txtNewScale_0")->text().isEmpty() && edit("txtNewScore_2")->text().isEmpty());
        const QStringList scales = serverScales(QStringLiteral("课堂提问"));
        QCOMPARE(itemsOf(list("List5")), scales);
        QCOMPARE(scales.size(), 4);
        QCOMPARE(scales[2].section(u'\t', 1), QStringLiteral("声音洪亮\t4"));
        QCOMPARE(scales[3].section(u'\t', 1), QStringLiteral("语速适中\t0"));
        QVERIFY(m_standardsChanged->size() >= 1);

        doubleClick("List5", 0);
        QVERIFY(find<QWidget>("Frame6")->isVisible());
        QCOMPARE(edit("Text21")->text(), QStringLiteral("课堂提问"));
        QCOMPARE(edit("Text25")->text(), idOf(scales[0]));
        edit("Text26")->setText(QStringLiteral(" "));
        const QString logBeforeEdit = m_server.settledLog();
        click("Command29");
        QCOMPARE(lastMessage(), QStringLiteral("提示|评分标准不能为空！|48"));
        QCOMPARE(m_server.settledLog(), logBeforeEdit);
        edit("Text26")->setText(QStringLiteral("完全正确"));
        edit("Text27")->setText(QStringLiteral("4.5"));
        click("Command29");
        QCOMPARE(lastMessage(), QStringLiteral("成功|修改成功！|64"));
        QVERIFY(!find<QWidget>("Frame6")->isVisible());
        QCOMPARE(list("List5")->item(0)->text(), idOf(scales[0]) + QStringLiteral("\t完全正确\t4.5"));
        const QList<Standard> standards = serverRecords().standards(QStringLiteral("课堂提问"));
        QCOMPARE(standards.first().text, QStringLiteral("完全正确"));

        const int changesBefore = int(m_listsChanged->size());
        selectRows("List5", {1, 3});
        click("Command32");
        QCOMPARE(label("Label38")->text(), QStringLiteral("已删除2条标准！"));
        QCOMPARE(serverScales(QStringLiteral("课堂提问")), itemsOf(list("List5")));
        QCOMPARE(list("List5")->count(), 2);
        QCOMPARE(m_listsChanged->size(), changesBefore + 1);
    }

    void newScalesNeedSomething()
    {
        showPage(Page::Scale);
        choose("Combo3", QStringLiteral("课堂提问"));
        click("Command37");
        edit("txtNewScale_1")->setText(QStringLiteral("  "));
        const QString log = m_server.settledLog();
        click("Command35");
        QCOMPARE(lastMessage(), QStringLiteral("提示|至少填写一个标准或评分！|48"));
        QCOMPARE(m_server.settledLog(), log);
        QVERIFY(find<QWidget>("Frame7")->isVisible());
    }

    // A refused delete shows the scales again as the server still has them.
    void refusedScaleDeleteComesBack()
    {
        showPage(Page::Scale);
        choose("Combo3", QStringLiteral("课堂提问"));
        const QStringList before = itemsOf(list("List5"));
        edit("txtSuperPassword")->setText(QStringLiteral("wrong"));
        selectRows("List5", {0});
        click("Command32");
        QCOMPARE(itemsOf(list("List5")), before);
        QVERIFY(!label("Label38")->text().startsWith(QStringLiteral("已删除")));
        QVERIFY(m_prompter.last()->text.endsWith(QStringLiteral("\r\n操作错误！")));
        QCOMPARE(serverScales(QStringLiteral("课堂提问")), before);
    }

    // A score's time is the text the teacher saw: the score list, a correction sent
    // unchanged and the web pages keep it, whatever zones the tool and the server run in, on
    // the days clocks change too.
    void correctionKeepsTheTimeAcrossZones_data()
    {
        QTest::addColumn<QByteArray>("toolZone");
        QTest::addColumn<QString>("serverZone");
        QTest::addColumn<QString>("time");
        QTest::newRow("China tool, UTC server") << QByteArray("Asia/Shanghai") << "UTC" << "2026-12-08 04:47:17";
        QTest::newRow("UTC tool, China server") << QByteArray("UTC") << "Asia/Shanghai" << "2026-12-08 20:15:00";
        QTest::newRow("server skips the hour") << QByteArray("Asia/Shanghai") << "Europe/Berlin"
                                               << "2026-03-29 02:30:00";
        QTest::newRow("server has the hour twice") << QByteArray("Asia/Shanghai") << "Europe/Berlin"
                                                   << "2026-10-25 02:30:00";
        QTest::newRow("tool skips the hour") << QByteArray("America/New_York") << "Europe/Berlin"
                                             << "2026-03-08 02:30:00";
        QTest::newRow("half-hour zone tool, hour twice on the server")
            << QByteArray("Australia/Lord_Howe") << "America/New_York" << "2026-11-01 01:30:00";
        QTest::newRow("both skip the hour") << QByteArray("Europe/Berlin") << "Europe/Berlin"
                                            << "2026-03-29 02:30:00";
    }
    void correctionKeepsTheTimeAcrossZones()
    {
        QFETCH(QByteArray, toolZone);
        QFETCH(QString, serverZone);
        QFETCH(QString, time);
        ZoneScope tool(toolZone);
        m_server.setZone(serverZone);
        QVERIFY2(m_server.restart(), qPrintable(m_server.errorText()));
        const auto serverBack = qScopeGuard([this] {
            m_server.setZone({});
            QVERIFY2(m_server.restart(), qPrintable(m_server.errorText()));
        });
        QVERIFY(m_server.upload(m_account, kOperation, QStringLiteral("课堂提问"),
                                {QStringLiteral("C1\t张三\t5分\t") + time + u'\t'}));
        showPage(Page::Score);
        choose("Combo1", "C1");
        QCOMPARE(list("List3")->count(), 1);
        const QString line = list("List3")->item(0)->text();
        QCOMPARE(line.section(u'\t', 3, 3), time);

        doubleClick("List3", 0);
        QCOMPARE(edit("Text19")->text(), time);
        click("Command23");
        QCOMPARE(lastMessage(), QStringLiteral("成功|修改成功！|64"));
        QCOMPARE(itemsOf(list("List3")), QStringList{line});

        const ServerProcess::Reply csv =
            m_server.webGet(m_account, kLogin, QStringLiteral("/score/class.csv"), {{"class", "C1"}});
        QCOMPARE(csv.status, 200);
        QVERIFY2(csv.body.contains(time.toUtf8()), csv.body.constData());
        const ServerProcess::Reply student = m_server.webGet(m_account, kLogin, QStringLiteral("/score/student"),
                                                             {{"class", "C1"}, {"name", QStringLiteral("张三")}});
        QCOMPARE(student.status, 200);
        QVERIFY(QString::fromUtf8(student.body).contains(time.mid(5, 11))); // "MM-dd hh:mm", the year apart
    }

    void scoresCorrectAndDelete()
    {
        uploadScores();
        showPage(Page::Score);
        QCOMPARE(combo("Combo1")->currentText(), QStringLiteral("班级"));
        choose("Combo1", "C1");
        const QStringList lines = serverScores("C1");
        QCOMPARE(lines.size(), 3);
        QCOMPARE(itemsOf(list("List3")), lines);

        doubleClick("List3", 1);
        QVERIFY(find<QWidget>("Frame4")->isVisible());
        QCOMPARE(edit("Text16")->text(), idOf(lines[1]));
        QCOMPARE(edit("Text17")->text(), QStringLiteral("李四"));
        edit("Text18")->setText(QStringLiteral("4.5"));
        edit("Text19")->setText(QStringLiteral("2026-03-01 10:00:00"));
        edit("Text24")->setText(QStringLiteral("补记"));
        click("Command23");
        QCOMPARE(lastMessage(), QStringLiteral("成功|修改成功！|64"));
        QVERIFY(!find<QWidget>("Frame4")->isVisible());
        QCOMPARE(itemsOf(list("List3")), serverScores("C1"));
        QVERIFY(itemsOf(list("List3"))
                    .contains(idOf(lines[1]) +
                              QStringLiteral("\t李四\t4.5\t2026-03-01 10:00:00\t课堂提问\t补记")));

        selectRows("List3", {0, 2});
        click("Command15");
        QCOMPARE(label("Label16")->text(), QStringLiteral("已删除2条计分！"));
        QCOMPARE(itemsOf(list("List3")), serverScores("C1"));
        QCOMPARE(list("List3")->count(), 1);
        const StudentRecord zhang = *serverRecords().findStudent("C1", QStringLiteral("张三"));
        QCOMPARE(zhang.count, 0.0);
        QVERIFY(m_listsChanged->size() >= 2);

        // Nothing selected: nothing sent.
        list("List3")->clearSelection();
        click("Command15");
        QCOMPARE(label("Label16")->text(), QStringLiteral("请选择需要删除的计分！"));
    }

    void failedScoreDeleteComesBack()
    {
        uploadScores();
        showPage(Page::Score);
        choose("Combo1", "C1");
        const QStringList before = itemsOf(list("List3"));
        selectRows("List3", {1});
        m_server.stop();
        m_link->setTimeoutMs(2000);
        click("Command15");
        QVERIFY(m_server.start());
        QCOMPARE(label("Label16")->text(), QStringLiteral("网络异常！"));
        QCOMPARE(itemsOf(list("List3")), before);
        QCOMPARE(serverScores("C1"), before);
    }

    void shortcutsCreateAndDeleteAll()
    {
        // A fresh account: neither folder exists yet.
        const console::ShortcutFolders folders = shortcutFolders();
        QVERIFY(!QFileInfo::exists(folders.applications));
        showPage(Page::Shortcut);
        click("Command11");
        for (int kind = 0; kind < 3; ++kind) {
            QVERIFY(find<QCheckBox>(QStringLiteral("ChkShortCut_%1").arg(kind))->isChecked());
            QVERIFY(console::shortcutExists(kind, folders));
        }
        QFile other(QDir(folders.applications).filePath(QStringLiteral("Brastel/other.desktop")));
        QVERIFY(other.open(QIODevice::WriteOnly));
        other.close();
        click("Command12");
        for (int kind = 0; kind < 3; ++kind)
            QVERIFY(!find<QCheckBox>(QStringLiteral("ChkShortCut_%1").arg(kind))->isChecked());
        // Another program's file in the group folder stays, and so does the folder.
        QVERIFY(other.exists());
        QVERIFY(!QFileInfo::exists(console::shortcutPath(1, folders)));
        QVERIFY(!QFileInfo::exists(console::shortcutPath(0, folders)));
        QVERIFY(m_prompter.shown.isEmpty());
    }

    void existingLauncherIsTickedOnFill()
    {
        const console::ShortcutFolders folders = shortcutFolders();
        QVERIFY(QDir().mkpath(folders.desktop));
        QFile old(console::shortcutPath(0, folders));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("[Desktop Entry]\nExec=/old/place\n");
        old.close();
        showPage(Page::Shortcut);
        QVERIFY(find<QCheckBox>("ChkShortCut_0")->isChecked());
        QVERIFY(!find<QCheckBox>("ChkShortCut_2")->isChecked());
        QVERIFY(old.open(QIODevice::ReadOnly));
        QVERIFY(!old.readAll().contains("/old/place")); // written again for this program
    }

    // A launcher that cannot be written is said, and its box shows the truth on disk.
    void unwritableLauncherIsReported()
    {
        // A file stands where the applications folder would be made.
        QFile blocker(shortcutFolders().applications);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        showPage(Page::Shortcut);
        find<QCheckBox>("ChkShortCut_2")->click();
        QVERIFY(!find<QCheckBox>("ChkShortCut_2")->isChecked());
        QCOMPARE(m_prompter.last()->title, QStringLiteral("提示"));
        QVERIFY(m_prompter.last()->text.startsWith(QStringLiteral("无法建立文件夹")));
    }

    void labelLinkOpensTheWebPages()
    {
        QLabel *link = label("Label15");
        QCOMPARE(link->text(), QStringLiteral("后台地址 ") + m_server.baseUrl() + QStringLiteral("/score"));
        QTest::mouseClick(link, Qt::RightButton);
        QCOMPARE(m_prompter.openedUrls, QList<QUrl>{QUrl(m_server.baseUrl() + QStringLiteral("/score"))});
    }

    // While a request waits nothing else can be started, and the console cannot close.
    void noSecondActionWhileWaiting()
    {
        RawHttpPeer peer;
        peer.silent = true;
        QVERIFY(peer.listen());
        linkTo(peer.base());
        m_link->setTimeoutMs(4000); // well after the checks below, even on a busy machine
        closeConsoleKeepingRig();
        m_dialog = std::make_unique<Dialog>(context(), shortcutFolders());
        m_dialog->show();
        showPage(Page::Class);
        selectRows("List2", {0});
        bool okEnabled = true, pageEnabled = true, closedWhileWaiting = false;
        int requestsMeanwhile = -1;
        QTimer::singleShot(300, this, [&] {
            okEnabled = button("OKButton")->isEnabled();
            pageEnabled = button("Command10")->isEnabled();
            requestsMeanwhile = int(peer.requests.size());
            button("Command4")->click(); // a second save
            closedWhileWaiting = m_dialog->close();
        });
        click("Command9");
        QVERIFY(!okEnabled);
        QVERIFY(!pageEnabled);
        QVERIFY(!closedWhileWaiting);
        QCOMPARE(requestsMeanwhile, 1);
        QTRY_COMPARE(peer.requests.size(), 1);
        QVERIFY(button("OKButton")->isEnabled());
        QCOMPARE(label("Label6")->text(), QStringLiteral("网络异常！"));
    }

private:
    void closeConsoleKeepingRig()
    {
        m_listsChanged.reset();
        m_standardsChanged.reset();
        m_dialog.reset();
    }
};

QTEST_MAIN(TestConsoleRecords)
#include "tst_ConsoleRecords.moc"
