#include "SqliteBackup.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <sqlite3.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace corvanta::server {

namespace {

struct CloseDatabase
{
    void operator()(sqlite3 *db) const { sqlite3_close_v2(db); }
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;

Database openDatabase(const QString &path, int flags, QString *error)
{
    sqlite3 *db = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, flags, nullptr);
    Database owned(db);
    if (rc != SQLITE_OK) {
        *error = QStringLiteral("cannot open %1: %2")
                     .arg(path, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
        return nullptr;
    }
    return owned;
}

// The first column of the first row of sql; empty on failure, with *error.
QString firstValue(sqlite3 *db, const char *sql, QString *error)
{
    sqlite3_stmt *statement = nullptr;
    QString value;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW)
        value = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    else
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(statement);
    return value;
}

bool sound(sqlite3 *db, const QString &path, QString *error)
{
    QString why;
    const QString check = firstValue(db, "PRAGMA integrity_check", &why);
    if (check == u"ok")
        return true;
    *error = QStringLiteral("%1 failed the integrity check: %2").arg(path, check.isEmpty() ? why : check);
    return false;
}

// Copies all of from into to in one step, so the copy is one read transaction of the
// source: writers go on meanwhile (WAL), and no later change is half in it.
bool copyPages(sqlite3 *from, sqlite3 *to, QString *error)
{
    sqlite3_backup *backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup) {
        *error = QString::fromUtf8(sqlite3_errmsg(to));
        return false;
    }
    int rc = SQLITE_OK;
    // Busy only while a connection recovers the database or its write-ahead log.
    for (int tries = 0; tries < 200; ++tries) {
        rc = sqlite3_backup_step(backup, -1);
        if (rc != SQLITE_BUSY && rc != SQLITE_LOCKED)
            break;
        QThread::msleep(50);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE) {
        *error = QString::fromUtf8(sqlite3_errstr(rc));
        return false;
    }
    return true;
}

// The permission bits of the database's file: its copies hold the same passwords' hashes and
// addresses, and are no more readable than it is.
mode_t modeOf(const QString &database)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(database).constData(), &st) == 0 ? st.st_mode & 0777 : 0600;
}

// A file of its own beside to, made anew (O_EXCL: never an existing file or a link someone
// left there) with the given permissions; its name, or empty.
QString createPartial(const QString &to, mode_t mode)
{
    static std::atomic<unsigned> counter = 0;
    for (int tries = 0; tries < 100; ++tries) {
        const QString name = QStringLiteral("%1.partial-%2-%3").arg(to).arg(::getpid()).arg(counter++);
        const int fd =
            ::open(QFile::encodeName(name).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            const bool ok = ::fchmod(fd, mode) == 0; // whatever the umask took away
            ::close(fd);
            if (ok)
                return name;
            ::unlink(QFile::encodeName(name).constData());
            return {};
        }
        if (errno != EEXIST)
            return {};
    }
    return {};
}

// Copies the database open as from to the file to: written as a new file beside it, checked,
// flushed to disk and then renamed, so that to is always a whole copy or the one it was before.
bool writeCopy(sqlite3 *from, const QString &to, mode_t mode, QString *error)
{
    const QString partial = createPartial(to, mode);
    if (partial.isEmpty()) {
        *error = QStringLiteral("cannot write %1: %2").arg(to, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    bool ok = false;
    {
        Database copy = openDatabase(partial, SQLITE_OPEN_READWRITE, error);
        QString why;
        // One self-contained file, without a write-ahead log beside it.
        ok = copy && copyPages(from, copy.get(), &why) &&
             !firstValue(copy.get(), "PRAGMA journal_mode = DELETE", &why).isEmpty() &&
             sound(copy.get(), to, &why);
        if (copy && !ok)
            *error = QStringLiteral("cannot copy the database to %1: %2").arg(to, why);
    }
    if (ok) {
        QFile file(partial);
        ok = file.open(QIODevice::ReadWrite) && ::fsync(file.handle()) == 0;
        file.close();
        ok =
            ok && std::rename(QFile::encodeName(partial).constData(), QFile::encodeName(to).constData()) == 0;
        if (!ok)
            *error = QStringLiteral("cannot write %1").arg(to);
    }
    if (!ok)
        QFile::remove(partial);
    return ok;
}

// The path as it is on disk: its folder with every link resolved, and its own name.
QString resolved(const QString &path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + u'/' + info.fileName();
}

bool sameFile(const QString &a, const QString &b)
{
    if (resolved(a) == resolved(b))
        return true;
    struct stat first = {}, second = {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

// A copy goes to a new file or takes the place of a regular one; never to one of the files the
// database itself is made of (a server running on it would lose its log), nor to a device, a
// pipe, a folder or a link.
bool refusedTarget(const QString &database, const QString &copy, QString *error)
{
    for (const char *own : {"", "-wal", "-shm", "-journal"}) {
        if (sameFile(copy, database + QLatin1String(own))) {
            *error = *own ? QStringLiteral("the copy cannot be %1, a file of the database itself").arg(copy)
                          : QStringLiteral("the copy cannot be the database itself");
            return true;
        }
    }
    struct stat st = {};
    if (::lstat(QFile::encodeName(copy).constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        *error = QStringLiteral("%1 is not a regular file: the copy goes to a new file or replaces a "
                                "regular one")
                     .arg(copy);
        return true;
    }
    return false;
}

} // namespace

bool backupSqlite(const QString &database, const QString &copy, QString *error)
{
    if (!QFileInfo(database).isFile()) {
        *error = QStringLiteral("there is no database file %1").arg(database);
        return false;
    }
    if (refusedTarget(database, copy, error))
        return false;
    // Not read-only: a server's write-ahead log and its index must be readable as it runs.
    const Database source = openDatabase(database, SQLITE_OPEN_READWRITE, error);
    if (!source)
        return false;
    sqlite3_busy_timeout(source.get(), 10000);
    return writeCopy(source.get(), copy, modeOf(database), error);
}

bool restoreSqlite(const QString &database, const QString &copy, QString *kept, QString *error)
{
    kept->clear();
    if (!QFileInfo(copy).isFile()) {
        *error = QStringLiteral("there is no copy %1").arg(copy);
        return false;
    }
    if (sameFile(copy, database)) {
        *error = QStringLiteral("the copy cannot be the database itself");
        return false;
    }
    const Database saved = openDatabase(copy, SQLITE_OPEN_READONLY, error);
    if (!saved || !sound(saved.get(), copy, error))
        return false;
    QString why;
    if (firstValue(saved.get(),
                   "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = 'teacher'",
                   &why) != u"1") {
        *error = QStringLiteral("%1 is not a copy of a Corvanta database").arg(copy);
        return false;
    }
    const bool existed = QFileInfo(database).isFile();
    const Database target = openDatabase(database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, error);
    if (!target)
        return false;
    // The lock stays after the commit: from here on no server can open the database until
    // the restore is done, and none had it open if the lock was granted.
    if (sqlite3_exec(target.get(), "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT", nullptr,
                     nullptr, nullptr) != SQLITE_OK) {
        *error = QStringLiteral("%1 is in use (is a server running on it? stop it first): %2")
                     .arg(database, QString::fromUtf8(sqlite3_errmsg(target.get())));
        return false;
    }
    if (existed) {
        const QString old = database + QStringLiteral(".replaced-") +
                            QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
        if (!writeCopy(target.get(), old, modeOf(database), error))
            return false;
        *kept = old;
    }
    if (!copyPages(saved.get(), target.get(), &why)) {
        *error = QStringLiteral("cannot restore %1 into %2: %3").arg(copy, database, why);
        return false;
    }
    return true;
}

} // namespace corvanta::server
