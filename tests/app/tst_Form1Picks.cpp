// Search box, statistics views and picks by hand, through the real main window.
#include "Form1Rig.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabBar>
#include <QTimer>

using namespace corvanta;
using namespace corvanta::test;

namespace {

// Nobody of class 一班 has been called before; 翟志强 and 王珺 of 二班 have.
const char *const ClassRoster = "Class_Is_Ready\t一班\t二班\t\r\n"
                                "[keti]\t朗读\t读得流利\t5\t\r\n"
                                "一班\t李小明\t0\t0\t0\t0\r\n"
                                "一班\t李明\t1\t0\t0\t0\r\n"
                                "一班\t王珺\t1\t0\t0\t0\r\n"
                                "一班\tTom\t3\t0\t0\t0\r\n"
                                "二班\t翟志强\t2\t0\t4.5\t3\r\n"
                                "二班\t王珺\t2\t0\t1\t1\r\n"
                                "二班\t欧阳\t5\t0\t0\t0\r\n";

} // namespace

class TestForm1Picks : public QObject, private Form1Rig
{
    Q_OBJECT

    QLineEdit *searchBox() const { return child<QLineEdit>("txtManual"); }
    QListWidget *results() const { return child<QListWidget>("List2"); }
    QStringList pool(int i) const { return linesOf(child<QListWidget>(QStringLiteral("lstKind_%1").arg(i))); }
    QListWidget *view(int k) const { return child<QListWidget>(QStringLiteral("List_manual_%1").arg(k)); }
    QTabBar *tabs() const { return child<QTabBar>("TabStrip1"); }

    void loadClass(const QString &name)
    {
        loadOffline(ClassRoster);
        chooseClass(name);
    }
    // Keys for ASCII; other characters arrive whole, as an input method commits them.
    void type(const QString &text)
    {
        searchBox()->clear();
        for (const QChar c : text) {
            if (c.unicode() < 128)
                QTest::keyClick(searchBox(), char(c.unicode()));
            else
                searchBox()->insert(QString(c));
        }
    }
    // Types the text, then Enter twice: into the result list, then the pick.
    void pickBySearch(const QString &text)
    {
        type(text);
        QTest::keyClick(searchBox(), Qt::Key_Return);
        QTest::keyClick(results(), Qt::Key_Return);
    }
    void openViews(int tab)
    {
        QTest::mouseClick(button(12), Qt::LeftButton);
        QVERIFY(child<QFrame>("Frame6")->isVisible());
        const QPoint at = tabs()->tabRect(tab - 1).center();
        QTest::mouseClick(tabs(), Qt::LeftButton, {}, at);
        QCOMPARE(tabs()->currentIndex(), tab - 1);
    }
    // Press, release, then the second press that the platform reports as a double click.
    void doubleClickLine(QListWidget *list, int row)
    {
        QTRY_VERIFY(!list->visualItemRect(list->item(row)).isEmpty());
        QWidget *viewport = list->viewport();
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QMouseEvent twice(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &twice);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }

private slots:
    void init() { openForm(); }
    void cleanup() { closeForm(); }

    void searchBoxWaitsForAClass()
    {
        QVERIFY(!searchBox()->isEnabled());
        QCOMPARE(searchBox()->width(), Form1::tw(975));
        loadOffline(ClassRoster);
        QVERIFY(!searchBox()->isEnabled());
        chooseClass(QStringLiteral("一班"));
        QVERIFY(searchBox()->isEnabled());
        QVERIFY(searchBox()->hasFocus());
    }

    void searchLists_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("lower-case initial") << "l" << QStringList{"李明", "李小明"};
        QTest::newRow("upper-case initial alike") << "L" << QStringList{"李明", "李小明"};
        QTest::newRow("LM: only the one with those initials") << "LM" << QStringList{"李明"};
        QTest::newRow("LXM: complete initials") << "LXM" << QStringList{"李小明"};
        QTest::newRow("lxm over l: the full match on top") << "x" << QStringList{"李小明"};
        QTest::newRow("part of the name") << "明" << QStringList{"李明", "李小明"};
        QTest::newRow("name compared with its case") << "tom" << QStringList{};
        QTest::newRow("name as written") << "Tom" << QStringList{"Tom"};
    }
    void searchLists()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, names);
        loadClass(QStringLiteral("一班"));
        type(text);
        QStringList shown;
        for (const QString &line : linesOf(results()))
            shown.append(line.section(u'\t', 0, 0));
        QCOMPARE(shown, names);
        QCOMPARE(results()->isVisible(), !names.isEmpty());
        if (!names.isEmpty())
            QVERIFY(results()->item(0)->text().endsWith(QStringLiteral("[0次,0分]")));
    }

    void fullMatchStandsOnTop()
    {
        loadClass(QStringLiteral("一班"));
        type(QStringLiteral("L"));
        type(QStringLiteral("LM"));
        QCOMPARE(results()->count(), 1);
        // Two lines, one a full-length match: it goes first although it sorts last.
        type(QStringLiteral("李"));
        QCOMPARE(results()->count(), 2);
        type(QStringLiteral("lxm"));
        QCOMPARE(results()->item(0)->text(), QStringLiteral("李小明\t[0次,0分]"));
    }

    void resultListHeight_data()
    {
        QTest::addColumn<int>("students");
        QTest::addColumn<int>("shown"); // whole lines without scrolling; -1: as many as 1650 twips hold
        QTest::newRow("one result") << 1 << 1;
        QTest::newRow("four results") << 4 << 4;
        QTest::newRow("twenty results") << 20 << -1;
    }
    void resultListHeight()
    {
        QFETCH(int, students);
        QFETCH(int, shown);
        QByteArray roster = "Class_Is_Ready\t1\t\r\n";
        for (int i = 0; i < students; ++i)
            roster += QStringLiteral("1\t学生%1\t0\t0\t0\t0\r\n").arg(i, 2, 10, QLatin1Char('0')).toUtf8();
        loadOffline(roster.constData());
        chooseClass(QStringLiteral("1"));
        type(QStringLiteral("学生"));
        QCOMPARE(results()->count(), students);
        // Frame5 stands 120 twips up and left of the window.
        const QPoint origin = results()->mapTo(m_form.get(), QPoint());
        QCOMPARE(origin.x(), Form1::tw(200) - Form1::tw(120));
        // Lines of the list's font, between 600 and 1650 twips, just above the box.
        QVERIFY(results()->height() >= Form1::tw(600) && results()->height() <= Form1::tw(1650) + 2 * results()->sizeHintForRow(0));
        const QPoint box = searchBox()->mapTo(m_form.get(), QPoint());
        QCOMPARE(origin.y() + results()->height(), box.y() - Form1::tw(30));
        const QRect viewport = results()->viewport()->rect();
        if (shown < 0)
            shown = (Form1::tw(1650) - 2 * results()->frameWidth()) / results()->sizeHintForRow(0);
        for (int row = 0; row < shown; ++row)
            QVERIFY(viewport.contains(results()->visualItemRect(results()->item(row))));
        if (shown < students)
            QVERIFY(!viewport.contains(results()->visualItemRect(results()->item(shown))));
    }

    void searchKeys()
    {
        loadClass(QStringLiteral("一班"));
        type(QStringLiteral("l"));
        QTest::keyClick(searchBox(), Qt::Key_Escape);
        QVERIFY(results()->isHidden());
        QTest::keyClick(searchBox(), Qt::Key_Down);
        QVERIFY(results()->isVisible());
        QVERIFY(results()->hasFocus());
        QCOMPARE(results()->currentRow(), 0);
        QTest::keyClick(results(), Qt::Key_Down);
        QCOMPARE(results()->currentRow(), 1);
        QTest::keyClick(results(), Qt::Key_Escape);
        QVERIFY(results()->isHidden());
        QVERIFY(searchBox()->hasFocus());
        QCOMPARE(searchBox()->text(), QStringLiteral("l"));
        QCOMPARE(pool(2), QStringList());
    }

    void pickFromResultsHandsToScoring()
    {
        loadClass(QStringLiteral("一班"));
        QSignalSpy chosen(m_form.get(), &Form1::studentChosen);
        pickBySearch(QStringLiteral("lxm"));
        QCOMPARE(nameDisplay()->text(), QStringLiteral("李小明"));
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(chosen[0], QVariantList({QStringLiteral("一班"), QStringLiteral("李小明")}));
        QVERIFY(results()->isHidden());
        QCOMPARE(searchBox()->text(), QString());
        auto *combo1 = child<QComboBox>("Combo1");
        QVERIFY(combo1->isEnabled());
        QVERIFY(combo1->hasFocus());
        QCOMPARE(combo1->currentText(), QString());
        QVERIFY(child<QListWidget>("List1")->isEnabled());
        QCOMPARE(pool(1), QStringList({"李明", "王珺", "Tom"}));
        QCOMPARE(pool(2), QStringList({"李小明"}));
        scoreWithCombo();
        QCOMPARE(m_pending->size(), 1);
        QVERIFY(m_pending->lines().first().startsWith(QStringLiteral("一班\t李小明\t5分\t")));

        // The same name again: already called, the pools stay.
        pickBySearch(QStringLiteral("lxm"));
        QCOMPARE(nameDisplay()->text(), QStringLiteral("李小明"));
        QCOMPARE(pool(1), QStringList({"李明", "王珺", "Tom"}));
        QCOMPARE(pool(2), QStringList({"李小明"}));
    }

    void pickDuringADrawStopsIt()
    {
        loadClass(QStringLiteral("一班"));
        QTest::mouseClick(button(0), Qt::LeftButton);
        QCOMPARE(button(0)->text(), QStringLiteral("暂停"));
        pickBySearch(QStringLiteral("Tom"));
        QCOMPARE(button(0)->text(), QStringLiteral("所有"));
        QVERIFY(!child<QTimer>("Timer1")->isActive());
        for (int i = 0; i < 12; ++i)
            QCOMPARE(button(i)->isEnabled(), !pool(i).isEmpty());
        QTest::qWait(30);
        QCOMPARE(nameDisplay()->text(), QStringLiteral("Tom"));
        scoreWithCombo();
        QVERIFY(m_pending->lines().first().startsWith(QStringLiteral("一班\tTom\t")));
        QCOMPARE(pool(2), QStringList({"Tom"}));
    }

    void viewsOfEachTab_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("captions");
        QTest::newRow("常用") << 1 << QStringList{"曾经被点", "本次未点", "本次已点", "从未被点"};
        QTest::newRow("次数") << 2 << QStringList{"很少", "较少", "较多", "很多"};
        QTest::newRow("难度") << 3 << QStringList{"很易", "较易", "较难", "很难"};
    }
    void viewsOfEachTab()
    {
        QFETCH(int, tab);
        QFETCH(QStringList, captions);
        loadClass(QStringLiteral("二班"));
        drawOnce(1);
        openViews(tab);
        for (int k = 0; k < 4; ++k) {
            auto *frame = child<QGroupBox>(QStringLiteral("Frame_m_%1").arg(k));
            QVERIFY(frame->isVisible());
            QCOMPARE(frame->title(), captions[k]);
            const QStringList expected =
                tab == 1 && k == 0 ? QStringList{"翟志强", "王珺"} : pool((tab - 1) * 4 + k);
            QCOMPARE(linesOf(view(k)), expected);
        }
        QVERIFY(!child<QWidget>("List_group_0")->isVisible());
        // A student never called stands in no frame of the difficulty tab.
        if (tab == 3) {
            for (int k = 0; k < 4; ++k)
                QVERIFY(!linesOf(view(k)).contains(QStringLiteral("欧阳")));
        }
    }

    void tabOneAfterTwoDrawsInAFreshClass()
    {
        loadClass(QStringLiteral("一班"));
        const QString first = drawOnce(1);
        const QString second = drawOnce(1);
        openViews(1);
        QCOMPARE(linesOf(view(0)), QStringList());
        QCOMPARE(view(1)->count(), 2);
        QVERIFY(!linesOf(view(1)).contains(first) && !linesOf(view(1)).contains(second));
        QCOMPARE(linesOf(view(2)), QStringList({first, second}));
        QCOMPARE(linesOf(view(3)), QStringList({"李小明", "李明", "王珺", "Tom"}));
    }

    void groupTabShowsTheGroupLists()
    {
        loadClass(QStringLiteral("二班"));
        openViews(4);
        for (int k = 0; k < 4; ++k)
            QVERIFY(child<QGroupBox>(QStringLiteral("Frame_m_%1").arg(k))->isHidden());
        for (int g = 0; g < 16; ++g) {
            auto *list = child<QListWidget>(QStringLiteral("List_group_%1").arg(g));
            QVERIFY(list->isVisible());
            const QStringList expected = g == 2   ? QStringList{"翟志强", "王珺"}
                                         : g == 5 ? QStringList{"欧阳"}
                                                  : QStringList{};
            QCOMPARE(linesOf(list), expected);
        }
        // Two rows of eight.
        auto at = [this](int g) { return child<QWidget>(QStringLiteral("List_group_%1").arg(g))->pos(); };
        QCOMPARE(at(7).y(), at(0).y());
        QVERIFY(at(8).y() > at(0).y());
        QCOMPARE(at(8).x(), at(0).x());
        QVERIFY(at(1).x() > at(0).x());
    }

    void pickFromAViewKeepsThePools_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("name");
        QTest::newRow("not called yet") << 1 << "List_manual_1" << 1 << "王珺";
        QTest::newRow("never called") << 1 << "List_manual_3" << 0 << "欧阳";
        QTest::newRow("group list") << 4 << "List_group_5" << 0 << "欧阳";
    }
    void pickFromAViewKeepsThePools()
    {
        QFETCH(int, tab);
        QFETCH(QString, list);
        QFETCH(int, row);
        QFETCH(QString, name);
        loadClass(QStringLiteral("二班"));
        const QStringList pool1 = pool(1), pool2 = pool(2);
        QSignalSpy chosen(m_form.get(), &Form1::studentChosen);
        openViews(tab);
        doubleClickLine(child<QListWidget>(list), row);
        QCOMPARE(nameDisplay()->text(), name);
        QVERIFY(child<QFrame>("Frame6")->isHidden());
        QVERIFY(child<QFrame>("Frame5")->isVisible());
        QVERIFY(child<QStatusBar>("StatusBar1")->isVisible());
        QCOMPARE(pool(1), pool1);
        QCOMPARE(pool(2), pool2);
        QCOMPARE(chosen.size(), 1);
        QVERIFY(child<QComboBox>("Combo1")->isEnabled());
        scoreWithCombo();
        QVERIFY(m_pending->lines().first().startsWith(QStringLiteral("二班\t") + name + u'\t'));
    }

    void openingDuringADrawFreezesIt()
    {
        loadClass(QStringLiteral("一班"));
        QTest::mouseClick(button(1), Qt::LeftButton);
        openViews(2);
        QVERIFY(!child<QTimer>("Timer1")->isActive());
        const QString frozen = nameDisplay()->text();
        QTest::qWait(30);
        QCOMPARE(nameDisplay()->text(), frozen);
        QTest::mouseClick(child<QPushButton>("Command24"), Qt::LeftButton);
        QVERIFY(child<QFrame>("Frame5")->isVisible());
        QCOMPARE(button(1)->text(), QStringLiteral("暂停"));
        // The frozen button stops the draw as usual, with the name on screen.
        QTest::mouseClick(button(1), Qt::LeftButton);
        QCOMPARE(button(1)->text(), QStringLiteral("未点"));
        QCOMPARE(nameDisplay()->text(), frozen);
        QCOMPARE(pool(2), QStringList({frozen}));
    }

    void pickFromViewsDuringAFrozenDrawScoresThePick()
    {
        loadClass(QStringLiteral("一班"));
        QTest::mouseClick(button(0), Qt::LeftButton);
        openViews(1);
        doubleClickLine(view(3), 3); // Tom
        QCOMPARE(button(0)->text(), QStringLiteral("所有"));
        QCOMPARE(nameDisplay()->text(), QStringLiteral("Tom"));
        scoreWithCombo();
        QVERIFY(m_pending->lines().first().startsWith(QStringLiteral("一班\tTom\t")));
    }

    void newLoginEmptiesTheViews()
    {
        loadClass(QStringLiteral("二班"));
        openViews(1);
        QVERIFY(view(1)->count() > 0);
        // The application loads the lists again after a login while the panel is open.
        m_form->LoadClassLists(QStringLiteral("offline"));
        for (int k = 0; k < 4; ++k)
            QCOMPARE(view(k)->count(), 0);
        QTest::mouseClick(tabs(), Qt::LeftButton, {}, tabs()->tabRect(3).center());
        QCOMPARE(child<QListWidget>("List_group_2")->count(), 0);
        QTest::mouseClick(child<QPushButton>("Command24"), Qt::LeftButton);
        type(QStringLiteral("l"));
        QCOMPARE(results()->count(), 0);
    }

    void classChangeRebuildsTheViews()
    {
        loadClass(QStringLiteral("二班"));
        openViews(1);
        QTest::mouseClick(child<QPushButton>("Command24"), Qt::LeftButton);
        chooseClass(QStringLiteral("一班"));
        QTest::mouseClick(button(12), Qt::LeftButton);
        QCOMPARE(linesOf(view(1)), QStringList({"李小明", "李明", "王珺", "Tom"}));
    }
};

QTEST_MAIN(TestForm1Picks)
#include "tst_Form1Picks.moc"
