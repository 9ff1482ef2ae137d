#include "StoreFactory.h"

#include "DatabaseUrl.h"
#include "PostgresStore.h"
#include "SqliteStore.h"

namespace corvanta::server {

std::unique_ptr<Store> openStore(const QString &database, QString *error)
{
    const std::optional<DatabaseUrl> url = parseDatabaseUrl(database, error);
    if (!url)
        return nullptr;
    if (url->kind == DatabaseUrl::Kind::Postgres)
        return PostgresStore::open(*url, error);
    return SqliteStore::open(url->path, error);
}

} // namespace corvanta::server
