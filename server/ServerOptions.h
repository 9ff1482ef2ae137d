#pragma once

#include "LogSink.h"
#include "TrustedProxies.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>

namespace corvanta::server {

struct ServerOptions
{
    QHostAddress host = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 8080;
    QString database = QStringLiteral("sqlite:corvanta.db");
    QString mailDir;  // one .eml file per message
    QString sendmail; // or a sendmail-compatible command reading the message on stdin
    QString mailFrom = QStringLiteral("corvanta@localhost");
    bool demo = false;
    bool help = false;
    bool version = false;
    LogLevel logLevel = LogLevel::Info;
    // Instead of serving: copy the SQLite database to backupTo, or put restoreFrom back in
    // its place.
    QString backupTo;
    QString restoreFrom;
    // Hidden: adds a teacher with this account of 20 classes x 50 students for the benchmark.
    QString benchTeacher;
    int threads = 0;            // request threads; 0: one per core
    QString tlsCertificateFile; // PEM; with tlsKeyFile, HTTPS
    QString tlsKeyFile;
    TrustedProxies trustedProxies; // whose X-Forwarded-For names the client
    // Hidden (tests): the HTTP front's limits, in seconds and connections; 0 keeps the
    // front's default.
    int headerSeconds = 0;
    int bodySeconds = 0;
    int idleSeconds = 0;
    int maxConnections = 0;
    int maxConnectionsPerAddress = 0;
    int registrationsPerMinute = 0;
    int heavyThreads = 0;
    // What one account or one address may take of the server; -1 keeps the default.
    qint64 maxClasses = -1;
    qint64 maxScoresPerAccount = -1;
    qint64 maxNoteCharsPerAccount = -1;
    qint64 minFreeDiskMb = -1; // 0: no guard
    qint64 registrationsPerDay = -1;
    // Hidden (tests): the front's bound on replies not yet taken, in KiB; 0 keeps the default.
    int maxWaitingReplyKb = 0;
};

// Reads the command line (arguments[0] is the program). On a bad option returns false and
// sets *error to a message for the operator.
bool parseServerOptions(const QStringList &arguments, ServerOptions *options, QString *error);

// The text of --help.
QString serverUsage();
// The text of --version: "corvanta-server 2.6.1", the package's version.
QString serverVersion();

} // namespace corvanta::server
