// Correcting a pending score line through the upload panel and the correction panel.
#include "HostedUploadRig.h"
#include "ScoringTestSupport.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

using namespace corvanta;
using namespace corvanta::test;

namespace {

const QStringList kLines = {
    QStringLiteral("一班\t张三\t3分\t2026-03-05 09:07:02\t"),
    QStringLiteral("一班\t李四\t4分\t2026-03-05 09:08:10\t表述清楚"),
    QStringLiteral("一班\t王五\t5分\t2026-03-05 09:09:20\t步骤完整"),
};

} // namespace

class TestCorrectionPanel : public QObject, private HostedUploadRig
{
    Q_OBJECT

    QGroupBox *frame7() const { return find<QGroupBox>("Frame7"); }
    QLineEdit *box(const char *name) const { return find<QLineEdit>(name); }
    void click(const char *button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }

    // Opens the line for correction as the teacher does: the panel open, a double-click.
    void openRow(int row, const QList<int> &selectedBefore)
    {
        m_panel->openPanel();
        list4()->clearSelection();
        for (int r : selectedBefore)
            list4()->item(r)->setSelected(true);
        doubleClickRow(list4(), row);
        QVERIFY(frame7()->isVisible());
        QVERIFY(!m_panel->isVisible());
    }

private slots:
    void init() { openHost(kLines); }
    void cleanup() { closeHost(); }

    void opensWithTheFiveFields()
    {
        openRow(1, {});
        QCOMPARE(box("txt_class")->text(), "一班");
        QVERIFY(box("txt_class")->isHidden());
        QCOMPARE(box("Text8")->text(), "李四");
        QVERIFY(!box("Text8")->isEnabled());
        QCOMPARE(box("Text9")->text(), "4分");
        QCOMPARE(box("Text10")->text(), "2026-03-05 09:08:10");
        QCOMPARE(box("Text14")->text(), "表述清楚");
        QCOMPARE(frame7()->title(), "修改数据");
    }

    void acceptReplacesInPlace_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QList<int>>("selectedBefore");
        QTest::addColumn<QString>("score");
        QTest::addColumn<QString>("standard");
        QTest::addColumn<QString>("corrected");
        QTest::newRow("3分 to 4分, others unselected") << 0 << QList<int>{} << "4分"
                                                       << ""
                                                       << "一班\t张三\t4分\t2026-03-05 09:07:02\t";
        QTest::newRow("a selected line stays selected") << 1 << QList<int>{0, 1, 2} << "4.5分"
                                                        << "表述清楚"
                                                        << "一班\t李四\t4.5分\t2026-03-05 09:08:10\t表述清楚";
        QTest::newRow("standard emptied keeps its TAB") << 2 << QList<int>{0} << "5分"
                                                        << ""
                                                        << "一班\t王五\t5分\t2026-03-05 09:09:20\t";
    }
    void acceptReplacesInPlace()
    {
        QFETCH(int, row);
        QFETCH(QList<int>, selectedBefore);
        QFETCH(QString, score);
        QFETCH(QString, standard);
        QFETCH(QString, corrected);
        openRow(row, selectedBefore);
        box("Text9")->setText(score);
        box("Text14")->setText(standard);
        click("Command25");

        QVERIFY(frame7()->isHidden());
        QVERIFY(m_panel->isVisible());
        QStringList expected = kLines;
        expected[row] = corrected;
        QCOMPARE(texts(list4()), expected);
        QCOMPARE(m_pending->lines(), expected);
        // The corrected line is selected; the others keep their selection.
        for (int r = 0; r < expected.size(); ++r)
            QCOMPARE(list4()->item(r)->isSelected(), r == row || selectedBefore.contains(r));
        QVERIFY(m_prompter.shown.isEmpty());

        // Kept at once: the tool started again finds the corrected line.
        PendingScores again(m_pending->filePath());
        QCOMPARE(again.load(), QString());
        QCOMPARE(again.lines(), expected);
        QCOMPARE(fileBytes(m_pending->filePath()), gbkLines(expected));
    }

    void cancelRestoresSelection_data()
    {
        QTest::addColumn<bool>("wasSelected");
        QTest::newRow("selected before") << true;
        QTest::newRow("not selected before") << false;
    }
    void cancelRestoresSelection()
    {
        QFETCH(bool, wasSelected);
        openRow(1, wasSelected ? QList<int>{1, 2} : QList<int>{2});
        box("Text9")->setText("1分");
        click("Command26");
        QVERIFY(frame7()->isHidden());
        QVERIFY(m_panel->isVisible());
        QCOMPARE(texts(list4()), kLines);
        QCOMPARE(m_pending->lines(), kLines);
        QCOMPARE(selection(), QList<bool>({false, wasSelected, true}));
        // The next opening shows the line, not what was typed before the cancel.
        doubleClickRow(list4(), 1);
        QCOMPARE(box("Text9")->text(), "4分");
    }

    void refusalKeepsPanelAndLine_data()
    {
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("says");
        QTest::newRow("score without 分") << "Text9"
                                          << "4"
                                          << "计分格式不正确";
        QTest::newRow("score not a number") << "Text9"
                                            << "四分"
                                            << "计分格式不正确";
        QTest::newRow("time not a time") << "Text10"
                                         << "2026-03-05 9:07"
                                         << "时间格式不正确";
        QTest::newRow("no such day") << "Text10"
                                     << "2026-02-30 09:07:02"
                                     << "时间格式不正确";
        QTest::newRow("TAB in the standard") << "Text14"
                                             << "好\t很好"
                                             << "标准中不能含有制表符";
        QTest::newRow("line break in the standard") << "Text14"
                                                    << "好\r\n很好"
                                                    << "标准中不能含有制表符";
        QTest::newRow("TAB in the score") << "Text9"
                                          << "4分\t"
                                          << "计分中不能含有制表符";
    }
    void refusalKeepsPanelAndLine()
    {
        QFETCH(QString, boxName);
        QFETCH(QString, value);
        QFETCH(QString, says);
        const QByteArray before = fileBytes(m_pending->filePath());
        openRow(1, {0});
        box(qPrintable(boxName))->setText(value);
        click("Command25");

        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown[0].title, "提示");
        QCOMPARE(m_prompter.shown[0].icon, PromptIcon::Warning);
        QVERIFY2(m_prompter.shown[0].text.contains(says), qPrintable(m_prompter.shown[0].text));
        QVERIFY(frame7()->isVisible());
        QCOMPARE(box(qPrintable(boxName))->text(), value);
        QCOMPARE(texts(list4()), kLines);
        QCOMPARE(fileBytes(m_pending->filePath()), before);

        // Mended, it goes through.
        box("Text9")->setText("2分");
        box("Text10")->setText("2026-03-05 09:08:10");
        box("Text14")->setText("表述清楚");
        click("Command25");
        QVERIFY(frame7()->isHidden());
        QCOMPARE(m_pending->lines()[1], "一班\t李四\t2分\t2026-03-05 09:08:10\t表述清楚");
    }

    void unwritableFileIsReportedAndLineKeptForNow()
    {
        // A file stands where the pending file's folder should be: nothing can be written.
        QTemporaryDir blocked;
        QVERIFY(writeBytes(blocked.filePath("folder"), "x"));
        openHost({kLines[0]}, blocked.filePath("folder/Pending.cvr"));
        m_prompter.clear();
        openRow(0, {});
        box("Text9")->setText("1分");
        click("Command25");
        QCOMPARE(m_prompter.shown.size(), 1);
        QCOMPARE(m_prompter.shown[0].title, "错误");
        QVERIFY(m_prompter.shown[0].text.startsWith("待上传成绩无法写入文件"));
        QCOMPARE(texts(list4()), QStringList{"一班\t张三\t1分\t2026-03-05 09:07:02\t"});
    }
};

QTEST_MAIN(TestCorrectionPanel)
#include "tst_CorrectionPanel.moc"
