#pragma once

#include "SqlStore.h"

#include <memory>

struct sqlite3_stmt;

namespace corvanta::server {

// The embedded database: one SQLite file in WAL mode. A change is on disk (in the WAL)
// before its page answers, so a killed server loses no accepted change.
class SqliteStore final : public SqlStore
{
public:
    ~SqliteStore() override;

    // Opens or creates the file and creates or migrates the schema; nullptr and *error when
    // the file cannot be used as a database.
    static std::unique_ptr<SqliteStore> open(const QString &path, QString *error);

    // StoreError once the WAL index could not be written (see WalIndexGuard.h).
    void checkConnection() override;

protected:
    int insertScoreRows(const QList<ScoreRow> &rows) override;
    // Takes the write lock at once: a transaction that read first and then writes would
    // fail, not wait, when another connection wrote meanwhile.
    bool beginTransaction() override;
    void transactionEnded() override;

private:
    explicit SqliteStore(const QString &connectionName);
    void migrate();

    // The upload's insert, straight on SQLite: binding through Qt Sql cost more than
    // SQLite's own work for a 40-line upload.
    ::sqlite3_stmt *m_insertScore = nullptr;
    // Held from begin to end of a transaction: the request threads of this process take
    // turns, in the order they came, and wake the moment the one before commits, instead of
    // SQLite's busy wait, which sleeps in steps of up to 100 ms.
    bool m_hasTurn = false;
};

} // namespace corvanta::server
