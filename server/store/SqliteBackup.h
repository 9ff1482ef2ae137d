#pragma once

#include <QString>

namespace corvanta::server {

// Copies of a SQLite database file through SQLite's online backup API: a copy is one
// consistent moment of the database, taken while a server keeps writing to it.

// Copies database to copy. The copy is written as a new file beside it first and takes the
// place of an older one only once PRAGMA integrity_check passed on it; it has the database
// file's permissions. Refused for the database's own files (-wal, -shm, -journal) and for
// anything but a new or a regular file. False and *error when it cannot.
bool backupSqlite(const QString &database, const QString &copy, QString *error);

// Puts the copy (checked first) in the place of database; the database replaced is kept as
// *kept ("DATABASE.replaced-TIME", with the database's permissions; empty when there was
// none). Refused while any other connection, such as a running server, has the database open.
bool restoreSqlite(const QString &database, const QString &copy, QString *kept, QString *error);

} // namespace corvanta::server
