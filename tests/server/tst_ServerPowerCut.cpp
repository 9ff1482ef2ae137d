// The embedded database through a power cut: every upload answered before the power went is
// there when the machine comes back, whether it was stored alone or in a batch with others.
#include "PowerCutVfs.h"

#include "SqliteStore.h"
#include "support/PostgresCluster.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <thread>

using namespace corvanta;
using corvanta::test::PowerCutVfs;

namespace {

std::unique_ptr<server::SqliteStore> openStore(const QString &path)
{
    QString error;
    auto store = server::SqliteStore::open(path, &error);
    if (!store)
        qWarning("%s", qPrintable(error));
    return store;
}

QString integrityOf(const QString &path)
{
    sqlite3 *db = nullptr;
    QString result;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt *check = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &check, nullptr) == SQLITE_OK &&
            sqlite3_step(check) == SQLITE_ROW)
            result = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)));
        sqlite3_finalize(check);
    }
    sqlite3_close_v2(db);
    return result;
}

} // namespace

class TestServerPowerCut : public QObject
{
    Q_OBJECT

private slots:
    void answeredUploadsOutliveAPowerCut_data()
    {
        QTest::addColumn<int>("writers");
        QTest::addColumn<int>("linesEach");
        QTest::addColumn<int>("uploads"); // answered before the cut
        QTest::newRow("one upload at a time") << 1 << 3 << 40;
        QTest::newRow("uploads stored in batches") << 8 << 40 << 40;
        // Past the WAL's size at which what it holds is copied into the database file, in
        // the background while uploads go on, and the WAL starts over.
        QTest::newRow("while the WAL is copied into the database") << 8 << 400 << 600;
    }
    void answeredUploadsOutliveAPowerCut()
    {
        if (test::PostgresCluster::wanted())
            QSKIP("PostgreSQL keeps its own log; this cuts the power under SQLite");
        QFETCH(int, writers);
        QFETCH(int, linesEach);
        QFETCH(int, uploads);
        PowerCutVfs &vfs = PowerCutVfs::install();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("corvanta.db"));
        qint64 teacher = 0;
        {
            auto store = openStore(path);
            QVERIFY(store);
            server::Teacher t;
            t.account = QStringLiteral("power01");
            QCOMPARE(store->createTeacher(t), server::StoreResult::Done);
            teacher = store->teacherByAccount(t.account)->id;
            store->replaceClasses(teacher, {QStringLiteral("C")});
            QCOMPARE(store->replaceStudents(teacher, QStringLiteral("C"), {QStringLiteral("张三")}),
                     server::StoreResult::Done);
        } // closed: all of it checkpointed into the database file

        // Each writer uploads until its store fails; an upload counts once it was answered
        // while the power was still on.
        std::mutex mutex;
        QSet<QString> answered;
        std::atomic<int> answeredCount = 0;
        std::vector<std::thread> threads;
        for (int w = 0; w < writers; ++w) {
            threads.emplace_back([&, w] {
                auto store = openStore(path);
                for (int u = 0; store; ++u) {
                    QList<server::ScoreRecord> lines;
                    for (int i = 0; i < linesEach; ++i)
                        lines.append({0, QStringLiteral("C"), QStringLiteral("张三"), 5, 1767225600 + u,
                                      QStringLiteral("T"), QStringLiteral("%1-%2-%3").arg(w).arg(u).arg(i)});
                    try {
                        if (store->addScores(teacher, lines, 1767225600).stored != linesEach)
                            break;
                    } catch (const server::StoreError &) {
                        break;
                    }
                    const bool on = vfs.whileOn([&] {
                        const std::lock_guard lock(mutex);
                        for (const server::ScoreRecord &line : std::as_const(lines))
                            answered.insert(line.note);
                        ++answeredCount;
                    });
                    if (!on)
                        break;
                }
            });
        }
        QElapsedTimer waited;
        waited.start();
        while (answeredCount < uploads && waited.elapsed() < 120000)
            QThread::msleep(5);
        vfs.cut();
        for (std::thread &thread : threads)
            thread.join();
        vfs.powerOn();
        QVERIFY2(answeredCount >= uploads, "too few uploads answered to test anything");

        auto store = openStore(path);
        QVERIFY(store);
        QCOMPARE(integrityOf(path), QStringLiteral("ok"));
        const auto scores = store->scoresOfClass(teacher, QStringLiteral("C"));
        QVERIFY(scores);
        QSet<QString> stored;
        for (const server::ScoreRecord &s : *scores)
            stored.insert(s.note);
        const QSet<QString> lost = answered - stored;
        QVERIFY2(lost.isEmpty(), qPrintable(QStringLiteral("%1 of %2 answered lines lost, such as %3")
                                                .arg(lost.size())
                                                .arg(answered.size())
                                                .arg(lost.isEmpty() ? QString() : *lost.cbegin())));
    }

    // The flush of uploads waiting together fails (another program holds the write lock past
    // the wait): every upload of it is answered with the error and stores nothing, and the
    // writer stores the next ones once the lock is let go.
    void failedFlushAnswersEachUpload()
    {
        if (test::PostgresCluster::wanted())
            QSKIP("the write lock of the database file is SQLite's");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("corvanta.db"));
        auto store = openStore(path);
        QVERIFY(store);
        server::Teacher t;
        t.account = QStringLiteral("lock01");
        QCOMPARE(store->createTeacher(t), server::StoreResult::Done);
        const qint64 teacher = store->teacherByAccount(t.account)->id;
        store->replaceClasses(teacher, {QStringLiteral("C")});
        QCOMPARE(store->replaceStudents(teacher, QStringLiteral("C"), {QStringLiteral("张三")}),
                 server::StoreResult::Done);
        const auto upload = [&](server::Store &into, int n) {
            QList<server::ScoreRecord> lines;
            for (int i = 0; i < 4; ++i)
                lines.append({0, QStringLiteral("C"), QStringLiteral("张三"), 5, 1767225600 + n * 10 + i,
                              QStringLiteral("T"), QString()});
            try {
                return into.addScores(teacher, lines, 1767225600).stored;
            } catch (const server::StoreError &) {
                return -1;
            }
        };

        constexpr int kUploads = 6;
        std::vector<std::unique_ptr<server::SqliteStore>> stores; // one per request thread
        for (int n = 0; n < kUploads; ++n) {
            stores.push_back(openStore(path));
            QVERIFY(stores.back());
        }
        sqlite3 *other = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &other), SQLITE_OK);
        QCOMPARE(sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
        std::atomic<int> failed = 0;
        std::vector<std::thread> threads;
        for (int n = 0; n < kUploads; ++n)
            threads.emplace_back([&, n] { failed += upload(*stores[std::size_t(n)], n) == -1; });
        for (std::thread &thread : threads)
            thread.join();
        QCOMPARE(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close_v2(other);
        QCOMPARE(failed.load(), kUploads);
        QCOMPARE(upload(*store, kUploads), 4);
        QCOMPARE(store->scoresOfClass(teacher, QStringLiteral("C"))->size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestServerPowerCut)
#include "tst_ServerPowerCut.moc"
