#include "SqlStore.h"

#include <QSet>

#include <atomic>
#include <QSqlError>
#include <QSqlRecord>

namespace corvanta::server {

namespace {

[[noreturn]] void fail(const QString &what, const QSqlError &error)
{
    throw StoreError((what + QStringLiteral(": ") + error.text()).toStdString());
}

QString accountKey(const QString &account)
{
    return account.toLower();
}

} // namespace

SqlStore::SqlStore(const QString &connectionName) : m_connectionName(connectionName) {}

SqlStore::~SqlStore()
{
    closeDatabase();
}

void SqlStore::closeDatabase()
{
    m_statements.clear();
    if (QSqlDatabase::contains(m_connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            if (db.isOpen())
                db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

namespace {

// Connections of this process reopened after their database went away.
std::atomic<quint64> g_reopens = 0;

} // namespace

void SqlStore::checkConnection()
{
    const quint64 reopens = g_reopens.load(std::memory_order_relaxed);
    if (reopens == m_reopensSeen)
        return;
    m_reopensSeen = reopens;
    recoverConnection();
}

bool SqlStore::reopenDatabase()
{
    m_reopensSeen = g_reopens.fetch_add(1) + 1;
    m_statements.clear(); // prepared on the old connection
    QSqlDatabase db = database();
    db.close();
    return db.open();
}

void SqlStore::failed(const QString &what, const QSqlError &error)
{
    // Outside a transaction at once, inside one after its rollback (see ~Transaction).
    if (m_transactionDepth == 0)
        recoverConnection();
    else
        m_broken = true;
    fail(what, error);
}

QSqlDatabase SqlStore::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QSqlQuery &SqlStore::run(const QString &sql, const QVariantList &values)
{
    // Outside a transaction, a statement that could not be prepared, or a read that failed,
    // changed nothing: on a new connection it may run again.
    const bool outside = m_transactionDepth == 0;
    const bool repeatable = outside && sql.startsWith(u"SELECT");
    for (int attempt = 0;; ++attempt) {
        auto &slot = m_statements[sql];
        if (!slot) {
            auto query = std::make_shared<QSqlQuery>(database());
            // Every result is read once, front to back: the driver need not keep the rows read.
            query->setForwardOnly(true);
            if (!query->prepare(sql)) {
                const QSqlError error = query->lastError();
                if (!outside || attempt > 0 || !recoverConnection())
                    failed(QStringLiteral("prepare"), error);
                continue;
            }
            slot = query;
        }
        QSqlQuery &query = *slot;
        query.finish();
        for (qsizetype i = 0; i < values.size(); ++i) {
            // A null QString would be bound as SQL NULL; texts are never NULL here.
            if (values[i].typeId() == QMetaType::QString)
                query.bindValue(static_cast<int>(i), boundText(values[i].toString()));
            else
                query.bindValue(static_cast<int>(i), values[i]);
        }
        if (query.exec())
            return query;
        const QSqlError error = query.lastError();
        if (!repeatable || attempt > 0 || !recoverConnection())
            failed(QStringLiteral("query"), error);
    }
}

QList<QVariantList> SqlStore::select(const QString &sql, const QVariantList &values)
{
    QSqlQuery &query = run(sql, values);
    QList<QVariantList> rows;
    const int columns = query.record().count();
    while (query.next()) {
        QVariantList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c)
            row.append(query.value(c));
        rows.append(std::move(row));
    }
    query.finish();
    return rows;
}

std::optional<QVariantList> SqlStore::selectOne(const QString &sql, const QVariantList &values)
{
    QSqlQuery &query = run(sql, values);
    std::optional<QVariantList> row;
    if (query.next()) {
        // record() builds a description of every column: once, not once per column.
        const int columns = query.record().count();
        QVariantList r;
        r.reserve(columns);
        for (int c = 0; c < columns; ++c)
            r.append(query.value(c));
        row = std::move(r);
    }
    query.finish();
    return row;
}

int SqlStore::change(const QString &sql, const QVariantList &values)
{
    QSqlQuery &query = run(sql, values);
    const int affected = query.numRowsAffected();
    query.finish();
    return affected;
}

void SqlStore::exec(const QString &sql)
{
    QSqlQuery query(database());
    if (!query.exec(sql))
        failed(QStringLiteral("exec"), query.lastError());
}

SqlStore::Transaction::Transaction(SqlStore &store) : m_store(store)
{
    // A begin that failed began nothing: on a new connection it may run again.
    if (!m_store.beginTransaction() && (!m_store.recoverConnection() || !m_store.beginTransaction()))
        m_store.failed(QStringLiteral("begin"), m_store.database().lastError());
    ++m_store.m_transactionDepth;
}

SqlStore::Transaction::~Transaction()
{
    --m_store.m_transactionDepth;
    m_store.m_pendingIds.clear(); // kept by commit(), or never true
    if (!m_done && !m_store.database().rollback())
        m_store.m_broken = true;
    m_store.transactionEnded();
    if (m_store.m_broken) {
        m_store.m_broken = false;
        m_store.recoverConnection();
    }
}

void SqlStore::Transaction::commit()
{
    if (!m_store.database().commit()) {
        m_done = true; // a failed commit ends the transaction too
        m_store.m_broken = true;
        fail(QStringLiteral("commit"), m_store.database().lastError());
    }
    m_done = true;
    for (auto it = m_store.m_pendingIds.cbegin(); it != m_store.m_pendingIds.cend(); ++it)
        m_store.m_idCache->keep(it.key(), it.value());
}

std::shared_ptr<SqlStore::IdCache> SqlStore::IdCache::of(const QString &database)
{
    static std::mutex mutex;
    static QHash<QString, std::weak_ptr<IdCache>> caches;
    const std::lock_guard lock(mutex);
    std::shared_ptr<IdCache> cache = caches.value(database).lock();
    if (!cache) {
        cache = std::make_shared<IdCache>();
        caches.insert(database, cache);
    }
    return cache;
}

std::optional<SqlStore::TeacherIds> SqlStore::IdCache::find(qint64 teacher, qint64 version)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_ids.constFind(teacher);
    if (it == m_ids.cend() || it->version != version)
        return std::nullopt;
    return *it;
}

void SqlStore::IdCache::keep(qint64 teacher, const TeacherIds &ids)
{
    const std::lock_guard lock(m_mutex);
    const auto it = m_ids.constFind(teacher);
    if (it != m_ids.cend() && it->version > ids.version)
        return; // a later commit of this process kept its own
    if (m_ids.size() >= 4096)
        m_ids.clear(); // a bound; the next upload of each teacher reads its ids again
    m_ids.insert(teacher, ids);
}

void SqlStore::migrateSchema(const QList<QStringList> &steps, const QString &first)
{
    Transaction tx(*this);
    if (!first.isEmpty())
        exec(first);
    exec(QStringLiteral("CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)"));
    const auto row = selectOne(QStringLiteral("SELECT value FROM meta WHERE key = 'schema'"));
    const qsizetype version = row ? row->at(0).toInt() : 0;
    if (version > steps.size())
        throw StoreError(QStringLiteral("schema version %1 is newer than this server (%2)")
                             .arg(version)
                             .arg(steps.size())
                             .toStdString());
    for (qsizetype step = version; step < steps.size(); ++step) {
        for (const QString &statement : steps[step])
            exec(statement);
    }
    change(QStringLiteral("INSERT INTO meta (key, value) VALUES ('schema', ?) "
                          "ON CONFLICT (key) DO UPDATE SET value = excluded.value"),
           {QString::number(steps.size())});
    tx.commit();
}

// --- teachers ---

QString SqlStore::teacherColumns(const QString &table)
{
    QStringList columns;
    for (const char *name : {"id", "account", "name", "email", "mobile", "phone", "qq", "login_verifier",
                             "operation_hash", "data_version"})
        columns.append(table + u'.' + QLatin1String(name));
    return columns.join(QStringLiteral(", "));
}

Teacher SqlStore::teacherFromRow(const QVariantList &r, qsizetype first)
{
    Teacher t;
    t.id = r[first].toLongLong();
    t.account = r[first + 1].toString();
    t.name = r[first + 2].toString();
    t.email = r[first + 3].toString();
    t.mobile = r[first + 4].toString();
    t.phone = r[first + 5].toString();
    t.qq = r[first + 6].toString();
    t.loginVerifier = r[first + 7].toString();
    t.operationHash = r[first + 8].toString();
    t.dataVersion = r[first + 9].toLongLong();
    return t;
}

std::optional<Teacher> SqlStore::teacherByAccount(const QString &account)
{
    static const QString sql = QStringLiteral("SELECT %1 FROM teacher WHERE account_key = ?")
                                   .arg(teacherColumns(QStringLiteral("teacher")));
    const auto row = selectOne(sql, {accountKey(account)});
    if (!row)
        return std::nullopt;
    return teacherFromRow(*row, 0);
}

StoreResult SqlStore::createTeacher(const Teacher &t)
{
    // The unique key decides: two processes registering one account at once store it once.
    const int stored = change(
        QStringLiteral("INSERT INTO teacher (account, account_key, name, email, mobile, phone, qq, "
                       "login_verifier, operation_hash, data_version) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 1) "
                       "ON CONFLICT (account_key) DO NOTHING"),
        {t.account, accountKey(t.account), t.name, t.email, t.mobile, t.phone, t.qq, t.loginVerifier,
         t.operationHash});
    return stored == 1 ? StoreResult::Done : StoreResult::NameTaken;
}

void SqlStore::updateTeacher(qint64 teacher, const std::optional<QString> &email,
                             const std::optional<QString> &loginVerifier,
                             const std::optional<QString> &operationHash)
{
    Transaction tx(*this);
    touch(teacher);
    if (email)
        change(QStringLiteral("UPDATE teacher SET email = ? WHERE id = ?"), {*email, teacher});
    if (loginVerifier) {
        // A browser signed in with the old password is signed out.
        change(QStringLiteral("DELETE FROM web_session WHERE teacher_id = ? AND EXISTS "
                              "(SELECT 1 FROM teacher WHERE id = ? AND login_verifier <> ?)"),
               {teacher, teacher, *loginVerifier});
        change(QStringLiteral("UPDATE teacher SET login_verifier = ? WHERE id = ?"),
               {*loginVerifier, teacher});
    }
    if (operationHash)
        change(QStringLiteral("UPDATE teacher SET operation_hash = ? WHERE id = ?"),
               {*operationHash, teacher});
    tx.commit();
}

void SqlStore::rehashLoginVerifier(qint64 teacher, const QString &from, const QString &to)
{
    change(QStringLiteral("UPDATE teacher SET login_verifier = ? WHERE id = ? AND login_verifier = ?"),
           {to, teacher, from});
}

// First in every change of a teacher's data: the update takes the teacher's row lock, so
// changes of one teacher follow one another in whatever process they are made (and each
// statement after it sees the data the one before committed). The new version commits
// with the change, which is what keeps every process's record-file cache right.
void SqlStore::touch(qint64 teacher)
{
    change(QStringLiteral("UPDATE teacher SET data_version = data_version + 1 WHERE id = ?"), {teacher});
}

qint64 SqlStore::touchedVersion(qint64 teacher)
{
    const auto row = selectOne(
        QStringLiteral("UPDATE teacher SET data_version = data_version + 1 WHERE id = ? RETURNING data_version"),
        {teacher});
    return row ? row->at(0).toLongLong() : -1;
}

// --- the class record file ---

RecordData SqlStore::recordData(qint64 teacher)
{
    // One snapshot for the four reads: a change committing meanwhile shows whole or not at all.
    Transaction tx(*this);
    beginSnapshot();
    RecordData data;
    QHash<qint64, qsizetype> classIndex;
    for (const QVariantList &row :
         select(QStringLiteral("SELECT id, name FROM class WHERE teacher_id = ? ORDER BY position, id"),
                {teacher})) {
        classIndex.insert(row[0].toLongLong(), data.classes.size());
        data.classes.append({row[1].toString(), {}});
    }
    for (const QVariantList &row : select(
             QStringLiteral("SELECT s.class_id, s.name, s.grp, COUNT(sc.id), COALESCE(SUM(sc.score), 0) "
                            "FROM student s JOIN class c ON c.id = s.class_id LEFT JOIN score sc ON "
                            "sc.student_id = s.id WHERE c.teacher_id = ? "
                            "GROUP BY s.id, s.class_id, s.name, s.grp, s.position ORDER BY s.position, s.id"),
             {teacher})) {
        const auto idx = classIndex.constFind(row[0].toLongLong());
        if (idx == classIndex.cend())
            continue;
        data.classes[idx.value()].students.append(
            {row[1].toString(), row[2].toInt(), row[3].toInt(), row[4].toDouble()});
    }
    QHash<qint64, qsizetype> topicIndex;
    for (const QVariantList &row :
         select(QStringLiteral("SELECT id, name FROM topic WHERE teacher_id = ? ORDER BY position, id"),
                {teacher})) {
        topicIndex.insert(row[0].toLongLong(), data.topics.size());
        data.topics.append({row[1].toString(), {}});
    }
    for (const QVariantList &row :
         select(QStringLiteral("SELECT sc.topic_id, sc.id, sc.text, sc.score FROM scale sc JOIN topic t ON "
                               "t.id = sc.topic_id WHERE t.teacher_id = ? ORDER BY sc.id"),
                {teacher})) {
        const auto idx = topicIndex.constFind(row[0].toLongLong());
        if (idx == topicIndex.cend())
            continue;
        data.topics[idx.value()].scales.append({row[1].toLongLong(), row[2].toString(), row[3].toDouble()});
    }
    tx.commit();
    return data;
}

// --- check codes ---

void SqlStore::putCheckCode(qint64 teacher, const QString &codeHash, qint64 expiresAt)
{
    Transaction tx(*this);
    change(QStringLiteral("INSERT INTO reset_code (teacher_id, code_hash, expires_at) VALUES (?, ?, ?)"),
           {teacher, codeHash, expiresAt});
    // Codes go out a minute apart at least, so their ends differ.
    change(QStringLiteral("DELETE FROM reset_code WHERE teacher_id = ? AND expires_at <= (SELECT expires_at "
                          "FROM reset_code WHERE teacher_id = ? ORDER BY expires_at DESC LIMIT 1 OFFSET ?)"),
           {teacher, teacher, kKeptCheckCodes});
    tx.commit();
}

bool SqlStore::takeCheckCode(qint64 teacher, const QString &codeHash, qint64 now)
{
    // One statement: of two processes taking the same code at once, one gets it.
    if (change(QStringLiteral("DELETE FROM reset_code WHERE teacher_id = ? AND code_hash = ? AND "
                              "expires_at > ?"),
               {teacher, codeHash, now}) == 0)
        return false;
    change(QStringLiteral("DELETE FROM reset_code WHERE teacher_id = ?"), {teacher});
    return true;
}

void SqlStore::noteSignIn(qint64 teacher, const QString &address, qint64 at, qint64 forgetBefore)
{
    Transaction tx(*this);
    change(QStringLiteral("DELETE FROM signed_in_from WHERE teacher_id = ? AND at < ?"), {teacher, forgetBefore});
    change(QStringLiteral("INSERT INTO signed_in_from (teacher_id, address, at) VALUES (?, ?, ?) "
                          "ON CONFLICT (teacher_id, address) DO UPDATE SET at = excluded.at"),
           {teacher, address, at});
    tx.commit();
}

bool SqlStore::signedInFrom(qint64 teacher, const QString &address, qint64 since)
{
    return selectOne(QStringLiteral("SELECT 1 FROM signed_in_from WHERE teacher_id = ? AND address = ? AND at >= ?"),
                     {teacher, address, since})
        .has_value();
}

bool SqlStore::countCheckCode(qint64 teacher, qint64 at, bool *dailyLimit)
{
    Transaction tx(*this);
    // The teacher's row lock first: two processes counting for one teacher take turns.
    change(QStringLiteral("UPDATE teacher SET data_version = data_version WHERE id = ?"), {teacher});
    change(QStringLiteral("DELETE FROM code_sent WHERE teacher_id = ? AND at <= ?"), {teacher, at - 86400});
    const auto row =
        selectOne(QStringLiteral("SELECT COUNT(*), COALESCE(MAX(at), 0) FROM code_sent WHERE teacher_id = ?"),
                  {teacher});
    const int sent = row ? row->at(0).toInt() : 0;
    const qint64 last = row ? row->at(1).toLongLong() : 0;
    if (dailyLimit)
        *dailyLimit = sent >= kMaxCheckCodesPerDay;
    if (sent >= kMaxCheckCodesPerDay || (sent > 0 && last > at - kCheckCodeGapSeconds))
        return false; // rolled back: nothing counted
    change(QStringLiteral("INSERT INTO code_sent (teacher_id, at) VALUES (?, ?)"), {teacher, at});
    tx.commit();
    return true;
}

// --- lock-out counting ---

FailureState SqlStore::failureState(const QString &key)
{
    const auto row = selectOne(QStringLiteral("SELECT (SELECT locked_until FROM lock_out WHERE key = ?), "
                                              "(SELECT COUNT(*) FROM failure WHERE key = ?)"),
                               {key, key});
    FailureState state;
    if (row) {
        state.lockedUntil = row->at(0).toLongLong();
        state.failures = row->at(1).toInt();
    }
    return state;
}

std::optional<Store::TeacherWithFailures>
SqlStore::teacherWithFailures(const QString &account, const QList<QPair<QString, QString>> &keys)
{
    // One statement, so a request's check is one round trip to a database server.
    QString sql = QStringLiteral("SELECT ") + teacherColumns(QStringLiteral("t"));
    QVariantList values;
    for (const auto &[prefix, suffix] : keys) {
        sql += QStringLiteral(", (SELECT locked_until FROM lock_out WHERE key = ? || CAST(t.id AS TEXT) || ?), "
                              "(SELECT COUNT(*) FROM failure WHERE key = ? || CAST(t.id AS TEXT) || ?)");
        values << prefix << suffix << prefix << suffix;
    }
    sql += QStringLiteral(" FROM teacher t WHERE t.account_key = ?");
    values << accountKey(account);
    const auto row = selectOne(sql, values);
    if (!row)
        return std::nullopt;
    TeacherWithFailures out{teacherFromRow(*row, 0), {}};
    for (qsizetype k = 0; k < keys.size(); ++k) {
        const qsizetype at = 10 + 2 * k; // after the teacher's ten columns
        out.failures.append({row->at(at).toLongLong(), row->at(at + 1).toInt()});
    }
    return out;
}

int SqlStore::addFailure(const QString &key, qint64 at, qint64 since)
{
    Transaction tx(*this);
    // The key's lock-out row is locked first, so processes counting one key take turns.
    change(QStringLiteral("INSERT INTO lock_out (key, locked_until) VALUES (?, 0) "
                          "ON CONFLICT (key) DO UPDATE SET locked_until = lock_out.locked_until"),
           {key});
    change(QStringLiteral("DELETE FROM failure WHERE key = ? AND at < ?"), {key, since});
    change(QStringLiteral("INSERT INTO failure (key, at) VALUES (?, ?)"), {key, at});
    const auto row = selectOne(QStringLiteral("SELECT COUNT(*) FROM failure WHERE key = ?"), {key});
    tx.commit();
    return row ? row->at(0).toInt() : 1;
}

void SqlStore::lockOut(const QString &key, qint64 until)
{
    Transaction tx(*this);
    change(QStringLiteral("UPDATE lock_out SET locked_until = ? WHERE key = ?"), {until, key});
    change(QStringLiteral("DELETE FROM failure WHERE key = ?"), {key});
    tx.commit();
}

void SqlStore::clearFailures(const QString &key)
{
    Transaction tx(*this);
    change(QStringLiteral("DELETE FROM failure WHERE key = ?"), {key});
    change(QStringLiteral("DELETE FROM lock_out WHERE key = ?"), {key});
    tx.commit();
}

} // namespace corvanta::server
