#include "ScoringTestSupport.h"
#include "support/FifoGuard.h"
#include "support/ScoreTexts.h"
#include "support/TestClock.h"

#include "core/TextCodec.h"
#include "scoring/DailyLog.h"
#include "scoring/PendingScores.h"
#include "scoring/ScoreDataFile.h"
#include "scoring/ScoreRecorder.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace corvanta;
using corvanta::test::fileBytes;
using corvanta::test::FixedClock;
using corvanta::test::gbkLines;
using corvanta::test::makeSparseFile;
using corvanta::test::score;
using corvanta::test::scores;
using corvanta::test::writeBytes;

namespace {

const QString kCombo = QStringLiteral("C1\tZhang\t3分\t2026-03-05 09:07:02\t");
const QString kStandard = QStringLiteral("C1\t张三\t4分\t2026-03-05 09:08:00\t表述清楚");

} // namespace

class TestScoreFiles : public QObject
{
    Q_OBJECT
private slots:
    void init()
    {
        m_dir.reset(new QTemporaryDir);
        QVERIFY(m_dir->isValid());
    }

    // --- daily log -------------------------------------------------------------------

    void appendLineAppendsGbkWithCrLf()
    {
        const QString path = m_dir->filePath("t01_C1_2026-03-05.Log");
        QVERIFY(AppendLine(path, kCombo));
        QVERIFY(AppendLine(path, kStandard));
        QCOMPARE(fileBytes(path), gbkLines({kCombo, kStandard}));
    }

    void appendLineReportsFailure_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::newRow("folder is a file") << "blocker/t01_C1_2026-03-05.Log";
        QTest::newRow("missing folder") << "nowhere/t01_C1_2026-03-05.Log";
        QTest::newRow("path is a folder") << "folder";
    }
    void appendLineReportsFailure()
    {
        QFETCH(QString, relative);
        QVERIFY(writeBytes(m_dir->filePath("blocker"), "x"));
        QVERIFY(QDir(m_dir->path()).mkdir("folder"));
        const Result result = AppendLine(m_dir->filePath(relative), kCombo);
        QVERIFY(!result);
        QVERIFY2(result.error().contains(QStringLiteral("日志文件")), qPrintable(result.error()));
    }

    void recordWritesLogThenPending()
    {
        PendingScores pending(m_dir->filePath("Pending.cvr"));
        FixedClock clock(QDateTime(QDate(2026, 3, 5), QTime(9, 7, 2)));
        ScoreRecorder recorder(m_dir->path(), pending, clock);

        const RecordResult result = recorder.record("t01", "C1", "Zhang", "3分");
        QCOMPARE(result.line.text(), kCombo);
        QVERIFY(result.logged);
        QVERIFY(result.kept);
        QCOMPARE(fileBytes(m_dir->filePath("t01_C1_2026-03-05.Log")), gbkLines({kCombo}));
        QCOMPARE(pending.lines(), QStringList{kCombo});
    }

    void recordSplitsLogsByDayAndClass()
    {
        PendingScores pending(m_dir->filePath("Pending.cvr"));
        FixedClock clock(QDateTime(QDate(2026, 3, 5), QTime(23, 59, 59)));
        ScoreRecorder recorder(m_dir->path(), pending, clock);
        recorder.record("t01", "C1", "A", "1分");
        recorder.record("t01", "C2", "B", "2分");
        clock.when = QDateTime(QDate(2026, 3, 6), QTime(0, 0, 0));
        const RecordResult late = recorder.record("t01", "C1", "C", "3分");

        QStringList logs = QDir(m_dir->path()).entryList({"*.Log"}, QDir::Files, QDir::Name);
        QCOMPARE(logs,
                 (QStringList{"t01_C1_2026-03-05.Log", "t01_C1_2026-03-06.Log", "t01_C2_2026-03-05.Log"}));
        // The score's time and its log's date come from one reading of the clock.
        QCOMPARE(fileBytes(m_dir->filePath("t01_C1_2026-03-06.Log")), gbkLines({late.line.text()}));
        QVERIFY(late.line.text().contains("2026-03-06 00:00:00"));
        QCOMPARE(pending.size(), 3);
    }

    void recordKeepsScoreWhenLogFails()
    {
        // The data folder is a file: no log can be made there, but the pending file lives
        // elsewhere and the score must still become pending.
        const QString blocked = m_dir->filePath("blocked");
        QVERIFY(writeBytes(blocked, "x"));
        PendingScores pending(m_dir->filePath("Pending.cvr"));
        FixedClock clock(QDateTime(QDate(2026, 3, 5), QTime(9, 7, 2)));
        ScoreRecorder recorder(blocked, pending, clock);

        const RecordResult result = recorder.record("t01", "C1", "Zhang", "3分");
        QVERIFY(!result.logged);
        QVERIFY(!result.logged.error().isEmpty());
        QVERIFY(result.kept);
        QCOMPARE(pending.lines(), QStringList{kCombo});
        PendingScores restarted(pending.filePath());
        QVERIFY(restarted.load());
        QCOMPARE(restarted.lines(), QStringList{kCombo});
    }

    void recordWithSlashInClassName()
    {
        PendingScores pending(m_dir->filePath("Pending.cvr"));
        FixedClock clock(QDateTime(QDate(2026, 3, 5), QTime(9, 7, 2)));
        ScoreRecorder recorder(m_dir->path(), pending, clock);
        const RecordResult result = recorder.record("t01", "C1/2", "Zhang", "3分");
        QVERIFY2(result.logged, qPrintable(result.logged.error()));
        // Only the file name changes; the line keeps the class as it is.
        QVERIFY(result.line.text().startsWith("C1/2\t"));
        QCOMPARE(fileBytes(m_dir->filePath("t01_C1_2_2026-03-05.Log")), gbkLines({result.line.text()}));
    }

    // --- pending scores --------------------------------------------------------------

    void pendingSurvivesRestart()
    {
        const QString path = m_dir->filePath("data/Pending.cvr"); // folder made on first write
        {
            PendingScores pending(path);
            QVERIFY(pending.load());
            QCOMPARE(pending.size(), 0);
            QVERIFY(pending.append(score(kCombo)));
            QVERIFY(pending.append(score(kStandard)));
            QVERIFY(pending.append(score("C1\tLi\t5分\t2026-03-05 09:09:00\t")));
            QVERIFY(pending.removeRows({1}));
            QVERIFY(pending.replaceLine(1, score("C1\tLi\t4分\t2026-03-05 09:09:00\t")));
        }
        const QStringList expected{kCombo, "C1\tLi\t4分\t2026-03-05 09:09:00\t"};
        QCOMPARE(fileBytes(path), gbkLines(expected));
        PendingScores restarted(path);
        QSignalSpy resets(&restarted, &PendingScores::reset);
        QVERIFY(restarted.load());
        QCOMPARE(restarted.lines(), expected);
        QCOMPARE(resets.size(), 1);
        // Rewrites leave no temporary file behind.
        QCOMPARE(QDir(m_dir->filePath("data")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"Pending.cvr"});
    }

    void pendingAppendNewSkipsKnownLines()
    {
        PendingScores pending(m_dir->filePath("Pending.cvr"));
        QVERIFY(pending.append(score(kCombo)));
        QSignalSpy appended(&pending, &PendingScores::linesAppended);
        int added = -1;
        QVERIFY(
            pending.appendNew(scores({kStandard, kCombo, kStandard, "C1\tLi\t5分\t2026-03-05 09:09:00\t"}), &added));
        QCOMPARE(added, 2);
        QCOMPARE(pending.lines(), (QStringList{kCombo, kStandard, "C1\tLi\t5分\t2026-03-05 09:09:00\t"}));
        QCOMPARE(appended.size(), 1);
        QCOMPARE(appended[0][0].toInt(), 1);
        QVERIFY(pending.appendNew({score(kCombo)}, &added));
        QCOMPARE(added, 0);
        QCOMPARE(appended.size(), 1);
    }

    void pendingRemoveRows_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<QList<int>>("signalled");
        QTest::newRow("unordered, repeated")
            << QList<int>{3, 0, 3} << QStringList{"b", "c"} << QList<int>{0, 3};
        QTest::newRow("out of range ignored")
            << QList<int>{-1, 1, 9} << QStringList{"a", "c", "d"} << QList<int>{1};
        QTest::newRow("nothing") << QList<int>{} << QStringList{"a", "b", "c", "d"} << QList<int>{};
    }
    void pendingRemoveRows()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QStringList, left);
        QFETCH(QList<int>, signalled);
        PendingScores pending(m_dir->filePath("Pending.cvr"));
        // The students are named "a" to "d", so the rows left read as their names.
        const auto named = [](const QString &student) { return ScoreLine{.className = "C1", .student = student}; };
        for (const char *student : {"a", "b", "c", "d"})
            QVERIFY(pending.append(named(QString::fromLatin1(student))));
        QSignalSpy removed(&pending, &PendingScores::rowsRemoved);
        QVERIFY(pending.removeRows(rows));
        QList<ScoreLine> expected;
        for (const QString &student : left)
            expected.append(named(student));
        QCOMPARE(pending.scores(), expected);
        if (signalled.isEmpty()) {
            QCOMPARE(removed.size(), 0);
        } else {
            QCOMPARE(removed.size(), 1);
            QCOMPARE(removed[0][0].value<QList<int>>(), signalled);
        }
    }

    void pendingKeepsLinesWhenFileCannotBeWritten()
    {
        QVERIFY(writeBytes(m_dir->filePath("blocker"), "x"));
        PendingScores pending(m_dir->filePath("blocker/Pending.cvr"));
        const Result kept = pending.append(score(kCombo));
        QVERIFY(!kept);
        QVERIFY(!kept.error().isEmpty());
        QCOMPARE(pending.lines(), QStringList{kCombo});
    }

    void pendingLoadsDamagedFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("one garbage line among good ones")
            << gbkLines({kCombo}) + QByteArray("\x00\x01\xff\xfe", 4) + "\r\n" + gbkLines({kStandard})
            << QStringList{kCombo, kStandard};
        QTest::newRow("truncated inside a character")
            << gbkLines({kCombo}) + toGbk(kStandard).left(toGbk(kStandard).size() - 1) << QStringList{kCombo};
        QTest::newRow("too large") << QByteArray(kMaxScoreFileBytes + 1, 'a') << QStringList{};
    }
    void pendingLoadsDamagedFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, kept);
        const QString path = m_dir->filePath("Pending.cvr");
        QVERIFY(writeBytes(path, bytes));
        PendingScores pending(path);
        const Result loaded = pending.load();
        const QString problem = loaded.error();
        QVERIFY(!loaded);
        QVERIFY(!problem.isEmpty());
        QCOMPARE(pending.lines(), kept);
        // The damaged file is kept aside before anything rewrites it.
        const QStringList aside = QDir(m_dir->path()).entryList({"Pending.cvr.bad-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QCOMPARE(fileBytes(m_dir->filePath(aside[0])), bytes);
        QVERIFY(problem.contains(aside[0]));
    }

    // A FIFO in the data folder under the name of the pending list, a daily log or a
    // chosen data file: every reader and writer returns at once and names the file.
    void fifoInDataFolder()
    {
        const QString fifo = m_dir->filePath("Pending.cvr");
        QVERIFY(test::makeFifo(fifo));
        const QString shown = QDir::toNativeSeparators(fifo);

        Expected<ScoreFileContent> content = Result::failure({});
        QVERIFY(test::returnsSoon(fifo, [&] { content = readScoreLines(fifo); }));
        QVERIFY2(content.error().contains(shown) && content.error().contains(QStringLiteral("不是普通文件")),
                 qPrintable(content.error()));

        QString problem;
        Result kept = Result::failure({});
        QVERIFY(test::returnsSoon(fifo, [&] {
            PendingScores pending(fifo);
            problem = pending.load().error();
            // The next score replaces the FIFO with the real list.
            kept = pending.append(score(kCombo));
        }));
        QVERIFY2(problem.contains(shown), qPrintable(problem));
        QVERIFY2(kept, qPrintable(kept.error()));
        QVERIFY(QFileInfo(fifo).isFile());
        QCOMPARE(fileBytes(fifo), gbkLines({kCombo}));

        const QString log = m_dir->filePath("t01_C1_2026-03-05.Log");
        QVERIFY(test::makeFifo(log));
        Result logged = Result::success();
        QVERIFY(test::returnsSoon(log, [&] { logged = AppendLine(log, kCombo); }));
        QVERIFY(!logged);
        QVERIFY2(logged.error().contains(QDir::toNativeSeparators(log)), qPrintable(logged.error()));
    }

    // Lines read from a pending or data file go back byte for byte when the file is
    // rewritten or saved; the lines no reader takes are named, never turned into others.
    void fileRoundTrip_data()
    {
        QTest::addColumn<QStringList>("good");
        QTest::addColumn<QStringList>("odd");
        QTest::addColumn<QString>("named");
        QTest::newRow("combo and standard") << QStringList{kCombo, kStandard} << QStringList{} << "";
        QTest::newRow("standard cut off")
            << QStringList{"C1\tLi\t5分\t2026-03-05 09:09:00", kCombo, "初二(3)班\t欧阳\t4.5分\t"}
            << QStringList{} << "";
        QTest::newRow("chinese, empty fields, odd dates")
            << QStringList{"初二(3)班\t张三\t五分\t2026-02-30 25:61:00\t", "一班\t\t\t\t",
                           "一班\t李四\t-1分\t2026/3/5 9:07\t完整表述，步骤清楚"}
            << QStringList{} << "";
        QTest::newRow("short and long lines named")
            << QStringList{kCombo, kStandard}
            << QStringList{"C1\tLi\t5分", "C1\tLi\t5分\t2026-03-05 09:09:00\tS\textra"} << "第 3、4 行";
    }
    void fileRoundTrip()
    {
        QFETCH(QStringList, good);
        QFETCH(QStringList, odd);
        QFETCH(QString, named);
        const QString path = m_dir->filePath("Pending.cvr");
        QVERIFY(writeBytes(path, gbkLines(good + odd)));

        PendingScores pending(path);
        const Result loaded = pending.load();
        QCOMPARE(loaded.ok(), named.isEmpty());
        QVERIFY2(loaded.error().contains(named), qPrintable(loaded.error()));
        QCOMPARE(pending.lines(), good);
        // Any change rewrites the file from the values.
        QVERIFY(pending.append(score(kCombo)));
        QVERIFY(pending.removeRows({int(good.size())}));
        QCOMPARE(fileBytes(path), gbkLines(good));

        const QString saved = m_dir->filePath("saved.cvr");
        QVERIFY(writeScoreLines(saved, pending.scores()));
        QCOMPARE(fileBytes(saved), gbkLines(good));
        const Expected<ScoreFileContent> again = readScoreLines(saved);
        QVERIFY(again);
        QCOMPARE(again->lines, pending.scores());
    }

    // --- score data files ------------------------------------------------------------

    void writeThenRead()
    {
        const QString path = m_dir->filePath("two.cvr");
        QVERIFY(writeScoreLines(path, scores({kCombo, kStandard})));
        const QByteArray bytes = fileBytes(path);
        QCOMPARE(bytes, gbkLines({kCombo, kStandard}));
        QCOMPARE(bytes.count("\r\n"), 2);
        const Expected<ScoreFileContent> content = readScoreLines(path);
        QCOMPARE(content.error(), QString());
        QCOMPARE(scoreTexts(content->lines), (QStringList{kCombo, kStandard}));
        QVERIFY(content->lines[0].text().endsWith(u'\t')); // the combo line keeps its last TAB
    }

    void writeReplacesOnlyWhenDone()
    {
        const QString path = m_dir->filePath("old.cvr");
        QVERIFY(writeBytes(path, gbkLines({kStandard})));
        QVERIFY(writeScoreLines(path, {score(kCombo)}));
        QCOMPARE(fileBytes(path), gbkLines({kCombo}));

        QVERIFY(QDir(m_dir->path()).mkdir("folder"));
        QVERIFY(!writeScoreLines(m_dir->filePath("folder"), {score(kCombo)}).error().isEmpty());
        QVERIFY(!writeScoreLines(m_dir->filePath("old.cvr/x.cvr"), {score(kCombo)}).error().isEmpty());
        QCOMPARE(fileBytes(path), gbkLines({kCombo}));
    }

    void readTolerates_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<int>>("bad");
        QTest::newRow("blank lines skipped")
            << "\r\n" + gbkLines({kCombo}) + "\r\n  \r\n\n" + gbkLines({kStandard}) + "\r\n"
            << QStringList{kCombo, kStandard} << QList<int>{};
        QTest::newRow("bare LF ends")
            << toGbk(kCombo) + "\n" + toGbk(kStandard) << QStringList{kCombo, kStandard} << QList<int>{};
        QTest::newRow("not a score line")
            << gbkLines({"hello world", kCombo}) << QStringList{kCombo} << QList<int>{1};
        QTest::newRow("binary garbage") << QByteArray("\x00\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR", 17)
                                        << QStringList{} << QList<int>{1, 2, 3};
        QTest::newRow("not GBK") << gbkLines({kCombo}) + QByteArray("C1\t\x81\x20\t3\t4\t5\r\n")
                                 << QStringList{kCombo} << QList<int>{2};
        QTest::newRow("empty file") << QByteArray() << QStringList{} << QList<int>{};
    }
    void readTolerates()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QFETCH(QList<int>, bad);
        const QString path = m_dir->filePath("in.cvr");
        QVERIFY(writeBytes(path, bytes));
        const Expected<ScoreFileContent> content = readScoreLines(path);
        QCOMPARE(content.error(), QString());
        QCOMPARE(scoreTexts(content->lines), lines);
        QCOMPARE(content->badLines, bad);
    }

    void readRefuses_data()
    {
        QTest::addColumn<QString>("relative");
        QTest::addColumn<QString>("why");
        QTest::newRow("missing") << "none.cvr"
                                 << "不存在";
        QTest::newRow("folder") << "folder"
                                << "文件夹";
        QTest::newRow("huge") << "huge.cvr"
                              << "太大";
    }
    void readRefuses()
    {
        QFETCH(QString, relative);
        QFETCH(QString, why);
        QVERIFY(QDir(m_dir->path()).mkdir("folder"));
        QVERIFY(makeSparseFile(m_dir->filePath("huge.cvr"), kMaxScoreFileBytes * 4));
        const Expected<ScoreFileContent> content = readScoreLines(m_dir->filePath(relative));
        QVERIFY2(content.error().contains(why), qPrintable(content.error()));
        QVERIFY(!content);
    }

    void dataFileSuffix_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("path");
        QTest::newRow("no extension") << "/tmp/scores"
                                      << "/tmp/scores.cvr";
        QTest::newRow("has cvr") << "/tmp/scores.cvr"
                                 << "/tmp/scores.cvr";
        QTest::newRow("other extension kept") << "/tmp/scores.txt"
                                              << "/tmp/scores.txt";
        QTest::newRow("trailing dot") << "/tmp/scores."
                                      << "/tmp/scores.cvr";
        QTest::newRow("dot in folder only") << "/tmp/a.b/scores"
                                            << "/tmp/a.b/scores.cvr";
    }
    void dataFileSuffix()
    {
        QFETCH(QString, typed);
        QFETCH(QString, path);
        QCOMPARE(withDataFileSuffix(typed), path);
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(TestScoreFiles)
#include "tst_ScoreFiles.moc"
