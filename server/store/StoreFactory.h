#pragma once

#include "Store.h"

#include <QString>

#include <memory>

namespace corvanta::server {

// Opens the database named by --database (see DatabaseUrl.h), creating or migrating its
// schema; nullptr and *error, fit for the operator, when it cannot be used.
std::unique_ptr<Store> openStore(const QString &database, QString *error);

} // namespace corvanta::server
