#pragma once

#include "SqlStore.h"

#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace corvanta::server {

// The embedded database: one SQLite file in WAL mode. A change is flushed to the disk (in
// the WAL) before its page answers, so neither a killed server nor a power cut loses an
// accepted change.
class SqliteStore final : public SqlStore
{
public:
    ~SqliteStore() override;

    // Opens or creates the file and creates or migrates the schema; nullptr and *error when
    // the file cannot be used as a database.
    static std::unique_ptr<SqliteStore> open(const QString &path, QString *error);

    // StoreError once the WAL index could not be written (see WalIndexGuard.h).
    void checkConnection() override;
    // Of the file system that holds the database file.
    std::optional<qint64> freeDiskBytes() override;

    // Uploads are stored by one writer thread per database file, on a connection of its own
    // whose page cache stays warm: those that come while it stores a batch wait and go
    // together into its next transaction, each in a savepoint of its own, so one that is
    // refused or fails leaves the others stored. Each is answered once that transaction
    // committed (one flush for the batch).
    AddScoresResult addScores(qint64 teacher, const QList<ScoreRecord> &scores, qint64 uploadedAt,
                              UnknownNames unknown = UnknownNames::RefuseAll) override;
    struct Upload; // one waiting in a batch
    class Writer;

protected:
    int insertScoreRows(const QList<ScoreRow> &rows) override;
    // Takes the write lock at once: a transaction that read first and then writes would
    // fail, not wait, when another connection wrote meanwhile.
    bool beginTransaction() override;
    void transactionEnded() override;
    bool countOtherChanges() override;

private:
    explicit SqliteStore(const QString &connectionName);
    // The writer's own store (writer true) stores its uploads itself.
    static std::unique_ptr<SqliteStore> open(const QString &path, bool writer, QString *error);
    void migrate();
    // Stores the uploads in one transaction (the writer's).
    void storeUploads(const std::vector<Upload *> &uploads);

    // The upload's inserts (of 1 to kInsertRowsAtOnce lines), straight on SQLite: binding
    // through Qt Sql cost more than SQLite's own work for a 40-line upload.
    std::vector<::sqlite3_stmt *> m_insertScores;
    // Held from begin to end of a transaction: the request threads of this process take
    // turns, in the order they came, and wake the moment the one before commits, instead of
    // SQLite's busy wait, which sleeps in steps of up to 100 ms.
    bool m_hasTurn = false;
    QString m_path; // the database file: uploads are grouped per file
    qint64 m_dataVersion = -1; // SQLite's data_version when this connection last asked
    ::sqlite3_stmt *m_dataVersionStatement = nullptr;
    std::shared_ptr<Writer> m_writer; // of the file; none in the writer's own store
};

} // namespace corvanta::server
