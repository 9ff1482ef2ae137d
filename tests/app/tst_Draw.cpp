#include "app/Draw.h"
#include "app/Pools.h"
#include "support/TestClock.h"

#include <QMap>
#include <QRandomGenerator>
#include <QTest>

using namespace corvanta;
using corvanta::test::ReplayRandom;

namespace {

StudentRecord student(const QString &name, double count, double score = 0, int group = 0)
{
    StudentRecord s;
    s.name = name;
    s.count = count;
    s.score = score;
    s.group = group;
    return s;
}

} // namespace

class TestDraw : public QObject
{
    Q_OBJECT
private slots:
    // ---- The fair draw ----

    // Each step: the pool the fair draw takes from and the students it may draw there (less
    // those drawn at the steps before). Names by count: 甲 乙 丙 ... from the first count on.
    void fairDraw_data()
    {
        QTest::addColumn<QList<double>>("counts");
        QTest::addColumn<QStringList>("absent");
        QTest::addColumn<QStringList>("calledBefore"); // picked by hand first
        QTest::addColumn<QStringList>("steps");        // "pool names…"
        QTest::newRow("never called, then the least called")
            << QList<double>{0, 0, 0, 5, 5, 2} << QStringList{} << QStringList{}
            << QStringList{"3 甲 乙 丙", "3 甲 乙 丙", "3 甲 乙 丙",         "6 己",
                           "7 丁 戊",    "7 丁 戊",    "0 甲 乙 丙 丁 戊 己"};
        QTest::newRow("absent never drawn")
            << QList<double>{0, 0, 1, 3} << QStringList{"甲", "丁"} << QStringList{}
            << QStringList{"3 乙", "6 丙", "0 乙 丙", "0 乙 丙"};
        QTest::newRow("called this lesson stays out")
            << QList<double>{0, 0, 1, 1} << QStringList{} << QStringList{"甲", "丙"}
            << QStringList{"3 乙", "7 丁", "0 甲 乙 丙 丁"};
        QTest::newRow("nobody present")
            << QList<double>{0, 2} << QStringList{"甲", "乙"} << QStringList{} << QStringList{"-1"};
    }
    void fairDraw()
    {
        QFETCH(QList<double>, counts);
        QFETCH(QStringList, absent);
        QFETCH(QStringList, calledBefore);
        QFETCH(QStringList, steps);
        static const QString names = QStringLiteral("甲乙丙丁戊己庚");
        for (quint32 run = 1; run <= 20; ++run) {
            QList<StudentRecord> students;
            for (qsizetype i = 0; i < counts.size(); ++i)
                students.append(student(names.mid(i, 1), counts[i], 3));
            Draw draw;
            draw.setPools(buildRoster(students).pools);
            draw.setAbsent(QSet<QString>(absent.cbegin(), absent.cend()));
            for (const QString &name : calledBefore)
                QVERIFY(draw.pick(name));
            ReplayRandom random(run);
            QSet<QString> drawn;
            for (const QString &step : steps) {
                const QStringList parts = step.split(u' ');
                QCOMPARE(draw.fairPool(), parts[0].toInt());
                if (parts[0] == QLatin1String("-1")) {
                    QVERIFY(!draw.startFair());
                    continue;
                }
                QVERIFY(draw.startFair());
                QVERIFY(draw.fairRunning());
                QSet<QString> expected(parts.cbegin() + 1, parts.cend());
                if (parts[0] != QLatin1String("0"))
                    expected -= drawn;
                const QStringList drawing = draw.drawing();
                QCOMPARE(QSet<QString>(drawing.cbegin(), drawing.cend()), expected);
                draw.step(random);
                const QString chosen = draw.stop();
                QVERIFY(expected.contains(chosen));
                drawn.insert(chosen);
                QVERIFY(draw.pool(2).contains(chosen));
            }
            QCOMPARE(draw.lastPool(), -1); // the keys still draw fairly
        }
    }

    void countPools_data()
    {
        QTest::addColumn<QList<double>>("counts");
        QTest::addColumn<double>("overall");
        QTest::addColumn<double>("lower");
        QTest::addColumn<double>("upper");
        QTest::addColumn<QList<int>>("pools");
        QTest::newRow("spread") << QList<double>{1, 2, 3, 6} << 3.0 << 1.5 << 4.5 << QList<int>{4, 5, 6, 7};
        QTest::newRow("zeros") << QList<double>{0, 0, 2, 4} << 1.5 << 0.0 << 3.0 << QList<int>{3, 3, 6, 7};
        QTest::newRow("all equal") << QList<double>{5, 5, 5} << 5.0 << 0.0 << 5.0 << QList<int>{7, 7, 7};
        QTest::newRow("all zero") << QList<double>{0, 0} << 0.0 << 0.0 << 0.0 << QList<int>{3, 3};
        QTest::newRow("none") << QList<double>{} << 0.0 << 0.0 << 0.0 << QList<int>{};
    }
    void countPools()
    {
        QFETCH(QList<double>, counts);
        QFETCH(double, overall);
        QFETCH(double, lower);
        QFETCH(double, upper);
        QFETCH(QList<int>, pools);
        const PoolThresholds t = computeThresholds(counts);
        QCOMPARE(t.overall, overall);
        QCOMPARE(t.lower, lower);
        QCOMPARE(t.upper, upper);
        QList<int> got;
        for (double c : counts)
            got.append(countPool(c, t));
        QCOMPARE(got, pools);
    }

    void scorePools_data()
    {
        QTest::addColumn<double>("count");
        QTest::addColumn<double>("score");
        QTest::addColumn<int>("pool");
        QTest::newRow("1.5") << 1.0 << 1.5 << 8;
        QTest::newRow("2") << 1.0 << 2.0 << 9;
        QTest::newRow("3.99") << 1.0 << 3.99 << 10;
        QTest::newRow("4") << 1.0 << 4.0 << 11;
        QTest::newRow("never called") << 0.0 << 4.0 << -1;
    }
    void scorePools()
    {
        QFETCH(double, count);
        QFETCH(double, score);
        QFETCH(int, pool);
        QCOMPARE(scorePool(count, score), pool);
    }

    void rosterFillsPoolsAndGroups()
    {
        const Roster r = buildRoster({student("a", 0, 0, 1), student("b", 2, 4.5, 1), student("c", 4, 1, -1)});
        QCOMPARE(r.pools[0], QStringList({"a", "b", "c"}));
        QCOMPARE(r.pools[1], QStringList({"a", "b", "c"}));
        QVERIFY(r.pools[2].isEmpty());
        QCOMPARE(r.pools[3], QStringList({"a"}));
        QCOMPARE(r.pools[11], QStringList({"b"}));
        QCOMPARE(r.pools[8], QStringList({"c"}));
        QCOMPARE(r.groups[1], QStringList({"a", "b"}));
        int grouped = 0;
        for (const auto &g : r.groups)
            grouped += int(g.size());
        QCOMPARE(grouped, 2); // "c" has no valid group
    }

    // A reload in the middle of a lesson: each student keeps what the lesson did with them,
    // whatever pools the new records sort them into.
    void lessonCarriedOntoNewRecords_data()
    {
        QTest::addColumn<QList<StudentRecord>>("after");
        QTest::addColumn<QList<QStringList>>("expected");
        // Before: a (never called), b (count 2, score 4.5: pools 6 and 11), c (count 4, score 1:
        // pools 7 and 8). The lesson drew b from pool 6 and picked a by hand.
        const QList<StudentRecord> before{student("a", 0), student("b", 2, 4.5), student("c", 4, 1)};
        const auto pools = [](QMap<int, QStringList> filled) {
            QList<QStringList> all(PoolCount);
            for (auto it = filled.cbegin(); it != filled.cend(); ++it)
                all[it.key()] = it.value();
            return all;
        };
        QTest::newRow("records unchanged") << before
                                           << pools({{0, {"a", "b", "c"}},
                                                     {1, {"b", "c"}},
                                                     {2, {"b", "a"}},
                                                     {3, {"a"}},
                                                     {7, {"c"}},
                                                     {8, {"c"}},
                                                     {11, {"b"}}});
        // c's count falls to 1: c now sorts into pool 6, b into pool 7 (b left only pool 6).
        QTest::newRow("counts changed")
            << QList<StudentRecord>{student("a", 0), student("b", 2, 4.5), student("c", 1, 1)}
            << pools({{0, {"a", "b", "c"}},
                      {1, {"b", "c"}},
                      {2, {"b", "a"}},
                      {3, {"a"}},
                      {6, {"c"}},
                      {7, {"b"}},
                      {8, {"c"}},
                      {11, {"b"}}});
        QTest::newRow("one gone, one new")
            << QList<StudentRecord>{student("a", 0), student("c", 4, 1), student("d", 0)}
            << pools({{0, {"a", "c", "d"}},
                      {1, {"c", "d"}},
                      {2, {"a"}},
                      {3, {"a", "d"}},
                      {7, {"c"}},
                      {8, {"c"}}});
    }
    void lessonCarriedOntoNewRecords()
    {
        QFETCH(QList<StudentRecord>, after);
        QFETCH(QList<QStringList>, expected);
        const Pools started = buildRoster({student("a", 0), student("b", 2, 4.5), student("c", 4, 1)}).pools;
        Draw draw;
        draw.setPools(started);
        QVERIFY(draw.start(6));
        ReplayRandom random;
        QCOMPARE(draw.step(random), "b");
        QCOMPARE(draw.stop(), "b");
        QVERIFY(draw.pick("a"));
        const Pools carried = carryLesson(started, draw.pools(), buildRoster(after).pools);
        QCOMPARE(QList<QStringList>(carried.cbegin(), carried.cend()), expected);
    }

    void startAndStop_data()
    {
        QTest::addColumn<int>("pool");
        QTest::addColumn<bool>("shrinks");
        QTest::newRow("all") << 0 << false;
        QTest::newRow("not yet") << 1 << true;
        QTest::newRow("called") << 2 << false;
        QTest::newRow("never") << 3 << true;
    }
    void startAndStop()
    {
        QFETCH(int, pool);
        QFETCH(bool, shrinks);
        Draw draw;
        std::array<QStringList, PoolCount> pools;
        pools[0] = pools[1] = pools[3] = QStringList({"a", "b", "c"});
        pools[2] = QStringList({"a", "b", "c"});
        draw.setPools(pools);
        ReplayRandom random(7);
        QVERIFY(draw.start(pool));
        QVERIFY(draw.running());
        QVERIFY(!draw.start(5)); // one draw at a time
        for (int i = 0; i < PoolCount; ++i)
            QCOMPARE(draw.buttonEnabled(i), i == pool);
        const QString shown = draw.step(random);
        const QString chosen = draw.stop();
        QCOMPARE(chosen, shown);
        QVERIFY(!draw.running());
        QCOMPARE(draw.pool(pool).contains(chosen), !shrinks);
        QCOMPARE(draw.pool(pool).size(), shrinks ? 2 : 3);
        QCOMPARE(draw.pool(2).count(chosen), 1);
        if (pool == 3)
            QVERIFY(draw.pool(1).contains(chosen)); // stays "not yet called"
    }

    void cancelledDrawChoosesNobody()
    {
        Draw draw;
        std::array<QStringList, PoolCount> pools;
        pools[0] = pools[1] = QStringList({"a", "b"});
        draw.setPools(pools);
        ReplayRandom random(3);
        QVERIFY(draw.start(1));
        draw.step(random);
        draw.cancel();
        QVERIFY(!draw.running());
        QCOMPARE(draw.pool(1), QStringList({"a", "b"}));
        QCOMPARE(draw.pool(2), QStringList());
        QCOMPARE(draw.stop(), QString()); // nothing left to stop
        QVERIFY(draw.start(1));           // and a new draw may begin
    }

    void lastNameEmptiesItsPool()
    {
        Draw draw;
        std::array<QStringList, PoolCount> pools;
        pools[0] = pools[1] = QStringList({"a"});
        pools[5] = QStringList({"a"});
        draw.setPools(pools);
        ReplayRandom random(1);
        QVERIFY(draw.start(5));
        QCOMPARE(draw.step(random), QStringLiteral("a"));
        QCOMPARE(draw.stop(), QStringLiteral("a"));
        QVERIFY(draw.pool(5).isEmpty());
        QVERIFY(!draw.buttonEnabled(5));
        QVERIFY(!draw.start(5));
        QVERIFY(draw.buttonEnabled(2));
    }

    void everyNameEquallyLikely()
    {
        // 20 names, 200,000 steps from a fixed random start: each name should come up
        // 10,000 times; the first and last no less often than the others.
        QStringList names;
        for (int i = 0; i < 20; ++i)
            names.append(QString::number(i));
        Draw draw;
        std::array<QStringList, PoolCount> pools;
        pools[0] = names;
        draw.setPools(pools);
        ReplayRandom random(20261207);
        QVERIFY(draw.start(0));
        QHash<QString, int> seen;
        const int steps = 200000;
        for (int i = 0; i < steps; ++i)
            ++seen[draw.step(random)];
        double chi2 = 0;
        const double expected = steps / 20.0;
        for (const QString &n : names) {
            const double d = seen.value(n) - expected;
            chi2 += d * d / expected;
        }
        // 19 degrees of freedom: 43.8 is the 0.1% critical value.
        QVERIFY2(chi2 < 43.8, qPrintable(QString::number(chi2)));
        QVERIFY(seen.value("0") > expected * 0.9);
        QVERIFY(seen.value("19") > expected * 0.9);
    }
};

QTEST_GUILESS_MAIN(TestDraw)
#include "tst_Draw.moc"
