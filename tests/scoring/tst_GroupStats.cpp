#include "scoring/ExactDecimal.h"
#include "scoring/GroupStats.h"
#include "support/ScoreTexts.h"

#include <QTest>

#include <limits>

using namespace corvanta;
using corvanta::test::scores;

namespace {

QString scored(const QString &student, const QString &score, const QString &className = QStringLiteral("C1"))
{
    return className + u'\t' + student + u'\t' + score + QStringLiteral("\t2026-03-05 09:07:02\t");
}

QList<QStringList> groupsOf(std::initializer_list<std::pair<int, QStringList>> filled)
{
    QList<QStringList> groups(kGroupCount);
    for (const auto &[g, names] : filled)
        groups[g] = names;
    return groups;
}

QStringList listLines(const QList<GroupRank> &ranked)
{
    QStringList lines;
    for (const GroupRank &r : ranked)
        lines.append(r.line());
    return lines;
}

} // namespace

class TestGroupStats : public QObject
{
    Q_OBJECT
private slots:
    void sums_data()
    {
        QTest::addColumn<QList<double>>("scores");
        QTest::addColumn<QString>("total");
        QTest::newRow("two halves make a whole") << QList<double>{2.5, 2.5} << "5";
        QTest::newRow("halves stay halves") << QList<double>{4, 3.5} << "7.5";
        QTest::newRow("tenths exact") << QList<double>{0.1, 0.2} << "0.3";
        QTest::newRow("past 16 bits") << QList<double>{30000, 30000, 5000} << "65000";
        QTest::newRow("a minus cancels") << QList<double>{3, -3} << "0";
        QTest::newRow("below zero") << QList<double>{1.25, -2} << "-0.75";
        QTest::newRow("large, no exponent") << QList<double>{1e21, 1} << "1000000000000000000001";
        QTest::newRow("small, no exponent") << QList<double>{1e-7} << "0.0000001";
        QTest::newRow("not a number reads 0")
            << QList<double>{std::numeric_limits<double>::quiet_NaN(), 2} << "2";
    }
    void sums()
    {
        QFETCH(QList<double>, scores);
        QFETCH(QString, total);
        ExactDecimal sum;
        for (double s : scores)
            sum += ExactDecimal::fromDouble(s);
        QCOMPARE(sum.text(), total);
    }

    void ordering_data()
    {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("longer integer part") << 10.0 << 9.5 << 1;
        QTest::newRow("fraction decides") << 9.25 << 9.5 << -1;
        QTest::newRow("negatives reverse") << -10.0 << -9.0 << -1;
        QTest::newRow("sign first") << -0.5 << 0.25 << -1;
        QTest::newRow("equal") << 2.50 << 2.5 << 0;
    }
    void ordering()
    {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(int, sign);
        const auto order = ExactDecimal::fromDouble(a) <=> ExactDecimal::fromDouble(b);
        QCOMPARE((order > 0) - (order < 0), sign);
    }

    void ranking_data()
    {
        QTest::addColumn<QList<QStringList>>("groups");
        QTest::addColumn<QStringList>("pending");
        QTest::addColumn<QStringList>("list");

        QTest::newRow("ties share a rank, the next skips")
            << groupsOf({{0, {"甲"}}, {1, {"乙"}}, {2, {"丙"}}})
            << QStringList{scored("丙", "5分"), scored("甲", "9分"), scored("乙", "9分")}
            << QStringList{"第1名\t9分\t甲\t 甲", "第1名\t9分\t乙\t 乙", "第3名\t5分\t丙\t 丙"};
        QTest::newRow("a total of 0 has no line") << groupsOf({{0, {"甲"}}, {1, {"乙"}}, {3, {"丁"}}})
                                                  << QStringList{scored("甲", "0分"), scored("乙", "2分"),
                                                                 scored("丁", "3分"), scored("丁", "-3分")}
                                                  << QStringList{"第1名\t2分\t乙\t 乙"};
        QTest::newRow("scored three times counts three times, named once")
            << groupsOf({{4, {"张三", "李四", "王五"}}})
            << QStringList{scored("张三", "3分"), scored("李四", "1分"), scored("张三", "4分"),
                           scored("张三", "5分")}
            << QStringList{"第1名\t13分\t张三 李四\t 张三 李四 王五"};
        QTest::newRow("a student in two groups counts for both")
            << groupsOf({{0, {"甲", "乙"}}, {7, {"乙"}}})
            << QStringList{scored("甲", "1分"), scored("乙", "4分")}
            << QStringList{"第1名\t5分\t甲 乙\t 甲 乙", "第2名\t4分\t乙\t 乙"};
        QTest::newRow("halves summed exactly")
            << groupsOf({{2, {"甲"}}})
            << QStringList{scored("甲", "2.5分"), scored("甲", "2.5分"), scored("甲", "2.5分")}
            << QStringList{"第1名\t7.5分\t甲\t 甲"};
        QTest::newRow("whole names, not parts of names")
            << groupsOf({{0, {"李明华", "李明"}}, {1, {"李"}}})
            << QStringList{scored("李明华", "2分"), scored("李明", "3分")}
            << QStringList{"第1名\t5分\t李明华 李明\t 李明华 李明"};
        QTest::newRow("other classes and broken lines left out")
            << groupsOf({{0, {"甲"}}})
            << QStringList{scored("甲", "2分"), scored("甲", "5分", "C2"), "C1\t甲\t4分", "",
                           scored("乙", "3分")}
            << QStringList{"第1名\t2分\t甲\t 甲"};
        QTest::newRow("names standing twice in one list count once")
            << groupsOf({{0, {"甲", "甲"}}}) << QStringList{scored("甲", "2分")}
            << QStringList{"第1名\t2分\t甲\t 甲 甲"};
        QTest::newRow("no pending scores, no lines")
            << groupsOf({{0, {"甲"}}}) << QStringList{} << QStringList{};
        QTest::newRow("fewer lists than sixteen")
            << QList<QStringList>{{"甲"}} << QStringList{scored("甲", "1分")}
            << QStringList{"第1名\t1分\t甲\t 甲"};

        // Eleven groups scoring 1 to 11 points in group order: listed by rank, 第10名 and
        // 第11名 after 第9名.
        QList<QStringList> eleven(kGroupCount);
        QStringList pending;
        QStringList expected;
        for (int g = 0; g < 11; ++g) {
            const QString name = QStringLiteral("S%1").arg(g);
            eleven[g] = {name};
            pending.append(scored(name, QStringLiteral("%1分").arg(g + 1)));
        }
        for (int g = 10; g >= 0; --g) {
            const QString name = QStringLiteral("S%1").arg(g);
            expected.append(QStringLiteral("第%1名\t%2分\t%3\t %3").arg(11 - g).arg(g + 1).arg(name));
        }
        QTest::newRow("eleven ranked groups in rank order") << eleven << pending << expected;
    }
    void ranking()
    {
        QFETCH(QList<QStringList>, groups);
        QFETCH(QStringList, pending);
        QFETCH(QStringList, list);
        QCOMPARE(listLines(rankGroups(scores(pending), groups, QStringLiteral("C1"))), list);
    }

    void rankedGroupKeepsItsNumber()
    {
        const auto ranked = rankGroups(scores({scored("乙", "2分")}), groupsOf({{9, {"乙"}}}), QStringLiteral("C1"));
        QCOMPARE(ranked.size(), 1);
        QCOMPARE(ranked[0].group, 9);
        QCOMPARE(ranked[0].rank, 1);
        QCOMPARE(ranked[0].total.text(), QStringLiteral("2"));
    }

    void detail_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("statistics line")
            << "第1名\t7.5分\t张三 李四\t 张三 李四 王五" << true
            << QStringList{"第1名", "得分：7.5分", "张三 李四", "张三 李四 王五"};
        QTest::newRow("three fields") << "第1名\t7.5分\t张三" << false << QStringList{};
        QTest::newRow("empty") << "" << false << QStringList{};
    }
    void detail()
    {
        QFETCH(QString, line);
        QFETCH(bool, valid);
        QFETCH(QStringList, shown);
        const auto detail = GroupDetail::fromLine(line);
        QCOMPARE(detail.has_value(), valid);
        if (detail)
            QCOMPARE((QStringList{detail->rank, detail->score, detail->contributors, detail->members}),
                     shown);
    }
};

QTEST_GUILESS_MAIN(TestGroupStats)
#include "tst_GroupStats.moc"
