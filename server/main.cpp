#include "DatabaseUrl.h"
#include "DemoData.h"
#include "HttpFront.h"
#include "MailQueue.h"
#include "Mailer.h"
#include "ServerOptions.h"
#include "SqliteBackup.h"
#include "StoreFactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <limits>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvanta;
using namespace corvanta::server;

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
}

// SIGTERM and SIGINT end the event loop, so the database is closed cleanly.
void quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] { app.quit(); });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// Connections need descriptors: take all the system allows this process.
void raiseDescriptorLimit()
{
    rlimit limit = {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

bool readPem(const QString &path, QByteArray *bytes, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > 1024 * 1024) {
        *error = QStringLiteral("cannot read %1").arg(path);
        return false;
    }
    *bytes = file.readAll();
    return true;
}

void printLine(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

bool frontOptions(const ServerOptions &options, FrontOptions *front, QString *error)
{
    front->host = options.host;
    front->port = options.port;
    front->threads = options.threads;
    front->trustedProxies = options.trustedProxies;
    const std::pair<int, int FrontOptions::*> limits[] = {
        {options.headerSeconds, &FrontOptions::headerSeconds},
        {options.bodySeconds, &FrontOptions::bodySeconds},
        {options.idleSeconds, &FrontOptions::idleSeconds},
        {options.maxConnections, &FrontOptions::maxConnections},
        {options.maxConnectionsPerAddress, &FrontOptions::maxConnectionsPerAddress},
        {options.heavyThreads, &FrontOptions::heavyThreads},
    };
    for (const auto &[value, field] : limits) {
        if (value > 0)
            front->*field = value;
    }
    if (options.maxWaitingReplyKb > 0)
        front->maxWaitingReplyBytes = qint64(options.maxWaitingReplyKb) * 1024;
    // Only SQLite flushes the uploads that wait together at once; on PostgreSQL a waiting
    // thread would only hold one more connection of the server's.
    QString notSqlite;
    if (const std::optional<DatabaseUrl> url = parseDatabaseUrl(options.database, &notSqlite);
        url && url->kind != DatabaseUrl::Kind::Sqlite)
        front->diskWaitThreads = 0;
    if (options.tlsCertificateFile.isEmpty())
        return true;
    return readPem(options.tlsCertificateFile, &front->tlsCertificate, error) &&
           readPem(options.tlsKeyFile, &front->tlsKey, error);
}

// The defaults, with what the options change.
ScoreService::Limits accountLimits(const ServerOptions &options)
{
    ScoreService::Limits limits;
    const auto take = [](qint64 value, auto &field) {
        using Field = std::remove_reference_t<decltype(field)>;
        if (value >= 0)
            field = Field(std::min<qint64>(value, std::numeric_limits<Field>::max()));
    };
    take(options.maxClasses, limits.classes);
    take(options.maxScoresPerAccount, limits.account.scores);
    take(options.maxNoteCharsPerAccount, limits.account.noteChars);
    take(options.minFreeDiskMb < 0 ? -1 : options.minFreeDiskMb * 1024 * 1024, limits.minFreeDiskBytes);
    take(options.registrationsPerDay, limits.registrationsPerDay);
    return limits;
}

// The mailer the options ask for; null (with the reason) when its folder cannot be made.
std::unique_ptr<Mailer> makeMailer(const ServerOptions &options, QString *error)
{
    if (!options.mailDir.isEmpty()) {
        if (!QDir().mkpath(options.mailDir)) {
            *error = QStringLiteral("cannot create the mail folder %1").arg(options.mailDir);
            return nullptr;
        }
        return std::make_unique<MailDirMailer>(options.mailDir);
    }
    if (!options.sendmail.isEmpty())
        return std::make_unique<SendmailMailer>(options.sendmail);
    return std::make_unique<NoMailer>();
}

// The demo and benchmark teachers the options ask for; false with the reason when one fails.
bool addStartTeachers(ScoreService &service, Store &store, const ServerOptions &options, QString *error)
{
    try {
        if (options.demo && !addDemoTeacher(service, store)) {
            *error = QStringLiteral("could not add the demo teacher");
            return false;
        }
        if (!options.benchTeacher.isEmpty() && !addBenchTeacher(service, store, options.benchTeacher)) {
            *error = QStringLiteral("could not add the benchmark teacher");
            return false;
        }
    } catch (const StoreError &e) {
        *error = QString::fromUtf8(e.what());
        return false;
    }
    return true;
}

// Listens as the options say, says where on standard output, and serves until a signal.
int serve(QCoreApplication &app, ScoreService &service, const ServerOptions &options)
{
    QString error;
    FrontOptions front_options;
    if (!frontOptions(options, &front_options, &error)) {
        printLine(stderr, QStringLiteral("corvanta-server: ") + error);
        return 2;
    }
    raiseDescriptorLimit();
    HttpFront front(service, front_options);
    const quint16 port = front.start(&error);
    if (port == 0) {
        printLine(stderr, QStringLiteral("corvanta-server: ") + error);
        return 1;
    }
    const QString host = options.host.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + options.host.toString() + u']'
                             : options.host.toString();
    const bool tls = !front_options.tlsCertificate.isEmpty();
    printLine(stdout,
              QStringLiteral("listening on %1://%2:%3")
                  .arg(tls ? QStringLiteral("https") : QStringLiteral("http"), host, QString::number(port)));

    quitOnSignals(app);
    const int status = app.exec();
    front.stop();
    return status;
}

// --backup and --restore, for a SQLite database; PostgreSQL has its own tools for both.
int backupOrRestore(const ServerOptions &options)
{
    QString error;
    const std::optional<DatabaseUrl> url = parseDatabaseUrl(options.database, &error);
    if (url && url->kind != DatabaseUrl::Kind::Sqlite)
        error = QStringLiteral("--backup and --restore copy SQLite databases; for PostgreSQL use pg_dump and "
                               "pg_restore");
    if (!url || url->kind != DatabaseUrl::Kind::Sqlite) {
        printLine(stderr, QStringLiteral("corvanta-server: ") + error);
        return 2;
    }
    QString kept;
    const bool done = options.backupTo.isEmpty()
                          ? restoreSqlite(url->path, options.restoreFrom, &kept, &error)
                          : backupSqlite(url->path, options.backupTo, &error);
    if (!done) {
        printLine(stderr, QStringLiteral("corvanta-server: ") + error);
        return 1;
    }
    if (!options.backupTo.isEmpty())
        printLine(stdout, QStringLiteral("copied %1 to %2").arg(url->path, options.backupTo));
    else
        printLine(stdout, QStringLiteral("restored %1 from %2").arg(url->path, options.restoreFrom) +
                              (kept.isEmpty() ? QString()
                                              : QStringLiteral("; the database replaced is %1").arg(kept)));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    // Without TZ, glibc looks at /etc/localtime again for every local-time conversion (two
    // per uploaded score line); naming the same file once keeps the zone and drops the calls.
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvanta-server"));

    ServerOptions options;
    QString error;
    if (!parseServerOptions(app.arguments(), &options, &error)) {
        printLine(stderr, QStringLiteral("corvanta-server: ") + error);
        return 2;
    }
    if (options.help) {
        printLine(stdout, serverUsage());
        return 0;
    }
    if (options.version) {
        printLine(stdout, serverVersion());
        return 0;
    }
    if (!options.backupTo.isEmpty() || !options.restoreFrom.isEmpty())
        return backupOrRestore(options);
    LogSink::standardError().setLevel(options.logLevel);

    std::unique_ptr<Store> store = openStore(options.database, &error);
    if (!store) {
        printLine(stderr, QStringLiteral("corvanta-server: ") + error);
        return 2;
    }

    std::unique_ptr<Mailer> mailer = makeMailer(options, &error);
    if (!mailer) {
        printLine(stderr, QStringLiteral("corvanta-server: ") + error);
        return 2;
    }

    // Each request thread works on a database connection of its own.
    const QString database = options.database;
    ScoreService::StoreOpener opener = [database] {
        QString why;
        std::unique_ptr<Store> opened = openStore(database, &why);
        if (!opened)
            throw StoreError(why.toStdString());
        return opened;
    };
    // Mail leaves on a thread of its own: a slow mail command never holds a request.
    std::unique_ptr<MailQueue> mailQueue;
    Mailer *mailOut = mailer.get();
    if (!options.mailDir.isEmpty() || !options.sendmail.isEmpty()) {
        mailQueue = std::make_unique<MailQueue>(std::move(mailer));
        mailOut = mailQueue.get();
    }

    SystemClock clock;
    ScoreService service(*store, std::move(opener), *mailOut, clock, options.mailFrom);
    if (options.registrationsPerMinute > 0)
        service.setRegistrationsPerMinute(options.registrationsPerMinute);
    service.setLimits(accountLimits(options));
    if (!addStartTeachers(service, *store, options, &error)) {
        printLine(stderr, QStringLiteral("corvanta-server: ") + error);
        return 2;
    }

    return serve(app, service, options);
}
