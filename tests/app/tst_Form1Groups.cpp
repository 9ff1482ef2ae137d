// The group lists, the upload panel and the panels shown in its place, through the main window.
#include "Form1Rig.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QListWidget>
#include <QMouseEvent>
#include <QTabBar>

using namespace corvanta;
using namespace corvanta::test;

namespace {

const char *const ClassRoster = "Class_Is_Ready\t一班\t二班\t\r\n"
                                "[keti]\t朗读\t读得流利\t5\t\r\n"
                                "一班\t李明\t2\t0\t0\t0\r\n"
                                "二班\t翟志强\t2\t0\t4.5\t3\r\n"
                                "二班\t王珺\t2\t0\t1\t1\r\n"
                                "二班\t欧阳\t5\t0\t0\t0\r\n";

QString scored(const QString &className, const QString &student, const QString &score)
{
    return className + u'\t' + student + u'\t' + score + QStringLiteral("\t2026-03-05 09:07:02\t");
}

} // namespace

class TestForm1Groups : public QObject, private Form1Rig
{
    Q_OBJECT

    void click(const char *name)
    {
        QTest::mouseClick(child<QPushButton>(QString::fromLatin1(name)), Qt::LeftButton);
    }
    void openGroupTab()
    {
        QTest::mouseClick(button(12), Qt::LeftButton);
        auto *tabs = child<QTabBar>("TabStrip1");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(3).center());
        QVERIFY(child<QListWidget>("List_group_0")->isVisible());
    }
    void doubleClickRow(QListWidget *list, int row)
    {
        QTRY_VERIFY(!list->visualItemRect(list->item(row)).isEmpty());
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
        QMouseEvent twice(QEvent::MouseButtonDblClick, at, list->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(list->viewport(), &twice);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void init()
    {
        openForm();
        loadOffline(ClassRoster);
        chooseClass(QStringLiteral("二班"));
    }
    void cleanup() { closeForm(); }

    void passwordTypedInEitherPlace()
    {
        m_login.LoginUser = QStringLiteral("t01"); // online
        click("Command11");
        QVERIFY(!child<QPushButton>("Command13")->isEnabled()); // no password yet
        click("Command12");
        openGroupTab();
        auto *text11 = child<QLineEdit>("Text11");
        QVERIFY(text11->isHidden());
        QVERIFY(!child<QPushButton>("Command29")->isEnabled());

        // Every change of the group password goes to the upload panel.
        text11->setText("xyz");
        QCOMPARE(child<QLineEdit>("Text4")->text(), "xyz");
        QVERIFY(child<QPushButton>("Command13")->isEnabled());

        // A tab click copies the upload panel's password into the group password box.
        child<QLineEdit>("Text4")->setText("abc");
        openGroupTab();
        QCOMPARE(text11->text(), "abc");
        QVERIFY(text11->isHidden());
        QCOMPARE(child<QLineEdit>("Text4")->text(), "abc");
    }

    void groupStatisticsRankTheListsOfTheClass()
    {
        QVERIFY(m_pending->append(test::score(scored("二班", "翟志强", "4.5分"))));
        QVERIFY(m_pending->append(test::score(scored("二班", "欧阳", "5分"))));
        QVERIFY(m_pending->append(test::score(scored("二班", "王珺", "2分"))));
        QVERIFY(m_pending->append(test::score(scored("一班", "李明", "5分")))); // another class: not counted
        click("Command11");
        auto *frame4 = child<QWidget>("Frame4");
        const QRect place = frame4->geometry();
        QCOMPARE(child<QPushButton>("Command27")->text(), "小组统计");
        click("Command27");

        QVERIFY(!frame4->isVisible());
        QVERIFY(child<QGroupBox>("Frame8")->isVisible());
        QCOMPARE(child<QWidget>("GroupStatistics")->geometry(), place);
        auto *list9 = child<QListWidget>("List9");
        QCOMPARE(list9->count(), 2);
        QCOMPARE(list9->item(0)->text(), "第1名\t6.5分\t翟志强 王珺\t 翟志强 王珺");
        QCOMPARE(list9->item(1)->text(), "第2名\t5分\t欧阳\t 欧阳");
        click("Command28");
        QVERIFY(frame4->isVisible());
    }

    // Pending lines that lack fields, as an older or hand-edited file holds them. A line
    // without its standard is kept: never opened for correction, counted by the group
    // statistics. A line without its time is named when the file is read and kept aside
    // with the whole file; only readable scores are pending, so the statistics are silent.
    void shortPendingLines()
    {
        const QString noStandard = QStringLiteral("二班\t欧阳\t3分\t2026-03-05 09:07:02");
        const QString noTime = QStringLiteral("二班\t王珺\t2分");
        const QByteArray bytes = toGbk(noStandard + QStringLiteral("\r\n") + noTime + QStringLiteral("\r\n"));
        {
            QFile file(m_pending->filePath());
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(bytes), bytes.size());
        }
        const Result loaded = m_pending->load();
        QVERIFY(!loaded);
        QVERIFY2(loaded.error().contains(QStringLiteral("第 2 行")), qPrintable(loaded.error()));
        const QFileInfo pendingFile(m_pending->filePath());
        const QStringList aside =
            pendingFile.dir().entryList({pendingFile.fileName() + QStringLiteral(".bad-*")}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QFile kept(pendingFile.dir().filePath(aside[0]));
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), bytes);
        click("Command11");
        doubleClickRow(child<QListWidget>("List4"), 0);
        QVERIFY(!child<QGroupBox>("Frame7")->isVisible());
        QVERIFY(child<QWidget>("Frame4")->isVisible());

        m_prompter.shown.clear();
        click("Command27");
        auto *list9 = child<QListWidget>("List9");
        QCOMPARE(list9->count(), 1);
        QCOMPARE(list9->item(0)->text(), "第1名\t3分\t欧阳\t 欧阳");
        QCOMPARE(m_prompter.shown.size(), 0);
        QCOMPARE(m_pending->lines(), QStringList{noStandard}); // written back as it was read
    }

    void correctionInTheUploadPanelsPlace()
    {
        QVERIFY(m_pending->append(test::score(scored("二班", "欧阳", "3分"))));
        click("Command11");
        auto *frame4 = child<QWidget>("Frame4");
        const QRect place = frame4->geometry();
        doubleClickRow(child<QListWidget>("List4"), 0);
        auto *frame7 = child<QGroupBox>("Frame7");
        QVERIFY(frame7->isVisible());
        QVERIFY(!frame4->isVisible());
        QCOMPARE(frame7->geometry(), place);
        child<QLineEdit>("Text9")->setText("4分");
        click("Command25");
        QVERIFY(frame4->isVisible());
        QCOMPARE(m_pending->lines(), QStringList{scored("二班", "欧阳", "4分")});
        QVERIFY(child<QListWidget>("List4")->item(0)->isSelected());
    }
};

QTEST_MAIN(TestForm1Groups)
#include "tst_Form1Groups.moc"
