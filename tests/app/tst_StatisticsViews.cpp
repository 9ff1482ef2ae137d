#include "app/Draw.h"
#include "app/StatisticsViews.h"
#include "support/TestClock.h"

#include <QTest>

using namespace corvanta;

namespace {

StudentRecord student(const QString &name, double count, double score)
{
    StudentRecord s;
    s.name = name;
    s.count = count;
    s.score = score;
    return s;
}

} // namespace

class TestStatisticsViews : public QObject
{
    Q_OBJECT
private slots:
    void captions_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("tabCaption");
        QTest::addColumn<QStringList>("frames");
        QTest::newRow("1") << 1 << u"常用"_qs
                           << QStringList{u"曾经被点"_qs, u"本次未点"_qs, u"本次已点"_qs, u"从未被点"_qs};
        QTest::newRow("2") << 2 << u"次数"_qs << QStringList{u"很少"_qs, u"较少"_qs, u"较多"_qs, u"很多"_qs};
        QTest::newRow("3") << 3 << u"难度"_qs << QStringList{u"很易"_qs, u"较易"_qs, u"较难"_qs, u"很难"_qs};
        QTest::newRow("groups") << 4 << u"分组"_qs << QStringList{QString(), QString(), QString(), QString()};
        QTest::newRow("none") << 0 << QString() << QStringList{QString(), QString(), QString(), QString()};
    }
    void captions()
    {
        QFETCH(int, tab);
        QFETCH(QString, tabCaption);
        QFETCH(QStringList, frames);
        QCOMPARE(viewTabCaption(tab), tabCaption);
        for (int k = 0; k < ViewFrameCount; ++k)
            QCOMPARE(viewFrameCaption(tab, k), frames[k]);
        QCOMPARE(viewFrameCaption(tab, 4), QString());
    }

    void lists_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QList<QStringList>>("frames");
        // Mean count 3: a never called, b and c below the mean, d far above it; by score
        // b is easy, c fairly easy, d very hard.
        QTest::newRow("common") << 1
                                << QList<QStringList>{{u"b"_qs, u"c"_qs, u"d"_qs},
                                                      {u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs},
                                                      {},
                                                      {u"a"_qs}};
        QTest::newRow("counts") << 2 << QList<QStringList>{{}, {u"b"_qs, u"c"_qs}, {}, {u"d"_qs}};
        QTest::newRow("scores, never called in none")
            << 3 << QList<QStringList>{{u"b"_qs}, {u"c"_qs}, {}, {u"d"_qs}};
        QTest::newRow("groups tab") << 4 << QList<QStringList>{{}, {}, {}, {}};
        QTest::newRow("out of range") << 5 << QList<QStringList>{{}, {}, {}, {}};
    }
    void lists()
    {
        QFETCH(int, tab);
        QFETCH(QList<QStringList>, frames);
        const Roster roster = buildRoster({student(u"a"_qs, 0, 0), student(u"b"_qs, 1, 1),
                                           student(u"c"_qs, 2, 2.5), student(u"d"_qs, 9, 4)});
        const auto got = viewLists(roster.pools, tab);
        for (int k = 0; k < ViewFrameCount; ++k)
            QCOMPARE(got[k], frames[k]);
    }

    void noClassMeansEmptyViews()
    {
        for (int tab = 1; tab <= ViewTabCount; ++tab) {
            for (const QStringList &list : viewLists({}, tab))
                QVERIFY(list.isEmpty());
        }
    }

    void calledTwiceInFreshClass()
    {
        Draw draw;
        draw.setPools(
            buildRoster({student(u"a"_qs, 0, 0), student(u"b"_qs, 0, 0), student(u"c"_qs, 0, 0)}).pools);
        test::ReplayRandom random(5);
        QStringList called;
        for (int i = 0; i < 2; ++i) {
            QVERIFY(draw.start(1));
            draw.step(random);
            called.append(draw.stop());
        }
        const auto views = viewLists(draw.pools(), 1);
        QVERIFY(views[0].isEmpty());
        for (const QString &name : called)
            QVERIFY(!views[1].contains(name));
        QCOMPARE(views[1].size(), 1);
        QCOMPARE(views[2], called);
        QCOMPARE(views[3], (QStringList{u"a"_qs, u"b"_qs, u"c"_qs}));
    }

    void everCalledKeepsDuplicateNames()
    {
        // Two students share a name and only one was never called: one line remains.
        const Roster roster =
            buildRoster({student(u"a"_qs, 0, 0), student(u"a"_qs, 3, 3), student(u"b"_qs, 1, 1)});
        QCOMPARE(viewLists(roster.pools, 1)[0], (QStringList{u"a"_qs, u"b"_qs}));
    }
};

QTEST_GUILESS_MAIN(TestStatisticsViews)
#include "tst_StatisticsViews.moc"
