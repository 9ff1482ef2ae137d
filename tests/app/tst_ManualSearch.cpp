#include "app/Draw.h"
#include "app/ManualSearch.h"
#include "app/StatisticsViews.h"
#include "support/TestClock.h"

#include <QTest>

#include <climits>

using namespace corvanta;

namespace {

// Six-field records as the class record file holds them.
QList<StudentRecord> records(const QStringList &lines)
{
    QList<StudentRecord> result;
    for (const QString &line : lines) {
        if (auto r = parseStudentRecord(line))
            result.append(*r);
    }
    return result;
}

QStringList namesOf(const QList<StudentRecord> &students)
{
    QStringList names;
    for (const StudentRecord &s : students)
        names.append(s.name);
    return names;
}

ManualSearch searchOver(const QList<StudentRecord> &students)
{
    ManualSearch search;
    search.setClass(namesOf(students), students);
    return search;
}

const QList<StudentRecord> &sampleClass()
{
    static const QList<StudentRecord> students = records({
        u"一班\t李小明\t1\t0\t4.5\t3"_qs,
        u"一班\t李明\t1\t0\t2\t1"_qs,
        u"一班\t王珺\t2\t0\t0\t0"_qs,
        u"一班\t翟志强\t2\t0\t5\t2"_qs,
        u"一班\tTom\t3\t0\t1\t1"_qs,
    });
    return students;
}

} // namespace

class TestManualSearch : public QObject
{
    Q_OBJECT
private slots:
    void search_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        const QString lxm = u"李小明\t[3次,4.5分]"_qs;
        const QString lm = u"李明\t[1次,2分]"_qs;
        const QString wj = u"王珺\t[0次,0分]"_qs;
        const QString zzq = u"翟志强\t[2次,5分]"_qs;
        const QString tom = u"Tom\t[1次,1分]"_qs;
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("upper-case initial, text order") << u"L"_qs << QStringList{lm, lxm};
        QTest::newRow("lower-case initial alike") << u"l"_qs << QStringList{lm, lxm};
        QTest::newRow("part of the initials") << u"LM"_qs << QStringList{lm};
        QTest::newRow("complete initials on top") << u"lxm"_qs << QStringList{lxm};
        QTest::newRow("special character's letter") << u"zzq"_qs << QStringList{zzq};
        QTest::newRow("character outside GB2312") << u"WJ"_qs << QStringList{wj};
        QTest::newRow("part of the name") << u"明"_qs << QStringList{lm, lxm};
        QTest::newRow("whole name on top") << u"李明"_qs << QStringList{lm};
        QTest::newRow("name compared with case") << u"tom"_qs << QStringList();
        QTest::newRow("name as typed") << u"Tom"_qs << QStringList{tom};
        QTest::newRow("no match") << u"K"_qs << QStringList();
        QTest::newRow("tab matches nothing") << u"\t"_qs << QStringList();
        QTest::newRow("pattern characters are plain") << u".*"_qs << QStringList();
    }
    void search()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QCOMPARE(searchOver(sampleClass()).search(text), lines);
    }

    // Full-length matches stand on top, the last found first; the rest in text order.
    void fullMatchesOnTop_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("two full, one partial")
            << QStringList{u"张三丰"_qs, u"张三"_qs, u"张珊"_qs} << u"ZS"_qs
            << QStringList{u"张珊"_qs, u"张三"_qs, u"张三丰"_qs};
        QTest::newRow("partials by reading")
            << QStringList{u"周五"_qs, u"赵六"_qs, u"安七"_qs} << u"五"_qs << QStringList{u"周五"_qs};
        QTest::newRow("partials sorted") << QStringList{u"周小五"_qs, u"赵小六"_qs, u"安小七"_qs} << u"X"_qs
                                         << QStringList{u"安小七"_qs, u"赵小六"_qs, u"周小五"_qs};
        QTest::newRow("one-character name") << QStringList{u"李小明"_qs, u"李"_qs, u"刘"_qs} << u"l"_qs
                                            << QStringList{u"刘"_qs, u"李"_qs, u"李小明"_qs};
        // Any reading finds a name, the surname's as well as the old letters.
        QTest::newRow("surname reading on top")
            << QStringList{u"单语芳"_qs, u"孙宇飞"_qs, u"单语"_qs} << u"syf"_qs
            << QStringList{u"孙宇飞"_qs, u"单语芳"_qs};
        QTest::newRow("old letters still find")
            << QStringList{u"单语芳"_qs, u"孙宇飞"_qs, u"单语"_qs} << u"dy"_qs
            << QStringList{u"单语"_qs, u"单语芳"_qs};
        QTest::newRow("compound surname") << QStringList{u"长孙无忌"_qs, u"张三"_qs} << u"zs"_qs
                                          << QStringList{u"张三"_qs, u"长孙无忌"_qs};
        QTest::newRow("GBK addition") << QStringList{u"李堃"_qs, u"李坤"_qs} << u"lk"_qs
                                      << QStringList{u"李坤"_qs, u"李堃"_qs};
    }
    void fullMatchesOnTop()
    {
        QFETCH(QStringList, names);
        QFETCH(QString, text);
        QFETCH(QStringList, order);
        QList<StudentRecord> students;
        for (const QString &n : names)
            students.append(*parseStudentRecord(u"一班\t"_qs + n + u"\t0\t0\t0\t0"_qs));
        QStringList got;
        for (const QString &line : searchOver(students).search(text))
            got.append(nameOfListItem(line));
        QCOMPARE(got, order);
    }

    void namesWithoutRecord()
    {
        // The class's records changed under the roster: the names can still be found.
        ManualSearch search;
        search.setClass({u"李明"_qs, u"陈新"_qs}, records({u"一班\t李明\t1\t0\t2\t1"_qs}));
        QCOMPARE(search.search(u"C"_qs), QStringList{u"陈新\t[0次,0分]"_qs});
        QCOMPARE(search.size(), 2);
        search.setClass({u"李明"_qs}, {});
        QCOMPARE(search.search(u"LM"_qs), QStringList{u"李明\t[0次,0分]"_qs});
        search.clear();
        QCOMPARE(search.search(u"LM"_qs), QStringList());
    }

    void duplicateNames()
    {
        // Two records of one name: both students are listed, with the first record's figures.
        const auto students = records({u"一班\t李明\t1\t0\t2\t1"_qs, u"一班\t李明\t1\t0\t5\t9"_qs});
        QCOMPARE(searchOver(students).search(u"L"_qs),
                 (QStringList{u"李明\t[1次,2分]"_qs, u"李明\t[1次,2分]"_qs}));
    }

    void nameOfLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("name");
        QTest::newRow("item") << u"李明\t[1次,2分]"_qs << u"李明"_qs;
        QTest::newRow("no tab") << u"李明"_qs << u"李明"_qs;
        QTest::newRow("empty") << QString() << QString();
    }
    void nameOfLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, name);
        QCOMPARE(nameOfListItem(line), name);
    }

    void listGeometry_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("top");
        QTest::newRow("one") << 1 << 600 << 1770;
        QTest::newRow("three") << 3 << 600 << 1770;
        QTest::newRow("four") << 4 << 800 << 1570;
        QTest::newRow("eight") << 8 << 1600 << 770;
        QTest::newRow("nine") << 9 << 1650 << 720;
        QTest::newRow("twenty") << 20 << 1650 << 720;
        QTest::newRow("huge") << INT_MAX << 1650 << 720;
    }
    void listGeometry()
    {
        QFETCH(int, lines);
        QFETCH(int, height);
        QFETCH(int, top);
        const ResultListGeometry g = resultListGeometry(lines);
        QCOMPARE(g.left, 200);
        QCOMPARE(g.height, height);
        QCOMPARE(g.top, top);
        QCOMPARE(g.top + g.height, 2370); // just above the search box
    }

    void pickMovesOnce()
    {
        Draw draw;
        draw.setPools(buildRoster(sampleClass()).pools);
        QVERIFY(draw.pick(u"李明"_qs));
        QVERIFY(!draw.pool(1).contains(u"李明"_qs));
        QCOMPARE(draw.pool(2), QStringList{u"李明"_qs});
        // Picked again: no longer in pool 1, so nothing changes.
        QVERIFY(!draw.pick(u"李明"_qs));
        QCOMPARE(draw.pool(2), QStringList{u"李明"_qs});
        QCOMPARE(draw.pool(1).size(), sampleClass().size() - 1);
        // A name outside the class joins nothing.
        QVERIFY(!draw.pick(u"陈新"_qs));
        QCOMPARE(draw.pool(2).size(), 1);
    }

    void pickAfterDrawFromAllKeepsPoolTwoUnique()
    {
        Draw draw;
        draw.setPools(buildRoster(records({u"一班\t李明\t1\t0\t2\t1"_qs})).pools);
        test::ReplayRandom random(1);
        QVERIFY(draw.start(0));
        draw.step(random);
        QCOMPARE(draw.stop(), u"李明"_qs); // drawn from all: still in pool 1
        QVERIFY(draw.pick(u"李明"_qs));
        QCOMPARE(draw.pool(2), QStringList{u"李明"_qs});
        QVERIFY(draw.pool(1).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestManualSearch)
#include "tst_ManualSearch.moc"
