// Group statistics from the upload panel: the ranking, the detail and the way back.
#include "HostedUploadRig.h"

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace corvanta;
using namespace corvanta::test;

namespace {

using Groups = QList<QStringList>;

QString scored(const QString &student, const QString &score,
               const QString &className = QStringLiteral("一班"))
{
    return className + u'\t' + student + u'\t' + score + QStringLiteral("\t2026-03-05 09:07:02\t");
}

} // namespace

class TestGroupStatsPanel : public QObject, private HostedUploadRig
{
    Q_OBJECT

    Groups m_groups;

    void click(const char *button) { QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton); }
    void openStatistics(const QStringList &pending, const Groups &groups)
    {
        openHost(pending);
        m_groups = groups;
        // The main window answers with the lists as they stand.
        connect(m_panel, &UploadPanel::groupStatisticsRequested, m_panel,
                [this] { m_panel->showGroupStatistics(QStringLiteral("一班"), m_groups); });
        m_panel->openPanel();
        click("Command27");
    }

private slots:
    void cleanup() { closeHost(); }

    void ranking_data()
    {
        QTest::addColumn<QStringList>("pending");
        QTest::addColumn<Groups>("groups");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("ties share a rank; a total of 0 has no line")
            << QStringList{scored("甲", "4分"), scored("甲", "5分"), scored("乙", "9分"), scored("丙", "5分"),
                           scored("丁", "0分")}
            << Groups{{"甲"}, {"乙"}, {"丙"}, {"丁"}}
            << QStringList{"第1名\t9分\t甲\t 甲", "第1名\t9分\t乙\t 乙", "第3名\t5分\t丙\t 丙"};
        QTest::newRow("scored three times counts three times, named once")
            << QStringList{scored("甲", "2分"), scored("乙", "1分"), scored("甲", "2分"), scored("甲", "2分")}
            << Groups{{"甲", "乙", "戊"}} << QStringList{"第1名\t7分\t甲 乙\t 甲 乙 戊"};
        QTest::newRow("a student in two groups counts for both")
            << QStringList{scored("甲", "3分")} << Groups{{"甲"}, {}, {"乙", "甲"}}
            << QStringList{"第1名\t3分\t甲\t 甲", "第1名\t3分\t甲\t 乙 甲"};
        QTest::newRow("halves summed exactly")
            << QStringList{scored("甲", "2.5分"), scored("乙", "2.5分"), scored("丙", "3.5分")}
            << Groups{{"甲", "乙"}, {"丙"}}
            << QStringList{"第1名\t5分\t甲 乙\t 甲 乙", "第2名\t3.5分\t丙\t 丙"};
        QTest::newRow("whole names: 李明 after 李明华")
            << QStringList{scored("李明华", "1分"), scored("李明", "1分")} << Groups{{"李明华", "李明"}}
            << QStringList{"第1名\t2分\t李明华 李明\t 李明华 李明"};
        QTest::newRow("no pending scores, no lines") << QStringList{} << Groups{{"甲"}} << QStringList{};

        // Group g scores g + 1 points: eleven groups ranked 第1名 (group 10) to 第11名.
        QStringList pending;
        Groups eleven;
        QStringList lines;
        for (int g = 0; g < 11; ++g) {
            const QString name = QStringLiteral("生%1").arg(g);
            eleven.append({name});
            pending.append(scored(name, QStringLiteral("%1分").arg(g + 1)));
        }
        for (int g = 10; g >= 0; --g)
            lines.append(QStringLiteral("第%1名\t%2分\t生%3\t 生%3").arg(11 - g).arg(g + 1).arg(g));
        QTest::newRow("eleven ranked groups in rank order") << pending << eleven << lines;
    }
    void ranking()
    {
        QFETCH(QStringList, pending);
        QFETCH(Groups, groups);
        QFETCH(QStringList, lines);
        openStatistics(pending, groups);

        auto *frame8 = find<QGroupBox>("Frame8");
        QVERIFY(frame8->isVisible());
        QCOMPARE(frame8->title(), "小组统计");
        QVERIFY(!m_panel->isVisible());
        QCOMPARE(texts(find<QListWidget>("List9")), lines);
        // The statistics only read the pending scores.
        QCOMPARE(m_pending->lines(), pending);
    }

    void detailAndBack()
    {
        openStatistics({scored("甲", "4分"), scored("乙", "3.5分"), scored("丙", "1分")},
                       {{"丙"}, {"甲", "戊", "乙"}});
        auto *list9 = find<QListWidget>("List9");
        QCOMPARE(list9->count(), 2);
        doubleClickRow(list9, 0);

        auto *frame1 = find<QGroupBox>("Frame1");
        QVERIFY(frame1->isVisible());
        QVERIFY(!find<QGroupBox>("Frame8")->isVisible());
        QCOMPARE(frame1->geometry(), find<QGroupBox>("Frame8")->geometry());
        QCOMPARE(find<QLabel>("Label22")->text(), "第1名");
        QCOMPARE(find<QLabel>("Label23")->text(), "得分：7.5分");
        QCOMPARE(find<QPlainTextEdit>("Text7")->toPlainText(), "甲 乙");
        QCOMPARE(find<QPlainTextEdit>("Text12")->toPlainText(), "甲 戊 乙");

        click("Command2");
        QVERIFY(find<QGroupBox>("Frame8")->isVisible());
        QVERIFY(!frame1->isVisible());
        click("Command28");
        QVERIFY(!find<QGroupBox>("Frame8")->isVisible());
        QVERIFY(m_panel->isVisible());

        // Computed afresh each time: a new score shows at the next opening.
        QVERIFY(m_pending->append(test::score(scored("丙", "9分"))));
        click("Command27");
        QCOMPARE(list9->item(0)->text(), "第1名\t10分\t丙\t 丙");
    }

    void placedWhereTheUploadPanelWas()
    {
        openStatistics({scored("甲", "4分")}, {{"甲"}});
        QCOMPARE(find<QWidget>("GroupStatistics")->geometry(), m_panel->geometry());
    }
};

QTEST_MAIN(TestGroupStatsPanel)
#include "tst_GroupStatsPanel.moc"
