#pragma once

#include "SqlStore.h"

#include <memory>

namespace corvanta::server {

// The embedded database: one SQLite file in WAL mode. A change is on disk (in the WAL)
// before its page answers, so a killed server loses no accepted change.
class SqliteStore final : public SqlStore
{
public:
    // Opens or creates the file and creates or migrates the schema; nullptr and *error when
    // the file cannot be used as a database.
    static std::unique_ptr<SqliteStore> open(const QString &path, QString *error);

private:
    explicit SqliteStore(const QString &connectionName);
    void migrate();
};

} // namespace corvanta::server
