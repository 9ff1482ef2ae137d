// Absent students, the draw without them, the classroom keys, why a student was drawn,
// taking back a score and the last day a student was scored: the logic without a window.
#include "app/AbsentStore.h"
#include "app/ClassroomKeys.h"
#include "app/Draw.h"
#include "app/WhyChosen.h"
#include "core/TextCodec.h"
#include "scoring/DailyLog.h"
#include "scoring/LogHistory.h"
#include "scoring/PendingScores.h"
#include "scoring/ScoreUndo.h"
#include "support/FifoGuard.h"
#include "support/ScoreTexts.h"
#include "support/TestClock.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;
using corvanta::test::FixedClock;
using corvanta::test::ReplayRandom;
using corvanta::test::score;

Q_DECLARE_METATYPE(corvanta::ClassroomAction)

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

QString line(const QString &student, const QString &score, const QString &time, const QString &standard = {})
{
    return QStringLiteral("一班\t") + student + u'\t' + score + u'\t' + time + u'\t' + standard;
}

} // namespace

class TestClassroom : public QObject
{
    Q_OBJECT
private slots:
    // ---- Absent students ----

    void absentKeptPerClassAndDay()
    {
        QTemporaryDir dir;
        FixedClock clock(QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
        {
            AbsentStore store(dir.path(), clock);
            QVERIFY(store.setAbsent(QStringLiteral("一班"), QStringLiteral("张三"), true));
            QVERIFY(store.setAbsent(QStringLiteral("一班"), QStringLiteral("𠮷田"), true)); // beyond GBK
            QVERIFY(store.setAbsent(QStringLiteral("二班"), QStringLiteral("李四"), true));
            QVERIFY(store.setAbsent(QStringLiteral("一班"), QStringLiteral("张三"), true)); // twice: once
        }
        AbsentStore again(dir.path(), clock);
        QCOMPARE(again.absent(QStringLiteral("一班")), (QStringList{"张三", "𠮷田"}));
        QCOMPARE(again.absent(QStringLiteral("二班")), QStringList{"李四"});
        QVERIFY(again.setAbsent(QStringLiteral("一班"), QStringLiteral("张三"), false));
        QCOMPARE(AbsentStore(dir.path(), clock).absent(QStringLiteral("一班")), QStringList{"𠮷田"});

        // The next day nobody is absent, in a store made afresh or one kept over midnight.
        clock.when = clock.when.addDays(1);
        QCOMPARE(again.count(QStringLiteral("一班")), 0);
        QCOMPARE(AbsentStore(dir.path(), clock).count(QStringLiteral("二班")), 0);
        QVERIFY(
            QFile::exists(dir.filePath(AbsentStore::fileName(QStringLiteral("一班"), QDate(2026, 12, 7)))));
    }

    // A FIFO under the absent list's name or a daily log's: reading returns at once, the
    // problem names the file, and marking a student still works.
    void fifoInDataFolder()
    {
        QTemporaryDir dir;
        FixedClock clock(QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
        const QString absentFile = dir.filePath(AbsentStore::fileName(QStringLiteral("一班"), QDate(2026, 12, 7)));
        QVERIFY(test::makeFifo(absentFile));
        AbsentStore store(dir.path(), clock);
        int count = -1;
        QVERIFY(test::returnsSoon(absentFile, [&] { count = store.count(QStringLiteral("一班")); }));
        QCOMPARE(count, 0);
        QVERIFY2(store.lastRead().error().contains(QDir::toNativeSeparators(absentFile)), qPrintable(store.lastRead().error()));
        Result marked = Result::failure({});
        QVERIFY(test::returnsSoon(absentFile, [&] {
            marked = store.setAbsent(QStringLiteral("一班"), QStringLiteral("张三"), true);
        }));
        QVERIFY2(marked, qPrintable(marked.error()));
        QCOMPARE(AbsentStore(dir.path(), clock).absent(QStringLiteral("一班")), QStringList{"张三"});

        const QString user = QStringLiteral("t01");
        writeFile(dir.filePath(dailyLogFileName(user, QStringLiteral("一班"), QDate(2026, 12, 1))),
                  toGbk(line("张三", "3分", "2026-12-01 09:00:00")));
        const QString later = dir.filePath(dailyLogFileName(user, QStringLiteral("一班"), QDate(2026, 12, 3)));
        QVERIFY(test::makeFifo(later));
        std::optional<QDate> last;
        QVERIFY(test::returnsSoon(later, [&] {
            last = lastScoredDate(dir.path(), user, QStringLiteral("一班"), QStringLiteral("张三"));
        }));
        QCOMPARE(last, QDate(2026, 12, 1));
    }

    void absentFileReadSafely_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("CR LF and blank lines")
            << QByteArray("张三\r\n\r\n李四\r\n") << QStringList{"张三", "李四"};
        QTest::newRow("no line end at the close") << QByteArray("张三") << QStringList{"张三"};
        QTest::newRow("a line with a TAB is no name") << QByteArray("张\t三\n李四\n") << QStringList{"李四"};
        QTest::newRow("bytes that are not UTF-8")
            << QByteArray("\xff\xfe\x80\n李四\n") << QStringList{"\uFFFD\uFFFD\uFFFD", "李四"};
        QTest::newRow("too large: taken as nobody") << QByteArray(300 * 1024, 'x') << QStringList{};
    }
    void absentFileReadSafely()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, names);
        QTemporaryDir dir;
        FixedClock clock;
        writeFile(dir.filePath(AbsentStore::fileName(QStringLiteral("一班"), clock.when.date())), bytes);
        AbsentStore store(dir.path(), clock);
        QCOMPARE(store.absent(QStringLiteral("一班")), names);
        QCOMPARE(store.lastRead().ok(), bytes.size() < 256 * 1024);
    }

    void absentWriteFailureKeepsTheMark()
    {
        QTemporaryDir dir;
        FixedClock clock;
        // A folder where the file should go: it cannot be written.
        QVERIFY(
            QDir().mkpath(dir.filePath(AbsentStore::fileName(QStringLiteral("一班"), clock.when.date()))));
        AbsentStore store(dir.path(), clock);
        const Result kept = store.setAbsent(QStringLiteral("一班"), QStringLiteral("张三"), true);
        QVERIFY(!kept);
        QVERIFY(kept.error().contains(QStringLiteral("缺席名单无法保存")));
        QVERIFY(store.isAbsent(QStringLiteral("一班"), QStringLiteral("张三")));
    }

    void drawLeavesAbsentOut()
    {
        Draw draw;
        std::array<QStringList, PoolCount> pools;
        pools[0] = pools[1] = {"甲", "乙", "丙"};
        pools[4] = {"甲", "乙"};
        draw.setPools(pools);
        draw.setAbsent({"甲", "乙"});
        QVERIFY(!draw.buttonEnabled(4)); // only absent students: as an empty pool
        QVERIFY(!draw.start(4));
        QVERIFY(draw.buttonEnabled(1));
        ReplayRandom random(7);
        for (int i = 0; i < 200; ++i) {
            QVERIFY(draw.start(1));
            QCOMPARE(draw.step(random), QStringLiteral("丙"));
            QCOMPARE(draw.stop(), QStringLiteral("丙"));
            // The drawn name left pool 1 at its own place, not at its place among the present.
            QCOMPARE(draw.pool(1), (QStringList{"甲", "乙"}));
            QVERIFY(!draw.buttonEnabled(1));
            draw.setPools(pools);
            draw.setAbsent({"甲", "乙"});
        }
        QCOMPARE(draw.lastPool(), 1);
        QCOMPARE(presentNames({"甲", "乙", "丙"}, {"乙"}), (QStringList{"甲", "丙"}));
    }

    // ---- Keys ----

    void keys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("keysOn");
        QTest::addColumn<ClassroomAction>("action");
        QTest::addColumn<int>("points");
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, pad = Qt::KeypadModifier;
        QTest::newRow("space") << int(Qt::Key_Space) << none << true << ClassroomAction::ToggleDraw << -1;
        QTest::newRow("clicker forward")
            << int(Qt::Key_PageDown) << none << true << ClassroomAction::ToggleDraw << -1;
        QTest::newRow("clicker back")
            << int(Qt::Key_PageUp) << none << true << ClassroomAction::ToggleDraw << -1;
        QTest::newRow("0") << int(Qt::Key_0) << none << true << ClassroomAction::Score << 0;
        QTest::newRow("5") << int(Qt::Key_5) << none << true << ClassroomAction::Score << 5;
        QTest::newRow("number pad 3") << int(Qt::Key_3) << pad << true << ClassroomAction::Score << 3;
        QTest::newRow("6 gives nothing") << int(Qt::Key_6) << none << true << ClassroomAction::None << -1;
        QTest::newRow("esc") << int(Qt::Key_Escape) << none << true << ClassroomAction::Collapse << -1;
        QTest::newRow("ctrl+space is not space")
            << int(Qt::Key_Space) << ctrl << true << ClassroomAction::None << -1;
        QTest::newRow("keys off: space")
            << int(Qt::Key_Space) << none << false << ClassroomAction::None << -1;
        QTest::newRow("keys off: digit") << int(Qt::Key_4) << none << false << ClassroomAction::None << -1;
        QTest::newRow("ctrl+z") << int(Qt::Key_Z) << ctrl << true << ClassroomAction::Undo << -1;
        QTest::newRow("ctrl+z with keys off")
            << int(Qt::Key_Z) << ctrl << false << ClassroomAction::Undo << -1;
        QTest::newRow("ctrl+d") << int(Qt::Key_D) << ctrl << false << ClassroomAction::ToggleAbsent << -1;
        QTest::newRow("z alone") << int(Qt::Key_Z) << none << true << ClassroomAction::None << -1;
    }
    void keys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(bool, keysOn);
        QFETCH(ClassroomAction, action);
        QFETCH(int, points);
        const ClassroomKey got = classroomKey(key, Qt::KeyboardModifiers(modifiers), keysOn);
        QCOMPARE(got.action, action);
        if (action == ClassroomAction::Score)
            QCOMPARE(got.points, points);
    }

    // ---- Why this student ----

    void why_data()
    {
        QTest::addColumn<int>("pool");
        QTest::addColumn<double>("count");
        QTest::addColumn<double>("score");
        QTest::addColumn<QString>("reason");
        // Counts 1, 2, 3, 6 of a class of four: overall mean 3, lower 1.5, upper 4.5.
        QTest::newRow("all") << 0 << 2.0 << 3.0 << "所有: 全班 4 人";
        QTest::newRow("not yet called") << 1 << 2.0 << 3.0 << "未点: 本节课还没有被点到";
        QTest::newRow("called") << 2 << 2.0 << 3.0 << "已点: 本节课已被点到";
        QTest::newRow("never") << 3 << 0.0 << 0.0 << "从未: 从未被点";
        QTest::newRow("rarely") << 4 << 1.0 << 3.0 << "很少: 被点 1 次 (≤ 1 次)";
        QTest::newRow("less") << 5 << 2.0 << 3.0 << "较少: 被点 2 次 (2 次)";
        QTest::newRow("more") << 6 << 3.0 << 3.0 << "较多: 被点 3 次 (3 ~ 4 次)";
        QTest::newRow("often") << 7 << 6.0 << 3.0 << "很多: 被点 6 次 (≥ 5 次)";
        QTest::newRow("count not whole") << 4 << 0.5 << 3.0 << "很少: 被点 0.5 次 (< 1.5 次)";
        QTest::newRow("easy") << 8 << 2.0 << 1.5 << "较易: 均分 1.5 分 (< 2 分)";
        QTest::newRow("middle") << 9 << 2.0 << 2.5 << "中等: 均分 2.5 分 (≥ 2, < 3 分)";
        QTest::newRow("harder") << 10 << 2.0 << 3.25 << "较难: 均分 3.25 分 (≥ 3, < 4 分)";
        QTest::newRow("hard") << 11 << 2.0 << 4.0 << "很难: 均分 4 分 (≥ 4 分)";
    }
    void why()
    {
        QFETCH(int, pool);
        QFETCH(double, count);
        QFETCH(double, score);
        QFETCH(QString, reason);
        const PoolThresholds t = computeThresholds({1, 2, 3, 6});
        QCOMPARE(poolReason(pool, count, score, t, 4), reason);
    }

    void whyTextLines()
    {
        WhyFacts facts;
        facts.pool = 4;
        facts.thresholds = computeThresholds({1, 2, 3, 6});
        facts.classSize = 4;
        StudentRecord r;
        r.name = QStringLiteral("张三");
        r.count = 1;
        r.score = 4.5;
        facts.record = r;
        facts.lastScored = QDate(2026, 12, 3);
        QCOMPARE(
            whyChosenText(facts),
            QStringLiteral("很少: 被点 1 次 (≤ 1 次)\n记录: 被点 1 次, 均分 4.5 分\n上次计分: 2026-12-03"));
        facts.lastScored.reset();
        facts.record->count = 0;
        facts.pool = 3;
        QCOMPARE(whyChosenText(facts), QStringLiteral("从未: 从未被点\n记录: 被点 0 次, 还没有成绩"));
        facts.record.reset();
        QVERIFY(whyChosenText(facts).endsWith(QStringLiteral("记录: 班级数据中没有这名学生")));
        // The fair draw names its rule and the pool it took the student from.
        facts.record = r;
        facts.record->count = 1;
        facts.pool = 4;
        facts.fair = true;
        QCOMPARE(whyChosenText(facts),
                 QStringLiteral("公平：很少 (被点 1 次)\n记录: 被点 1 次, 均分 4.5 分"));
    }

    void lastScored()
    {
        QTemporaryDir dir;
        const QString user = QStringLiteral("t01");
        auto log = [&](const QString &className, const QDate &day, const QByteArray &bytes) {
            writeFile(dir.filePath(dailyLogFileName(user, className, day)), bytes);
        };
        log(QStringLiteral("一班"), QDate(2026, 12, 1),
            toGbk(line("张三", "3分", "2026-12-01 09:00:00") + "\r\n"));
        log(QStringLiteral("一班"), QDate(2026, 12, 3),
            toGbk(line("李四", "3分", "2026-12-03 09:00:00") + "\r\n" +
                  line("张三", "5分", "2026-12-03 09:01:00", "读得流利")));
        log(QStringLiteral("一班"), QDate(2026, 12, 5), QByteArray("\xff\xfe garbage \x00\x01\r\n", 16));
        // Another class and another user on a later day do not count.
        log(QStringLiteral("一班1"), QDate(2026, 12, 6), toGbk(line("张三", "1分", "2026-12-06 09:00:00")));
        writeFile(
            dir.filePath(dailyLogFileName(QStringLiteral("t02"), QStringLiteral("一班"), QDate(2026, 12, 6))),
            toGbk(line("张三", "1分", "2026-12-06 09:00:00")));
        writeFile(dir.filePath(QStringLiteral("t01_一班_not-a-day.Log")), toGbk(line("张三", "1分", "x")));

        QCOMPARE(lastScoredDate(dir.path(), user, QStringLiteral("一班"), QStringLiteral("张三")),
                 QDate(2026, 12, 3));
        QCOMPARE(lastScoredDate(dir.path(), user, QStringLiteral("一班"), QStringLiteral("李四")),
                 QDate(2026, 12, 3));
        QCOMPARE(lastScoredDate(dir.path(), user, QStringLiteral("一班"), QStringLiteral("王五")),
                 std::nullopt);
        QCOMPARE(lastScoredDate(dir.path() + QStringLiteral("/missing"), user, QStringLiteral("一班"),
                                QStringLiteral("张三")),
                 std::nullopt);
    }

    // ---- Taking back a score ----

    void undo()
    {
        QTemporaryDir dir;
        PendingScores pending(dir.filePath(QStringLiteral("Pending.cvr")));
        ScoreUndo undo(pending);
        QCOMPARE(undo.undoLast().outcome, ScoreUndo::Outcome::Nothing);

        const QString imported = line("王五", "2分", "2026-12-01 08:00:00");
        QVERIFY(pending.append(score(imported))); // not given in this run: never taken back
        const QString a = line("张三", "3分", "2026-12-07 09:00:00");
        const QString b = line("李四", "5分", "2026-12-07 09:01:00", "读得流利");
        for (const QString &l : {a, b, a}) { // the same score twice in one second
            QVERIFY(pending.append(score(l)));
            undo.given(score(l));
        }
        QCOMPARE(undo.last(), score(a));
        ScoreUndo::Undo u = undo.undoLast();
        QCOMPARE(u.outcome, ScoreUndo::Outcome::Undone);
        QCOMPARE(pending.lines(), (QStringList{imported, a, b}));
        QVERIFY(u.kept);

        // b was uploaded meanwhile: it stays gone, and the next undo goes on to a.
        QVERIFY(undo.lastStillPending());
        QVERIFY(pending.removeRows({2}));
        QVERIFY(!undo.lastStillPending());
        QCOMPARE(undo.undoLast().outcome, ScoreUndo::Outcome::NotPending);
        QCOMPARE(undo.undoLast().outcome, ScoreUndo::Outcome::Undone);
        QCOMPARE(pending.lines(), QStringList{imported});
        QVERIFY(undo.isEmpty());
        QCOMPARE(undo.undoLast().outcome, ScoreUndo::Outcome::Nothing);
        // The file follows.
        PendingScores reread(pending.filePath());
        QVERIFY(reread.load());
        QCOMPARE(reread.lines(), QStringList{imported});
    }

    void readableLine_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("combo") << line("张三", "3分", "2026-12-07 09:00:00")
                               << "一班 张三 3分 2026-12-07 09:00:00";
        QTest::newRow("standard") << line("张三", "5分", "2026-12-07 09:00:00", "读得流利")
                                  << "一班 张三 5分 (读得流利) 2026-12-07 09:00:00";
        QTest::newRow("standard cut off") << "一班\t张三\t3分\t2026-12-07 09:00:00"
                                          << "一班 张三 3分 2026-12-07 09:00:00";
    }
    void readableLine()
    {
        QFETCH(QString, line);
        QFETCH(QString, shown);
        QCOMPARE(readableScoreLine(score(line)), shown);
    }
};

QTEST_GUILESS_MAIN(TestClassroom)
#include "tst_Classroom.moc"
