#include "PostgresStore.h"

#include "PostgresListener.h"
#include "SqlSchema.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <QSqlError>

#include <libpq-fe.h>
#include <poll.h>

namespace corvanta::server {

namespace {

// Any number the server alone uses: processes that start together migrate one at a time.
constexpr qint64 kMigrationLock = 0x436f7276;

// An element of a PostgreSQL array literal.
QString arrayText(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c == u'"' || c == u'\\')
            out += u'\\';
        out += c;
    }
    return out + u'"';
}

} // namespace

PostgresStore::PostgresStore(const QString &connectionName, const DatabaseUrl &url)
    : SqlStore(connectionName), m_url(url)
{
}

void PostgresStore::configureSession()
{
    exec(QStringLiteral("SET client_min_messages = warning"));
    exec(QStringLiteral("SET synchronous_commit = ") + m_url.synchronousCommit); // one of a known few
}

bool PostgresStore::recoverConnection()
{
    // A restarted or failed-over database ends the connection; anything else (a constraint,
    // a bad value) leaves it working.
    if (m_recovering || QSqlQuery(QStringLiteral("SELECT 1"), database()).isActive())
        return false;
    m_recovering = true;
    bool reopened = reopenDatabase();
    if (reopened) {
        try {
            configureSession();
        } catch (const StoreError &) {
            reopened = false; // the next request tries again
        }
    }
    m_recovering = false;
    return reopened;
}

void PostgresStore::checkConnection()
{
    SqlStore::checkConnection();
    const QVariant handle = database().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "PGconn*") != 0)
        return;
    PGconn *connection = *static_cast<PGconn *const *>(handle.constData());
    if (!connection)
        return;
    // Between requests a connection has nothing to read: a backend that was ended has left
    // its last message and the end of the stream there. One poll, no round trip.
    pollfd socket = {PQsocket(connection), POLLIN, 0};
    const bool lost = PQstatus(connection) == CONNECTION_BAD || socket.fd < 0 || ::poll(&socket, 1, 0) > 0;
    if (lost)
        recoverConnection();
}

std::unique_ptr<PostgresStore> PostgresStore::open(const DatabaseUrl &url, QString *error)
{
    static QAtomicInt counter;
    const QString name = QStringLiteral("corvanta-pg-%1").arg(counter.fetchAndAddRelaxed(1));
    std::unique_ptr<PostgresStore> store(new PostgresStore(name, url));
    const QString database = url.displayName() + u'/' + url.databaseName;
    store->useSharedCaches(database);
    store->m_listener = processShared<PostgresListener>(
        database, [&] { return std::make_shared<PostgresListener>(url, store->changes()); });
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
    if (!db.isValid()) {
        *error = QStringLiteral("the PostgreSQL driver of Qt is missing (Debian package libqt6sql6-psql)");
        return nullptr;
    }
    db.setHostName(url.host);
    db.setPort(url.port);
    db.setUserName(url.user);
    db.setPassword(url.password);
    db.setDatabaseName(url.databaseName);
    db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=corvanta-server"));
    auto withoutPassword = [&url](QString text) {
        if (url.password.size() >= 4) // libpq does not quote it; this is in case a reason ever does
            text.replace(url.password, QStringLiteral("***"));
        return text.simplified(); // libpq's reasons run over several lines
    };
    if (!db.open()) {
        const QSqlError e = db.lastError();
        *error = withoutPassword(
            QStringLiteral("cannot connect to %1: %2")
                .arg(url.displayName(), e.databaseText().isEmpty() ? e.text() : e.databaseText()));
        return nullptr;
    }
    try {
        store->configureSession();
        store->migrate();
    } catch (const StoreError &e) {
        *error = withoutPassword(
            QStringLiteral("cannot use %1: %2").arg(url.displayName(), QString::fromUtf8(e.what())));
        return nullptr;
    }
    return store;
}

bool PostgresStore::countOtherChanges()
{
    return m_caughtUp || m_listener->caughtUp();
}

bool PostgresStore::catchesUp()
{
    return m_listener->listening();
}

void PostgresStore::catchUpThen(std::function<void(bool covered)> done)
{
    m_listener->whenCaughtUp(std::move(done));
}

void PostgresStore::migrate()
{
    migrateSchema(schema::steps(schema::Dialect::Postgres),
                  QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kMigrationLock));
}

QString PostgresStore::boundText(const QString &text) const
{
    // PostgreSQL's texts cannot hold U+0000. The pages refuse control characters in what they
    // store, so only a looked-up value can carry one; as U+FFFD it finds nothing instead of
    // failing the statement.
    if (text.contains(QChar(0))) {
        QString copy = text;
        return copy.replace(QChar(0), QChar::ReplacementCharacter);
    }
    return SqlStore::boundText(text);
}

void PostgresStore::beginSnapshot()
{
    exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ, READ ONLY"));
}

AddScoresResult PostgresStore::addScores(qint64 teacher, const QList<ScoreRecord> &scores, qint64 uploadedAt,
                                         UnknownNames unknown)
{
    // An array of each column: the names, then the values of the lines.
    const QList<schema::ScoreColumn> valueColumns = schema::scoreValueColumns();
    QList<QStringList> columns(2 + valueColumns.size());
    for (const ScoreRecord &s : scores) {
        columns[0].append(arrayText(s.className));
        columns[1].append(arrayText(s.student));
        for (qsizetype c = 0; c < valueColumns.size(); ++c) {
            const QVariant v = scoreValue(s, valueColumns[c]);
            columns[2 + c].append(v.typeId() == QMetaType::QString ? arrayText(v.toString())
                                  : v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 17)
                                                                    : QString::number(v.toLongLong()));
        }
    }
    QVariantList values{teacher};
    for (const QStringList &items : std::as_const(columns))
        values.append(u'{' + items.join(u',') + u'}');
    values << (unknown == UnknownNames::Skip ? 1 : 0) << uploadedAt << teacher;
    static const QString upload = schema::scoreUploadByNames();
    QList<QVariantList> rows;
    try {
        rows = select(upload, values);
    } catch (const StoreError &) {
        // It changed nothing. The names were read as the statement began: a student removed
        // while it waited for the teacher's lock is unknown when read once more.
        rows = select(upload, values);
    }
    AddScoresResult result;
    for (const QVariantList &row : std::as_const(rows)) {
        const int line = row.at(0).toInt();
        if (line == 0) {
            result.stored = row.at(2).toInt();
            continue;
        }
        if (unknown == UnknownNames::Skip) {
            result.skipped.append({line - 1, row.at(1).toBool()});
        } else if (result.failedIndex < 0) {
            result.result = StoreResult::NotFound;
            result.failedIndex = line - 1;
            result.unknownClass = row.at(1).toBool();
        }
    }
    return result;
}

} // namespace corvanta::server
