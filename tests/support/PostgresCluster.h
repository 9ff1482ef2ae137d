#pragma once

// A throw-away PostgreSQL server for tests: initdb + pg_ctl of Debian's postgresql-15 into a
// temporary folder, listening only on a Unix socket in that folder, stopped when the test
// program ends. PostgreSQL refuses to run as root, so under root it runs as the system user
// CORVANTA_PG_USER (default "postgres", which the postgresql package creates).
//
//   if (PostgresCluster::wanted()) {                       // CORVANTA_TEST_STORE=postgresql
//       PostgresCluster &pg = PostgresCluster::shared();   // started on first use
//       if (!pg.isRunning()) QSKIP or fail with pg.errorText();
//       QString url = pg.createDatabase();                 // a fresh, empty database
//   }
//
// CORVANTA_PG_BINDIR overrides where initdb and pg_ctl are (default /usr/lib/postgresql/15/bin).
// QtCore only; every wait has a time limit.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>
#include <pwd.h>
#include <unistd.h>

namespace corvanta::test {

class PostgresCluster
{
public:
    // True when this run of the tests is to use PostgreSQL instead of SQLite.
    static bool wanted()
    {
        return qEnvironmentVariable("CORVANTA_TEST_STORE")
                   .compare(QStringLiteral("postgresql"), Qt::CaseInsensitive) == 0;
    }
    static QString binDir()
    {
        const QString dir = qEnvironmentVariable("CORVANTA_PG_BINDIR");
        return dir.isEmpty() ? QStringLiteral("/usr/lib/postgresql/15/bin") : dir;
    }
    // False when the programs are missing: the caller skips with missingText().
    static bool available() { return QFile::exists(binDir() + QStringLiteral("/initdb")); }
    static QString missingText()
    {
        return QStringLiteral("PostgreSQL not tested: no initdb in %1 (install postgresql-15)").arg(binDir());
    }

    // The one cluster of this test program, started on first use.
    static PostgresCluster &shared()
    {
        static PostgresCluster cluster;
        return cluster;
    }

    PostgresCluster(const PostgresCluster &) = delete;
    PostgresCluster &operator=(const PostgresCluster &) = delete;
    ~PostgresCluster() { stop(); }

    bool isRunning() const { return m_running; }
    QString errorText() const { return m_error; }
    QString socketDir() const { return m_dir.path(); }
    QString logText() const
    {
        QFile file(m_dir.filePath(QStringLiteral("postgres.log")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll().right(4000)) : QString();
    }

    // A new empty database; its --database address, or empty (and errorText()) on failure.
    QString createDatabase()
    {
        if (!m_running)
            return {};
        const QString name = QStringLiteral("corvanta_%1").arg(++m_databases);
        if (!run(binDir() + QStringLiteral("/createdb"),
                 {QStringLiteral("-h"), socketDir(), QStringLiteral("-U"), QStringLiteral("corvanta"), name},
                 false))
            return {};
        return urlOf(name);
    }
    QString urlOf(const QString &database) const
    {
        return QStringLiteral("postgresql://corvanta@/%1?host=%2").arg(database, socketDir());
    }

    // Restarts the server, ending every connection to it (as a failover would).
    bool restart()
    {
        return m_running && run(binDir() + QStringLiteral("/pg_ctl"),
                                {QStringLiteral("-D"), dataDir(), QStringLiteral("-m"),
                                 QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("restart")},
                                true);
    }

    // Process ids of the backends serving connections that call themselves application.
    QList<qint64> backends(const QString &application = QStringLiteral("corvanta-server")) const
    {
        QProcess psql;
        psql.start(QStringLiteral("psql"),
                   {QStringLiteral("-h"), socketDir(), QStringLiteral("-U"), QStringLiteral("corvanta"),
                    QStringLiteral("-d"), QStringLiteral("postgres"), QStringLiteral("-Atc"),
                    QStringLiteral("SELECT pid FROM pg_stat_activity WHERE application_name = '%1'")
                        .arg(application)});
        QList<qint64> pids;
        if (!psql.waitForFinished(20000))
            return pids;
        for (const QByteArray &line : psql.readAllStandardOutput().split('\n')) {
            if (const qint64 pid = line.trimmed().toLongLong(); pid > 0)
                pids.append(pid);
        }
        return pids;
    }

    // Ends the server at once (the databases are thrown away with the folder).
    void stop()
    {
        if (!m_running)
            return;
        m_running = false;
        run(binDir() + QStringLiteral("/pg_ctl"),
            {QStringLiteral("-D"), dataDir(), QStringLiteral("-m"), QStringLiteral("immediate"),
             QStringLiteral("-w"), QStringLiteral("stop")},
            true);
    }

private:
    PostgresCluster() { start(); }

    QString dataDir() const { return m_dir.filePath(QStringLiteral("data")); }

    bool start()
    {
        if (!available()) {
            m_error = missingText();
            return false;
        }
        if (!m_dir.isValid()) {
            m_error = QStringLiteral("no temporary folder");
            return false;
        }
        if (::geteuid() == 0) {
            const QByteArray user =
                qEnvironmentVariable("CORVANTA_PG_USER", QStringLiteral("postgres")).toLocal8Bit();
            const passwd *pw = ::getpwnam(user.constData());
            if (!pw || ::chown(QFile::encodeName(m_dir.path()).constData(), pw->pw_uid, pw->pw_gid) != 0) {
                m_error = QStringLiteral("tests run as root, and the user %1 to run PostgreSQL as is missing")
                              .arg(QString::fromLocal8Bit(user));
                return false;
            }
            m_runAs = QString::fromLocal8Bit(user);
        }
        // No fsync: the whole cluster is thrown away; a killed server process loses nothing
        // either way, because PostgreSQL keeps running.
        if (!run(binDir() + QStringLiteral("/initdb"),
                 {QStringLiteral("-D"), dataDir(), QStringLiteral("-U"), QStringLiteral("corvanta"),
                  QStringLiteral("--auth=trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
                  QStringLiteral("--locale=C.UTF-8"), QStringLiteral("--no-sync")},
                 true))
            return false;
        const QString options =
            QStringLiteral("-k %1 -c listen_addresses= -c fsync=off -c full_page_writes=off "
                           "-c max_connections=50 -c shared_buffers=32MB")
                .arg(socketDir());
        if (!run(binDir() + QStringLiteral("/pg_ctl"),
                 {QStringLiteral("-D"), dataDir(), QStringLiteral("-l"),
                  m_dir.filePath(QStringLiteral("postgres.log")), QStringLiteral("-o"), options,
                  QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")},
                 true)) {
            m_error += u' ' + logText();
            return false;
        }
        m_running = true;
        return true;
    }

    // Runs a program (as the cluster's owner when asked and needed) and waits for it.
    bool run(const QString &program, const QStringList &arguments, bool asOwner)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        if (asOwner && !m_runAs.isEmpty())
            process.start(QStringLiteral("runuser"),
                          QStringList{QStringLiteral("-u"), m_runAs, QStringLiteral("--"), program} +
                              arguments);
        else
            process.start(program, arguments);
        if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() != 0) {
            m_error = QStringLiteral("%1 failed: %2 %3")
                          .arg(QFileInfo(program).fileName(), process.errorString(),
                               QString::fromLocal8Bit(process.readAll()));
            return false;
        }
        return true;
    }

    QTemporaryDir m_dir{QDir::tempPath() + QStringLiteral("/corvanta-pg-XXXXXX")};
    QString m_runAs;
    QString m_error;
    bool m_running = false;
    int m_databases = 0;
};

// A fresh database of the store under test, as --database takes it: a SQLite file in dir, or
// a new database on the test program's PostgreSQL server (empty when it could not be made).
inline QString testDatabase(const QTemporaryDir &dir, const QString &name = QStringLiteral("corvanta.db"))
{
    if (PostgresCluster::wanted())
        return PostgresCluster::shared().createDatabase();
    return QStringLiteral("sqlite:") + dir.filePath(name);
}

} // namespace corvanta::test

// At the start of initTestCase: skips the whole program when its PostgreSQL run was asked for
// and no PostgreSQL server can be made on this machine.
#define CORVANTA_SKIP_WITHOUT_POSTGRES()                                                           \
    do {                                                                                         \
        using corvanta::test::PostgresCluster;                                                   \
        if (PostgresCluster::wanted() && !PostgresCluster::available())                          \
            QSKIP(qPrintable(PostgresCluster::missingText()));                                   \
    } while (false)
