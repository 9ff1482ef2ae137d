#include "SqliteStore.h"

#include "SqlSchema.h"
#include "WalIndexGuard.h"

#include <QAtomicInt>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>

#include <sqlite3.h>
#include <sys/statvfs.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace corvanta::server {

SqliteStore::SqliteStore(const QString &connectionName) : SqlStore(connectionName) {}

SqliteStore::~SqliteStore()
{
    // Before the connection closes.
    for (sqlite3_stmt *statement : m_insertScores)
        sqlite3_finalize(statement);
    sqlite3_finalize(m_dataVersionStatement);
}

namespace {

// The connection's own handle, for what Qt Sql does not offer.
sqlite3 *handleOf(const QSqlDatabase &database)
{
    const QVariant handle = database.driver()->handle();
    return handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0
               ? *static_cast<sqlite3 *const *>(handle.constData())
               : nullptr;
}

} // namespace

int SqliteStore::insertScoreRows(const QList<ScoreRow> &rows)
{
    sqlite3 *db = handleOf(database());
    if (!db)
        return SqlStore::insertScoreRows(rows);
    auto fail = [db](const char *step) {
        throw StoreError(std::string("insert score (") + step + "): " + sqlite3_errmsg(db));
    };
    m_insertScores.resize(kInsertRowsAtOnce, nullptr);
    int stored = 0;
    for (qsizetype first = 0; first < rows.size(); first += kInsertRowsAtOnce) {
        const int n = int(qMin(rows.size() - first, qsizetype(kInsertRowsAtOnce)));
        sqlite3_stmt *&insert = m_insertScores[std::size_t(n - 1)];
        if (!insert &&
            sqlite3_prepare_v2(db, schema::scoreInsert(n).toUtf8().constData(), -1, &insert, nullptr) != SQLITE_OK)
            fail("prepare");
        sqlite3_reset(insert);
        // Texts as UTF-16, the way Qt Sql binds them; never NULL.
        const auto text = [](const QString &t) { return t.isNull() ? static_cast<const void *>(u"") : t.utf16(); };
        int at = 1;
        for (qsizetype i = first; i < first + n; ++i) {
            for (const QVariant &v : rows[i].values) {
                int bound = SQLITE_OK;
                if (v.typeId() == QMetaType::Double) {
                    bound = sqlite3_bind_double(insert, at++, v.toDouble());
                } else if (v.typeId() == QMetaType::QString) {
                    const QString &t = *static_cast<const QString *>(v.constData());
                    bound = sqlite3_bind_text16(insert, at++, text(t), int(t.size() * 2), SQLITE_STATIC);
                } else {
                    bound = sqlite3_bind_int64(insert, at++, v.toLongLong());
                }
                if (bound != SQLITE_OK)
                    fail("bind");
            }
        }
        const int step = sqlite3_step(insert);
        // Unbound before the rows' texts go away (bound without a copy).
        sqlite3_reset(insert);
        sqlite3_clear_bindings(insert);
        if (step != SQLITE_DONE)
            fail("step");
        stored += sqlite3_changes(db);
    }
    return stored;
}

namespace {

// First come, first served: a plain mutex lets the thread that just committed take it again
// at once, and the other threads' requests wait for many turns.
class Turns
{
public:
    void take()
    {
        std::unique_lock lock(m_mutex);
        const quint64 mine = m_next++;
        m_changed.wait(lock, [&] { return m_serving == mine; });
    }
    void pass()
    {
        {
            const std::lock_guard lock(m_mutex);
            ++m_serving;
        }
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    quint64 m_next = 0;
    quint64 m_serving = 0;
};

Turns &writeTurns()
{
    static Turns turns;
    return turns;
}

} // namespace

void SqliteStore::checkConnection()
{
    SqlStore::checkConnection();
    if (walIndexLost())
        throw StoreError("the database's WAL index file cannot be written; mend it and restart the server");
}

std::optional<qint64> SqliteStore::freeDiskBytes()
{
    struct statvfs fs = {};
    if (::statvfs(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), &fs) != 0)
        return std::nullopt;
    // What an unprivileged process may still write.
    return qint64(fs.f_bavail) * qint64(fs.f_frsize);
}

struct SqliteStore::Upload
{
    qint64 teacher = 0;
    const QList<ScoreRecord> *scores = nullptr;
    qint64 uploadedAt = 0;
    UnknownNames unknown = UnknownNames::RefuseAll;
    AddScoresResult result;
    std::exception_ptr error;
    bool done = false;
};

// The thread that stores every upload to one database file, as long as a store of the file
// is open; beside it, a thread that copies what it wrote to the WAL into the database file
// (a checkpoint), so that the writer's commits do not wait for that copy.
class SqliteStore::Writer
{
public:
    explicit Writer(const QString &path)
        : m_path(path), m_thread([this] { run(); }), m_checkpointer([this] { checkpoints(); })
    {
    }
    ~Writer()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_work.notify_one();
        m_checkpointWanted.notify_one();
        m_thread.join();
        m_checkpointer.join();
    }
    Writer(const Writer &) = delete;
    Writer &operator=(const Writer &) = delete;

    static std::shared_ptr<Writer> of(const QString &path)
    {
        static std::mutex mutex;
        static std::map<QString, std::weak_ptr<Writer>> writers;
        const std::lock_guard lock(mutex);
        std::shared_ptr<Writer> writer = writers[path].lock();
        if (!writer) {
            writer = std::make_shared<Writer>(path);
            writers[path] = writer;
        }
        return writer;
    }

    // Returns once the upload is stored (or failed, with its error set).
    void store(Upload *upload)
    {
        std::unique_lock lock(m_mutex);
        m_waiting.push_back(upload);
        m_work.notify_one();
        m_done.wait(lock, [&] { return upload->done; });
    }

private:
    void run()
    {
        QString error;
        std::unique_ptr<SqliteStore> store;
        std::vector<Upload *> batch;
        for (;;) {
            {
                std::unique_lock lock(m_mutex);
                for (Upload *upload : batch)
                    upload->done = true;
                if (!batch.empty())
                    m_done.notify_all();
                batch.clear();
                m_work.wait(lock, [&] { return m_stopping || !m_waiting.empty(); });
                if (m_waiting.empty())
                    break; // stopping, and every upload answered
                batch.assign(m_waiting.begin(), m_waiting.end());
                m_waiting.clear();
            }
            // Opened when first needed, and again after a failed opening (the file locked
            // by a migration elsewhere, say): one failure does not refuse every later upload.
            if (!store) {
                store = SqliteStore::open(m_path, true, &error);
                if (sqlite3 *db = store ? handleOf(store->database()) : nullptr)
                    sqlite3_wal_hook(db, &Writer::walWritten, this); // instead of its own checkpoints
            }
            if (store) {
                store->storeUploads(batch);
            } else {
                const auto failure = std::make_exception_ptr(StoreError(error.toStdString()));
                for (Upload *upload : batch)
                    upload->error = failure;
            }
        }
    }

    // New WAL frames (pages) after which the checkpointer copies them into the database file
    // (a page written many times in between is copied once), and the WAL's size at which the
    // writer finishes the copy itself: the WAL starts over only after a checkpoint of all of
    // it, which the checkpointer cannot make while the writer goes on writing.
    static constexpr int kCheckpointFrames = 5000;
    static constexpr int kOwnCheckpointFrames = 20000;

    // After each commit of the writer's connection, on its thread.
    static int walWritten(void *self, sqlite3 *db, const char *, int frames)
    {
        auto *writer = static_cast<Writer *>(self);
        if (frames < writer->m_framesAsked)
            writer->m_framesAsked = 0; // the WAL started over
        if (frames >= kOwnCheckpointFrames) {
            sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        } else if (frames - writer->m_framesAsked >= kCheckpointFrames) {
            writer->m_framesAsked = frames;
            {
                const std::lock_guard lock(writer->m_mutex);
                writer->m_checkpointDue = true;
            }
            writer->m_checkpointWanted.notify_one();
        }
        return SQLITE_OK;
    }

    // A checkpoint that waits for no one, whenever the writer asks, on a connection of its own.
    void checkpoints()
    {
        sqlite3 *db = nullptr;
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_checkpointWanted.wait(lock, [&] { return m_stopping || m_checkpointDue; });
            if (m_stopping)
                break;
            m_checkpointDue = false;
            lock.unlock();
            if (!db && sqlite3_open_v2(QFile::encodeName(m_path).constData(), &db, SQLITE_OPEN_READWRITE,
                                       nullptr) == SQLITE_OK) {
                // Flushed as the writer's: the WAL before the copy, the database file after it.
                sqlite3_exec(db, "PRAGMA synchronous = FULL; PRAGMA mmap_size = 0", nullptr, nullptr, nullptr);
            }
            // Failed (the file is busy or gone): the writer's next commits ask again.
            if (db && sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr) !=
                          SQLITE_OK) {
                sqlite3_close_v2(db);
                db = nullptr;
            }
            lock.lock();
        }
        lock.unlock();
        sqlite3_close_v2(db);
    }

    const QString m_path;
    std::mutex m_mutex;
    std::condition_variable m_work;              // an upload came, or stop
    std::condition_variable m_done;              // a batch is stored
    std::condition_variable m_checkpointWanted;  // m_checkpointDue, or stop
    std::deque<Upload *> m_waiting;
    bool m_stopping = false;
    bool m_checkpointDue = false;
    int m_framesAsked = 0; // the WAL's frames at the last checkpoint asked for (writer's thread only)
    std::thread m_thread; // last: started once the rest is made
    std::thread m_checkpointer;
};

AddScoresResult SqliteStore::addScores(qint64 teacher, const QList<ScoreRecord> &scores, qint64 uploadedAt,
                                       UnknownNames unknown)
{
    Upload mine;
    mine.teacher = teacher;
    mine.scores = &scores;
    mine.uploadedAt = uploadedAt;
    mine.unknown = unknown;
    if (m_writer)
        m_writer->store(&mine);
    else
        storeUploads({&mine});
    if (mine.error)
        std::rethrow_exception(mine.error);
    return mine.result;
}

void SqliteStore::storeUploads(const std::vector<Upload *> &uploads)
{
    try {
        Transaction tx(*this);
        for (Upload *upload : uploads) {
            change(QStringLiteral("SAVEPOINT upload"));
            try {
                upload->result =
                    addScoresWithin(upload->teacher, *upload->scores, upload->uploadedAt, upload->unknown);
            } catch (...) {
                upload->error = std::current_exception();
            }
            // Nothing new, refused or failed: as if it had not been tried.
            if (upload->error || upload->result.result != StoreResult::Done || upload->result.stored == 0) {
                change(QStringLiteral("ROLLBACK TO upload"));
                if (!upload->error)
                    uploadRolledBack(upload->teacher, upload->result);
            }
            change(QStringLiteral("RELEASE upload"));
        }
        tx.commit();
    } catch (...) {
        // None of them is stored; every one is answered all the same.
        const std::exception_ptr error = std::current_exception();
        for (Upload *upload : uploads)
            upload->error = error;
    }
}

bool SqliteStore::beginTransaction()
{
    if (walIndexLost())
        return false;
    writeTurns().take();
    m_hasTurn = true;
    QSqlQuery query(database());
    if (query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return true;
    transactionEnded();
    return false;
}

void SqliteStore::transactionEnded()
{
    if (m_hasTurn) {
        m_hasTurn = false;
        writeTurns().pass();
    }
}

std::unique_ptr<SqliteStore> SqliteStore::open(const QString &path, QString *error)
{
    return open(path, false, error);
}

std::unique_ptr<SqliteStore> SqliteStore::open(const QString &path, bool writer, QString *error)
{
    static QAtomicInt counter;
    const QString name = QStringLiteral("corvanta-store-%1").arg(counter.fetchAndAddRelaxed(1));
    if (QFileInfo(path).isDir()) {
        *error = QStringLiteral("%1 is a directory, not a database file").arg(path);
        return nullptr;
    }
    installWalIndexGuard();
    std::unique_ptr<SqliteStore> store(new SqliteStore(name));
    store->m_path = QFileInfo(path).absoluteFilePath();
    store->useSharedCaches(store->m_path);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        *error = QStringLiteral("cannot open %1: %2").arg(path, db.lastError().text());
        return nullptr;
    }
    try {
        store->exec(QStringLiteral("PRAGMA journal_mode = WAL"));
        // FULL: a commit is flushed to the disk (the WAL file synced) before it returns, so an
        // answered upload outlives a power cut, not only a killed process; the tool deletes
        // what the server said it stored. Uploads that come together share one flush (see
        // addScores).
        store->exec(QStringLiteral("PRAGMA synchronous = FULL"));
        store->exec(QStringLiteral("PRAGMA foreign_keys = ON"));
        // No reads from a mapped database file: a read error there (a failing disk, a file cut
        // short) is SIGBUS, not an error SQLite can return.
        store->exec(QStringLiteral("PRAGMA mmap_size = 0"));
        store->exec(QStringLiteral("PRAGMA cache_size = -32000"));
        // After a burst of uploads the WAL file shrinks back once it starts over.
        store->exec(QStringLiteral("PRAGMA journal_size_limit = 67108864"));
        // Checkpoint every ~8 MB of WAL: fewer commits pay for one, none pays too long
        // (measured best for the 99th percentile of a busy upload load).
        store->exec(QStringLiteral("PRAGMA wal_autocheckpoint = 2000"));
        store->migrate();
    } catch (const StoreError &e) {
        *error = QStringLiteral("cannot use %1 as a database: %2").arg(path, QString::fromUtf8(e.what()));
        return nullptr;
    }
    if (!writer)
        store->m_writer = Writer::of(store->m_path);
    return store;
}

bool SqliteStore::countOtherChanges()
{
    // SQLite's own count: it moves on whenever another connection, of any process, committed
    // since this connection last asked. Read from the WAL index: no page of the file.
    // Asked of SQLite itself, as each request asks it: through Qt Sql it cost as much as the
    // reads it spares.
    sqlite3 *db = handleOf(database());
    if (db && !m_dataVersionStatement &&
        sqlite3_prepare_v2(db, "PRAGMA data_version", -1, &m_dataVersionStatement, nullptr) != SQLITE_OK)
        m_dataVersionStatement = nullptr;
    if (!m_dataVersionStatement)
        return false;
    const qint64 version = sqlite3_step(m_dataVersionStatement) == SQLITE_ROW
                               ? sqlite3_column_int64(m_dataVersionStatement, 0)
                               : -1;
    sqlite3_reset(m_dataVersionStatement);
    if (version != m_dataVersion) {
        m_dataVersion = version;
        changes()->add();
    }
    return true;
}

void SqliteStore::migrate()
{
    migrateSchema(schema::steps(schema::Dialect::Sqlite));
}

} // namespace corvanta::server
