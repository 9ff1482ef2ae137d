// In front of the class, through the real main window: absent students, taking back a
// score, keys and the presenter clicker, names read aloud, why a drawn student stood in the
// pool.
#include "Form1Rig.h"

#include "app/AbsentMenu.h"
#include "app/AbsentStore.h"
#include "core/Settings.h"
#include "scoring/DailyLog.h"
#include "widgets/ElidedLabel.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QStatusBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolTip>

using namespace corvanta;
using namespace corvanta::test;

namespace {

// 一班: counts 1, 2, 3, 6 (overall mean 3, lower 1.5, upper 4.5), one student in each of
// the count pools 4..7 and the score pools 8..11. 二班: three never called.
const char *const TwoClasses = "Class_Is_Ready\t一班\t二班\t\r\n"
                               "[keti]\t朗读\t读得流利\t5\t声音响亮\t3\t\r\n"
                               "一班\t甲\t0\t0\t1.5\t1\r\n"
                               "一班\t乙\t0\t0\t2.5\t2\r\n"
                               "一班\t丙\t1\t0\t3.5\t3\r\n"
                               "一班\t丁\t1\t0\t4.5\t6\r\n"
                               "二班\t张三\t0\t0\t0\t0\r\n"
                               "二班\t李四\t0\t0\t0\t0\r\n"
                               "二班\t王五\t1\t0\t0\t0\r\n";

// 三班: three never called, one called 4 times (pool 6), three called 5 times (pool 7).
const char *const FairClass = "Class_Is_Ready\t三班\t\r\n"
                              "三班\t甲\t0\t0\t0\t0\r\n"
                              "三班\t乙\t0\t0\t0\t0\r\n"
                              "三班\t丙\t0\t0\t0\t0\r\n"
                              "三班\t丁\t0\t0\t4\t5\r\n"
                              "三班\t戊\t0\t0\t4\t5\r\n"
                              "三班\t己\t0\t0\t4\t5\r\n"
                              "三班\t庚\t0\t0\t3\t4\r\n";

} // namespace

class TestForm1Classroom : public QObject, private Form1Rig
{
    Q_OBJECT

    QComboBox *scoreCombo() const { return child<QComboBox>("Combo1"); }
    QListWidget *standards() const { return child<QListWidget>("List1"); }
    QLineEdit *searchBox() const { return child<QLineEdit>("txtManual"); }
    QListWidget *view(int k) const { return child<QListWidget>(QStringLiteral("List_manual_%1").arg(k)); }
    ElidedLabel *panel(int i) const { return child<ElidedLabel>(QStringLiteral("StatusBar1_%1").arg(i)); }
    QStringList pending() const { return m_pending->lines(); }
    QLabel *whyCaption() const { return child<QLabel>("lblWhy"); }

    void start(const char *klass = "一班", const char *records = TwoClasses)
    {
        openForm();
        m_clock.when = QDateTime(QDate(2026, 12, 7), QTime(9, 0));
        loadOffline(records);
        chooseClass(QString::fromUtf8(klass));
        // Keys go to the active window; an X screen without a window manager activates none.
        m_form->activateWindow();
        if (QGuiApplication::platformName() == QLatin1String("offscreen"))
            QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    // A key pressed and let go on whatever has the focus, as a keyboard or clicker sends it.
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : m_form.get();
        QTest::keyClick(target, Qt::Key(key), modifiers);
    }
    // Opens the context menu at the point and returns it (it is not modal).
    QMenu *menuAt(QWidget *widget, const QPoint &at)
    {
        emit widget->customContextMenuRequested(at);
        return qobject_cast<QMenu *>(QApplication::activePopupWidget());
    }
    QAction *action(QMenu *menu, const char *name)
    {
        return menu ? menu->findChild<QAction *>(QString::fromLatin1(name)) : nullptr;
    }
    void chooseFromMenu(QWidget *widget, const QPoint &at, const char *name)
    {
        QMenu *menu = menuAt(widget, at);
        QVERIFY(menu);
        QAction *act = action(menu, name);
        QVERIFY(act);
        QVERIFY(act->isEnabled());
        act->trigger();
        menu->close();
    }
    void markInView(int k, const QString &name)
    {
        QListWidget *list = view(k);
        const QList<QListWidgetItem *> found = list->findItems(name, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        chooseFromMenu(list, list->visualItemRect(found.first()).center(), "actAbsent");
    }
    void openViews()
    {
        QTest::mouseClick(button(12), Qt::LeftButton);
        QVERIFY(child<QWidget>("Frame6")->isVisible());
    }
    void closeViews() { QTest::mouseClick(child<QPushButton>("Command24"), Qt::LeftButton); }
    QString shownInList(QListWidget *list, int row)
    {
        auto *delegate = dynamic_cast<AbsentDelegate *>(list->itemDelegate());
        return delegate ? delegate->textFor(list->model()->index(row, 0))
                        : QStringLiteral("(no absent look)");
    }

private slots:
    // The switches as a fresh installation has them.
    void init()
    {
        m_settings.setValue(Settings::ReadNames, false);
        m_settings.setValue(Settings::ClassroomKeys, true);
        m_settings.setValue(Settings::KeyDraw, QStringLiteral("last"));

        m_settings.setValue(Settings::ShowWhyChosen, true);
    }
    void cleanup()
    {
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        closeForm();
    }

    // ---- Absent students ----

    void absentStudentsAreNeverDrawn()
    {
        start("二班");
        openViews();
        markInView(1, QStringLiteral("张三"));
        markInView(1, QStringLiteral("李四"));
        QCOMPARE(linesOf(view(1)), (QStringList{"张三", "李四", "王五"})); // the items keep the bare names
        QCOMPARE(shownInList(view(1), 0), QStringLiteral("张三(缺席)"));
        QCOMPARE(shownInList(view(1), 2), QStringLiteral("王五"));
        closeViews();
        QCOMPARE(panel(3)->toolTip(), QStringLiteral("缺席 2 人"));
        QCOMPARE(child<QStatusBar>("StatusBar1")->toolTip(), QStringLiteral("缺席 2 人"));

        for (int i = 0; i < 200; ++i) {
            QCOMPARE(drawOnce(0), QStringLiteral("王五"));
            QCOMPARE(child<QListWidget>("lstJiangChi")->count(), 1);
        }
        // Pool 1 of three names with two absent: one draw leaves only the absent, an empty pool.
        QCOMPARE(drawOnce(1), QStringLiteral("王五"));
        QVERIFY(!button(1)->isEnabled());
        QVERIFY(button(0)->isEnabled());
    }

    void absentLeftOutOfTheSearch()
    {
        start("二班");
        QTest::keyClicks(searchBox(), QStringLiteral("Z"));
        QCOMPARE(child<QListWidget>("List2")->count(), 1);
        searchBox()->clear();
        openViews();
        markInView(0 + 1, QStringLiteral("张三"));
        closeViews();
        QTest::keyClicks(searchBox(), QStringLiteral("Z"));
        QVERIFY(child<QListWidget>("List2")->isHidden());
        // Present again: found again.
        searchBox()->clear();
        openViews();
        markInView(1, QStringLiteral("张三"));
        QCOMPARE(shownInList(view(1), 0), QStringLiteral("张三"));
        closeViews();
        QCOMPARE(panel(3)->toolTip(), QString());
        QTest::keyClicks(searchBox(), QStringLiteral("Z"));
        QCOMPARE(child<QListWidget>("List2")->count(), 1);
    }

    void absentKeptOverARestartAndClearedTheNextDay()
    {
        start("二班");
        // Shown in the name display, then Ctrl+D marks the student shown.
        const QString drawn = drawOnce(0);
        press(Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(panel(3)->toolTip(), QStringLiteral("缺席 1 人"));
        QVERIFY(
            QFile::exists(QDir(m_config.dataDir)
                              .filePath(AbsentStore::fileName(QStringLiteral("二班"), QDate(2026, 12, 7)))));

        // Restart in the same lesson: still absent.
        m_form.reset();
        m_form = std::make_unique<Form1>(context());
        m_form->show();
        loadOffline(TwoClasses);
        chooseClass(QStringLiteral("二班"));
        QCOMPARE(panel(3)->toolTip(), QStringLiteral("缺席 1 人"));
        for (int i = 0; i < 30; ++i)
            QVERIFY(drawOnce(0) != drawn);

        // The next morning nobody is absent.
        m_form.reset();
        m_clock.when = m_clock.when.addDays(1);
        m_form = std::make_unique<Form1>(context());
        m_form->show();
        loadOffline(TwoClasses);
        chooseClass(QStringLiteral("二班"));
        QCOMPARE(panel(3)->toolTip(), QString());
        QStringList seen;
        for (int i = 0; i < 60 && !seen.contains(drawn); ++i)
            seen.append(drawOnce(0));
        QVERIFY(seen.contains(drawn));
    }

    void nameDisplayMenuMarksTheStudentShown()
    {
        start("二班");
        QLineEdit *text2 = nameDisplay();
        QMenu *menu = menuAt(text2, QPoint(5, 5));
        QVERIFY(menu);
        QVERIFY(!action(menu, "actAbsent")->isEnabled()); // nobody shown yet
        QVERIFY(!action(menu, "actUndo")->isEnabled());
        menu->close();
        const QString drawn = drawOnce(0);
        menu = menuAt(text2, QPoint(5, 5));
        QCOMPARE(action(menu, "actAbsent")->text(), QStringLiteral("标记缺席"));
        menu->close();
        chooseFromMenu(text2, QPoint(5, 5), "actAbsent");
        menu = menuAt(text2, QPoint(5, 5));
        QCOMPARE(action(menu, "actAbsent")->text(), QStringLiteral("取消缺席"));
        menu->close();
        QCOMPARE(panel(3)->toolTip(), QStringLiteral("缺席 1 人"));
    }

    // ---- Taking back a score ----

    void undoOneScore()
    {
        start();
        const QString drawn = drawOnce(0);
        scoreWithCombo();
        QCOMPARE(pending().size(), 1);
        QVERIFY(!scoreCombo()->isEnabled());
        m_prompter.questionAnswers = {true};
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_prompter.last()->kind, QStringLiteral("question"));
        QVERIFY(m_prompter.last()->text.contains(QStringLiteral("一班 ") + drawn +
                                                 QStringLiteral(" 5分 2026-12-07 09:00:00")));
        QCOMPARE(pending(), QStringList());
        // The student shown may be scored again, and the day's log keeps both.
        QVERIFY(scoreCombo()->isEnabled());
        scoreWithCombo();
        QCOMPARE(pending().size(), 1);
        QFile log(
            QDir(m_config.dataDir)
                .filePath(dailyLogFileName(m_login.LoginUser, QStringLiteral("一班"), QDate(2026, 12, 7))));
        QVERIFY(log.open(QIODevice::ReadOnly));
        QCOMPARE(log.readAll().count("\r\n"), 2);
    }

    void undoAnsweredNoKeepsTheScore()
    {
        start();
        drawOnce(0);
        scoreWithCombo();
        m_prompter.questionAnswers = {false};
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pending().size(), 1);
        QVERIFY(!scoreCombo()->isEnabled());
    }

    void undoThreeScoresOneAtATime()
    {
        start();
        QStringList given;
        for (int i = 0; i < 3; ++i) {
            drawOnce(i == 0 ? 0 : 2);
            scoreWithCombo();
            given.append(pending().last());
        }
        QCOMPARE(pending().size(), 3);
        for (int i = 2; i >= 0; --i) {
            m_prompter.questionAnswers = {true};
            chooseFromMenu(nameDisplay(), QPoint(5, 5), "actUndo");
            QCOMPARE(pending(), given.mid(0, i));
        }
        m_prompter.clear();
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_prompter.last()->kind, QStringLiteral("message"));
        QCOMPARE(m_prompter.last()->text, QStringLiteral("本次还没有可以撤销的计分。"));
    }

    void uploadedScoreIsNotTakenBack()
    {
        start();
        drawOnce(0);
        scoreWithCombo();
        const QString uploaded = pending().first();
        QVERIFY(m_pending->removeRows({0})); // as a successful upload leaves the list
        m_prompter.questionAnswers = {true};
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.last()->kind, QStringLiteral("message"));
        QCOMPARE(m_prompter.last()->title, QStringLiteral("提示"));
        QVERIFY(m_prompter.last()->text.startsWith(QStringLiteral("这条成绩已经上传、保存或修改，不能撤销")));
        QCOMPARE(pending(), QStringList());
        QCOMPARE(m_prompter.questionAnswers.size(), 1); // nothing was asked
    }

    void undoStandardGivesItBack()
    {
        start();
        drawOnce(0);
        standards()->setCurrentRow(0);
        emit standards()->itemDoubleClicked(standards()->item(0));
        QVERIFY(standards()->item(0)->text().contains(QStringLiteral("]√\t")));
        QVERIFY(!scoreCombo()->isEnabled());
        m_prompter.questionAnswers = {true};
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(standards()->item(0)->text(), QStringLiteral("[5分]\t读得流利"));
        QVERIFY(scoreCombo()->isEnabled());
        QCOMPARE(pending(), QStringList());
    }

    // ---- Keys and clicker ----

    void keysDrawAndScore_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("space") << int(Qt::Key_Space);
        QTest::newRow("clicker forward") << int(Qt::Key_PageDown);
        QTest::newRow("clicker back") << int(Qt::Key_PageUp);
    }
    void keysDrawAndScore()
    {
        QFETCH(int, key);
        start();
        press(key);
        QCOMPARE(button(4)->text(), QStringLiteral("暂停")); // the fair draw at first: the least called
        press(key);
        QCOMPARE(button(4)->text(), QStringLiteral("很少"));
        const QString drawn = nameDisplay()->text();
        QCOMPARE(drawn, QStringLiteral("甲"));
        press(Qt::Key_3);
        QCOMPARE(pending().size(), 1);
        QVERIFY(pending().first().startsWith(QStringLiteral("一班\t") + drawn + QStringLiteral("\t3分\t")));
        press(Qt::Key_4); // one combo score per draw
        QCOMPARE(pending().size(), 1);

        // The pool last used: 未点.
        QTest::mouseClick(button(1), Qt::LeftButton);
        QTest::mouseClick(button(1), Qt::LeftButton);
        press(key);
        QCOMPARE(button(1)->text(), QStringLiteral("暂停"));
        press(key);
        QCOMPARE(button(1)->text(), QStringLiteral("未点"));
        press(Qt::Key_0);
        QVERIFY(pending().last().contains(QStringLiteral("\t0分\t")));
    }

    void keysLeaveTypingAlone()
    {
        start();
        searchBox()->setFocus();
        QTest::keyClicks(searchBox(), QStringLiteral("j"));
        press(Qt::Key_Space);
        QCOMPARE(searchBox()->text(), QStringLiteral("j "));
        QCOMPARE(button(4)->text(), QStringLiteral("很少"));
        child<QListWidget>("List2")->hide();
        press(Qt::Key_3);
        QCOMPARE(searchBox()->text(), QStringLiteral("j 3"));
        press(Qt::Key_Escape);
        QVERIFY(!m_form->isCollapsed());
        QCOMPARE(pending(), QStringList());

        // The topic box takes its typing too.
        auto *topic = child<QComboBox>("Combo3");
        topic->setFocus();
        press(Qt::Key_Space);
        QCOMPARE(button(4)->text(), QStringLiteral("很少"));
        QCOMPARE(topic->currentText(), QStringLiteral("朗读 "));

        // The empty search box the window gives the focus to is nobody's typing.
        searchBox()->clear();
        searchBox()->setFocus();
        press(Qt::Key_Space);
        QCOMPARE(button(4)->text(), QStringLiteral("暂停"));
        press(Qt::Key_Space);
        QCOMPARE(searchBox()->text(), QString());
        press(Qt::Key_Escape);
        QVERIFY(m_form->isCollapsed());
    }

    void keysTurnedOff()
    {
        start();
        chooseFromMenu(nameDisplay(), QPoint(5, 5), "actKeys");
        QCOMPARE(m_settings.value(Settings::ClassroomKeys), false);
        press(Qt::Key_Space);
        QCOMPARE(button(4)->text(), QStringLiteral("很少"));
        QCOMPARE(searchBox()->text(), QStringLiteral(" ")); // the box with the focus types it
        searchBox()->clear();
        press(Qt::Key_Escape);
        QVERIFY(!m_form->isCollapsed());
        // Taking back a score stays.
        drawOnce(0);
        scoreWithCombo();
        m_prompter.questionAnswers = {true};
        press(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pending(), QStringList());
    }

    // Space: the pool it draws on shows "暂停"; Space again stops; the name drawn.
    QString drawBySpace(int pool)
    {
        press(Qt::Key_Space);
        if (button(pool)->text() != QStringLiteral("暂停"))
            return QStringLiteral("(not drawing on %1)").arg(pool);
        press(Qt::Key_Space);
        return nameDisplay()->text();
    }

    void keysDrawFairly()
    {
        start("三班", FairClass);
        QStringList never;
        for (int i = 0; i < 3; ++i) {
            never.append(drawBySpace(3));
            QCOMPARE(nameDisplay()->toolTip().section(u'\n', 0, 0), QStringLiteral("公平：从未 (被点 0 次)"));
        }
        never.sort();
        QCOMPARE(never, (QStringList{"丙", "乙", "甲"}));
        QCOMPARE(drawBySpace(6), QStringLiteral("庚"));
        QCOMPARE(panel(5)->toolTip().section(u'\n', 0, 0), QStringLiteral("公平：较多 (被点 4 次)"));

        // After a button draw the keys take its pool, until the teacher chooses the fair draw.
        drawOnce(0);
        QVERIFY(nameDisplay()->toolTip().startsWith(QStringLiteral("所有: ")));
        drawBySpace(0);
        chooseFromMenu(nameDisplay(), QPoint(5, 5), "actKeyDrawFair");
        QCOMPARE(Settings().value(Settings::KeyDraw), QStringLiteral("fair"));
        QVERIFY(QStringList({"丁", "戊", "己"}).contains(drawBySpace(7)));

        // Kept over a restart: a button draw no longer changes what the keys draw.
        closeForm();
        start("三班", FairClass);
        QMenu *menu = menuAt(nameDisplay(), QPoint(5, 5));
        QVERIFY(action(menu, "actKeyDrawFair")->isChecked());
        menu->close();
        // Absent students are never drawn: the other two never called, then 庚.
        openViews();
        markInView(1, QStringLiteral("甲"));
        closeViews();
        drawOnce(7);
        QStringList two{drawBySpace(3), drawBySpace(3)};
        two.sort();
        QCOMPARE(two, (QStringList{"丙", "乙"}));
        QCOMPARE(drawBySpace(6), QStringLiteral("庚"));

        chooseFromMenu(nameDisplay(), QPoint(5, 5), "actKeyDrawLast");
        QCOMPARE(Settings().value(Settings::KeyDraw), QStringLiteral("last"));
        QVERIFY(QStringList({"丁", "戊", "己"}).contains(drawBySpace(7)));
        QVERIFY(QStringList({"丁", "戊", "己"}).contains(drawBySpace(7)));
        // The last pool drawn empty, the keys draw fairly again: everyone present was called,
        // so from 所有, never the absent 甲.
        QVERIFY(!button(7)->isEnabled());
        QVERIFY(QStringList({"乙", "丙", "丁", "戊", "己", "庚"}).contains(drawBySpace(0)));
        QVERIFY(nameDisplay()->toolTip().startsWith(QStringLiteral("公平：所有 (被点 ")));
    }

    // ---- Names read aloud ----

    void namesReadAloud()
    {
        start("二班");
        drawOnce(0);
        QCOMPARE(m_speaker.said, QStringList()); // off at first
        QMenu *menu = menuAt(nameDisplay(), QPoint(5, 5));
        QVERIFY(action(menu, "actReadNames")->isEnabled());
        QVERIFY(!action(menu, "actReadNames")->isChecked());
        menu->close();
        chooseFromMenu(nameDisplay(), QPoint(5, 5), "actReadNames");
        QVERIFY(m_settings.value(Settings::ReadNames));
        const QString drawn = drawOnce(0);
        QCOMPARE(m_speaker.said, QStringList{drawn});
        // A pick from the search is read too.
        QTest::keyClicks(searchBox(), QStringLiteral("WW"));
        QTest::keyClick(searchBox(), Qt::Key_Return);
        QTest::keyClick(child<QListWidget>("List2"), Qt::Key_Return);
        QCOMPARE(nameDisplay()->text(), QStringLiteral("王五"));
        QCOMPARE(m_speaker.said, (QStringList{drawn, "王五"}));
    }

    void noSpeechEngine()
    {
        start();
        m_settings.setValue(Settings::ReadNames, true);
        m_speaker.missingEngine = QStringLiteral("没有找到语音引擎");
        QMenu *menu = menuAt(nameDisplay(), QPoint(5, 5));
        QAction *read = action(menu, "actReadNames");
        QVERIFY(!read->isEnabled());
        QVERIFY(!read->isChecked());
        QCOMPARE(read->toolTip(), QStringLiteral("没有找到语音引擎"));
        menu->close();
        drawOnce(0);
        QCOMPARE(m_speaker.said, QStringList());
        QVERIFY(m_prompter.shown.isEmpty());
    }

    // ---- Why this student ----

    void whyThisStudent_data()
    {
        QTest::addColumn<QString>("klass");
        QTest::addColumn<int>("pool");
        QTest::addColumn<QString>("reason");
        QTest::newRow("all") << "一班" << 0 << "所有: 全班 4 人";
        QTest::newRow("not yet called") << "一班" << 1 << "未点: 本节课还没有被点到";
        QTest::newRow("called this lesson") << "一班" << 2 << "已点: 本节课已被点到";
        QTest::newRow("never called") << "二班" << 3 << "从未: 从未被点";
        QTest::newRow("rarely") << "一班" << 4 << "很少: 被点 1 次 (≤ 1 次)";
        QTest::newRow("less") << "一班" << 5 << "较少: 被点 2 次 (2 次)";
        QTest::newRow("more") << "一班" << 6 << "较多: 被点 3 次 (3 ~ 4 次)";
        QTest::newRow("often") << "一班" << 7 << "很多: 被点 6 次 (≥ 5 次)";
        QTest::newRow("easy") << "一班" << 8 << "较易: 均分 1.5 分 (< 2 分)";
        QTest::newRow("middle") << "一班" << 9 << "中等: 均分 2.5 分 (≥ 2, < 3 分)";
        QTest::newRow("harder") << "一班" << 10 << "较难: 均分 3.5 分 (≥ 3, < 4 分)";
        QTest::newRow("hard") << "一班" << 11 << "很难: 均分 4.5 分 (≥ 4 分)";
    }
    void whyThisStudent()
    {
        QFETCH(QString, klass);
        QFETCH(int, pool);
        QFETCH(QString, reason);
        openForm();
        m_clock.when = QDateTime(QDate(2026, 12, 7), QTime(9, 0));
        // 甲 was scored on 3 December.
        QFile log(QDir(m_config.dataDir)
                      .filePath(dailyLogFileName(LoginState::offlineUser(), QStringLiteral("一班"),
                                                 QDate(2026, 12, 3))));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(toGbk(QStringLiteral("一班\t甲\t4分\t2026-12-03 10:00:00\t\r\n")));
        log.close();
        loadOffline(TwoClasses);
        chooseClass(klass);
        if (pool == 2)
            drawOnce(0);
        const QString drawn = drawOnce(pool);
        const QString why = nameDisplay()->toolTip();
        QCOMPARE(why.section(u'\n', 0, 0), reason);
        QVERIFY(why.section(u'\n', 1, 1).startsWith(QStringLiteral("记录: 被点 ")));
        QCOMPARE(why.contains(QStringLiteral("上次计分: 2026-12-03")), drawn == QStringLiteral("甲"));
        QVERIFY(panel(5)->toolTip().startsWith(why + u'\n'));
        QVERIFY(panel(5)->toolTip().contains(QStringLiteral("双击访问官网")));
        // The class reads the reason under the name, not only in a tip.
        QVERIFY(whyCaption()->isVisible());
        QCOMPARE(whyCaption()->text(), reason);
        // While names flash, the last reason is gone.
        if (button(pool)->isEnabled()) {
            QTest::mouseClick(button(pool), Qt::LeftButton);
            QCOMPARE(nameDisplay()->toolTip(), QString());
            QVERIFY(!whyCaption()->isVisible());
            QTest::mouseClick(button(pool), Qt::LeftButton);
        }

        // A pick by hand has no such reason.
        openViews();
        QTest::mouseClick(child<QTabBar>("TabStrip1"), Qt::LeftButton, {},
                          child<QTabBar>("TabStrip1")->tabRect(0).center());
        emit view(1)->itemDoubleClicked(view(1)->item(0));
        QCOMPARE(nameDisplay()->toolTip(), QString());
        QVERIFY(!whyCaption()->isVisible());
        QVERIFY(panel(5)->toolTip().startsWith(QStringLiteral("双击访问官网")));
        QVERIFY(!panel(5)->toolTip().contains(QStringLiteral("记录")));
    }

    // The reason stands under the name for a few seconds, the name above it; then the name
    // has the whole box again. The teacher can switch it off; the tip stays.
    void whyCaptionForAFewSeconds()
    {
        start("一班");
        drawOnce(0);
        QLabel *caption = whyCaption();
        QVERIFY(caption->isVisible());
        auto *timer = caption->findChild<QTimer *>(QStringLiteral("WhyCaptionTimer"));
        QVERIFY(timer && timer->isActive());
        QVERIFY(timer->interval() >= 3000 && timer->interval() <= 10000);
        const QRect under(caption->mapTo(m_form.get(), QPoint()), caption->size());
        const QRect name(nameDisplay()->mapTo(m_form.get(), QPoint()), nameDisplay()->size());
        QVERIFY(!under.intersects(name));
        QVERIFY(name.bottom() < under.top());
        const int besideCaption = nameDisplay()->font().pointSize();
        timer->setInterval(1);
        QTRY_VERIFY(!caption->isVisible());
        QVERIFY(nameDisplay()->font().pointSize() > besideCaption);

        QMenu *menu = menuAt(nameDisplay(), QPoint(5, 5));
        QVERIFY(action(menu, "actShowWhy")->isChecked());
        menu->close();
        chooseFromMenu(nameDisplay(), QPoint(5, 5), "actShowWhy");
        QVERIFY(!m_settings.value(Settings::ShowWhyChosen));
        drawOnce(0);
        QVERIFY(!caption->isVisible());
        QVERIFY(!nameDisplay()->toolTip().isEmpty());
    }

    // Switching the reason off takes a reason on show away at once.
    void whyCaptionGoesWhenSwitchedOff()
    {
        start("一班");
        drawOnce(0);
        QVERIFY(whyCaption()->isVisible());
        chooseFromMenu(nameDisplay(), QPoint(5, 5), "actShowWhy");
        QVERIFY(!whyCaption()->isVisible());
    }

    // Pictures for a person to look at: only with CORVANTA_SHOTS set to a folder, on a real
    // X screen (xvfb-run).
    void screenshots()
    {
        const QString folder = qEnvironmentVariable("CORVANTA_SHOTS");
        if (folder.isEmpty() || QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("CORVANTA_SHOTS not set or no X screen: no pictures taken");
        start("一班");
        m_form->move(20, 20);
        openViews();
        markInView(1, QStringLiteral("乙"));
        QTest::qWait(300);
        QProcess::execute(QStringLiteral("import"),
                          {"-window", "root", folder + QStringLiteral("/absent.png")});
        closeViews();
        QWidget *authorPanel = panel(3);
        QToolTip::showText(authorPanel->mapToGlobal(QPoint(10, -30)), authorPanel->toolTip(), authorPanel);
        QTest::qWait(500);
        QProcess::execute(QStringLiteral("import"),
                          {"-window", "root", folder + QStringLiteral("/absent-count.png")});
        QToolTip::hideText();
        QFile log(
            QDir(m_config.dataDir)
                .filePath(dailyLogFileName(m_login.LoginUser, QStringLiteral("一班"), QDate(2026, 12, 3))));
        QVERIFY(log.open(QIODevice::WriteOnly));
        log.write(toGbk(QStringLiteral("一班\t甲\t4分\t2026-12-03 10:00:00\t\r\n")));
        log.close();
        drawOnce(4);
        QToolTip::showText(nameDisplay()->mapToGlobal(QPoint(20, nameDisplay()->height())),
                           nameDisplay()->toolTip(), nameDisplay());
        QTest::qWait(500);
        QProcess::execute(QStringLiteral("import"), {"-window", "root", folder + QStringLiteral("/why.png")});
        QToolTip::hideText();
        drawBySpace(6); // 乙 (pool 5) is absent
        QToolTip::showText(nameDisplay()->mapToGlobal(QPoint(20, nameDisplay()->height())),
                           nameDisplay()->toolTip(), nameDisplay());
        QTest::qWait(500);
        QProcess::execute(QStringLiteral("import"), {"-window", "root", folder + QStringLiteral("/why-fair.png")});
        QToolTip::hideText();
        QMenu *menu = menuAt(nameDisplay(), QPoint(20, 5));
        QVERIFY(menu);
        QTest::qWait(300);
        QProcess::execute(QStringLiteral("import"), {"-window", "root", folder + QStringLiteral("/keys-menu.png")});
        menu->close();
    }
};

// The settings go to a folder of the test's own before the rig opens its store.
int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTemporaryDir settingsDir;
    Settings::redirectForTests(settingsDir.path());
    TestForm1Classroom test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_Form1Classroom.moc"
