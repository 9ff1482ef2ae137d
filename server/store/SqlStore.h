#pragma once

#include "SqlSchema.h"
#include "Store.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <memory>
#include <mutex>

namespace corvanta::server {

// The Store over Qt Sql with statements every SQL database understands (bound values
// only). A database type adds how to open a connection and its schema.
class SqlStore : public Store
{
public:
    ~SqlStore() override;

    std::optional<Teacher> teacherByAccount(const QString &account) override;
    StoreResult createTeacher(const Teacher &teacher) override;
    void updateTeacher(qint64 teacher, const std::optional<QString> &email,
                       const std::optional<QString> &loginVerifier,
                       const std::optional<QString> &operationHash) override;
    void rehashLoginVerifier(qint64 teacher, const QString &from, const QString &to) override;

    QStringList classNames(qint64 teacher) override;
    void replaceClasses(qint64 teacher, const QStringList &names) override;
    StoreResult renameClass(qint64 teacher, const QString &from, const QString &to) override;
    std::optional<QList<QPair<QString, int>>> students(qint64 teacher, const QString &className) override;
    StoreResult replaceStudents(qint64 teacher, const QString &className, const QStringList &names) override;
    StoreResult renameStudent(qint64 teacher, const QString &className, const QString &from,
                              const QString &to) override;
    StoreResult setGroups(qint64 teacher, const QString &className,
                          const QList<QPair<QString, int>> &groups) override;

    QStringList topicNames(qint64 teacher) override;
    void replaceTopics(qint64 teacher, const QStringList &names) override;
    StoreResult renameTopic(qint64 teacher, const QString &from, const QString &to) override;
    std::optional<QList<Scale>> scales(qint64 teacher, const QString &topic) override;
    StoreResult addScales(qint64 teacher, const QString &topic, const QList<Scale> &scales) override;
    StoreResult editScale(qint64 teacher, qint64 scaleId, const QString &text, double score) override;
    void deleteScales(qint64 teacher, const QList<qint64> &ids) override;

    AddScoresResult addScores(qint64 teacher, const QList<ScoreRecord> &scores, qint64 uploadedAt,
                              UnknownNames unknown = UnknownNames::RefuseAll) override;
    std::optional<QList<ScoreRecord>> scoresOfClass(qint64 teacher, const QString &className) override;
    std::optional<QList<ScoreRecord>> readScores(ScoreReading &reading, int limit) override;
    QList<ScoreRecord> recentScores(qint64 teacher, int n) override;
    StoreResult editScore(qint64 teacher, const ScoreRecord &record) override;
    void deleteScores(qint64 teacher, const QList<qint64> &ids) override;

    RecordData recordData(qint64 teacher) override;
    qint64 noteChars(qint64 teacher) override;
    void checkConnection() override;

    QList<ClassSummary> classSummaries(qint64 teacher) override;
    std::optional<ClassReport> classReport(qint64 teacher, const QString &className, int latest) override;
    std::optional<StudentReport> studentReport(qint64 teacher, const QString &className, const QString &student,
                                               int offset, int limit) override;
    std::optional<QList<ScoreRecord>> scoresOfStudent(qint64 teacher, const QString &className,
                                                      const QString &student) override;

    void startSession(const QString &tokenHash, qint64 teacher, qint64 now, qint64 staleBefore) override;
    std::optional<StoredSession> session(const QString &tokenHash) override;
    void touchSession(const QString &tokenHash, qint64 now) override;
    void endSession(const QString &tokenHash) override;

    void putCheckCode(qint64 teacher, const QString &codeHash, qint64 expiresAt) override;
    bool takeCheckCode(qint64 teacher, const QString &codeHash, qint64 now) override;
    void noteSignIn(qint64 teacher, const QString &address, qint64 at, qint64 forgetBefore) override;
    bool signedInFrom(qint64 teacher, const QString &address, qint64 since) override;
    bool countCheckCode(qint64 teacher, qint64 at, bool *dailyLimit = nullptr) override;

    FailureState failureState(const QString &key) override;
    std::optional<TeacherWithFailures> teacherWithFailures(const QString &account,
                                                           const QList<QPair<QString, QString>> &keys) override;
    int addFailure(const QString &key, qint64 at, qint64 since) override;
    void lockOut(const QString &key, qint64 until) override;
    void clearFailures(const QString &key) override;

    // A score read as "id, class name, student name, " + schema::scoreValueList().
    static ScoreRecord scoreFromRow(const QVariantList &row);
    // A value of the line by its column (schema::scoreValueColumns()): the only place that
    // knows which member a column holds.
    static QVariant scoreValue(const ScoreRecord &r, schema::ScoreColumn column);
    static void setScoreValue(ScoreRecord &r, schema::ScoreColumn column, const QVariant &value);

protected:
    explicit SqlStore(const QString &connectionName);

    // A line as the score table takes it: a value for each of schema::kScoreColumns, in its
    // order (a double, a 64-bit number or a text).
    struct ScoreRow
    {
        QVariantList values;
    };
    static ScoreRow scoreRow(qint64 classId, qint64 student, const ScoreRecord &line);
    // addScores inside the open transaction. The caller keeps the changes only when the result
    // is Done with scores stored; otherwise it rolls them back.
    AddScoresResult addScoresWithin(qint64 teacher, const QList<ScoreRecord> &scores, qint64 uploadedAt,
                                    UnknownNames unknown);
    // After an upload of addScoresWithin was rolled back to a savepoint while the transaction
    // goes on.
    void uploadRolledBack(qint64 teacher, const AddScoresResult &result);
    // Stores the rows inside the open transaction, skipping those already stored (or
    // repeated); returns how many were stored. A database may do this its own faster way.
    virtual int insertScoreRows(const QList<ScoreRow> &rows);
    // Lines in one INSERT, at most: one statement per upload of the tool's usual size, and a
    // few prepared statements for every size.
    static constexpr int kInsertRowsAtOnce = 64;
    // A text as the database takes it (never NULL).
    virtual QString boundText(const QString &text) const { return text.isNull() ? QStringLiteral("") : text; }
    // Begins a transaction; false on failure. transactionEnded follows its commit or rollback.
    virtual bool beginTransaction() { return database().transaction(); }
    virtual void transactionEnded() {}
    // Called first in a transaction that only reads and must see one state throughout.
    virtual void beginSnapshot() {}

    QSqlDatabase database() const;
    // Statements are prepared once and kept; every result is read whole and the statement
    // finished, so no statement holds the database open between calls. StoreError on failure.
    QList<QVariantList> select(const QString &sql, const QVariantList &values = {});
    std::optional<QVariantList> selectOne(const QString &sql, const QVariantList &values = {});
    int change(const QString &sql, const QVariantList &values = {}); // rows affected
    void exec(const QString &sql);                                   // unprepared: schema, settings

    // Begins a transaction that rolls back unless commit() is called.
    class Transaction
    {
    public:
        explicit Transaction(SqlStore &store);
        ~Transaction();
        void commit();
        Transaction(const Transaction &) = delete;
        Transaction &operator=(const Transaction &) = delete;

    private:
        SqlStore &m_store;
        bool m_done = false;
    };

    void closeDatabase();
    // Creates or updates the schema in one transaction: steps[n] takes version n to n + 1.
    // first, when given, runs before anything else in it (to take a lock, say).
    void migrateSchema(const QList<QStringList> &steps, const QString &first = {});
    // After a statement failed: a database type whose connection can be lost checks it and
    // opens a new one, so the next request is served again; true when it did. A statement
    // that cannot have changed anything (a read outside a transaction, a transaction's begin)
    // is then run once more on the new connection; anything else fails, and its client sends
    // again (uploads are safe to repeat).
    virtual bool recoverConnection() { return false; }
    // Closes and opens the connection again (prepared statements are prepared anew); tells
    // the process's other connections to check theirs.
    bool reopenDatabase();

    // "t.id, t.account, ...": the columns teacherFromRow reads, from the table named so.
    static QString teacherColumns(const QString &table);
    static Teacher teacherFromRow(const QVariantList &row, qsizetype first);

    // A teacher's class and student ids as of a data version: an upload names its classes
    // and students by name, and reading their ids cost more than storing the lines. The
    // version grows with every change of the teacher's lists in any process, so ids kept
    // for the version an upload starts from are the ids in the database.
    struct TeacherIds
    {
        qint64 version = -1;
        QHash<QString, qint64> classes;                 // name -> id, of the classes read so far
        QHash<QPair<qint64, QString>, qint64> students; // (class id, name) -> id
    };
    // Shared by the connections of a process to one database (named by key).
    class IdCache
    {
    public:
        static std::shared_ptr<IdCache> of(const QString &database);
        std::optional<TeacherIds> find(qint64 teacher, qint64 version);
        void keep(qint64 teacher, const TeacherIds &ids); // unless a newer version is kept

    private:
        std::mutex m_mutex;
        QHash<qint64, TeacherIds> m_ids;
    };
    void useIdCache(const QString &database) { m_idCache = IdCache::of(database); }

private:
    QSqlQuery &run(const QString &sql, const QVariantList &values);
    [[noreturn]] void failed(const QString &what, const QSqlError &error);
    std::optional<qint64> classId(qint64 teacher, const QString &name);
    std::optional<qint64> topicId(qint64 teacher, const QString &name);
    void touch(qint64 teacher);
    qint64 touchedVersion(qint64 teacher); // touch, and the teacher's version after it
    StoreResult renameNamed(qint64 teacher, const QString &table, const QString &ownerColumn, qint64 owner,
                            const QString &from, const QString &to);
    // Brings the rows of table (owned by ownerColumn = owner) to the names in order.
    void replaceNamedList(const QString &table, const QString &ownerColumn, qint64 owner,
                          const QStringList &names, const QString &extraColumns,
                          const QVariantList &extraValues);

    QString m_connectionName;
    quint64 m_reopensSeen = 0; // of the process's reopened connections, when last checked
    QHash<QString, std::shared_ptr<QSqlQuery>> m_statements;
    int m_transactionDepth = 0;
    bool m_broken = false; // a statement of the open transaction failed
    std::shared_ptr<IdCache> m_idCache = std::make_shared<IdCache>();
    // Ids read or confirmed by the open transaction; kept in the cache once it commits.
    QHash<qint64, TeacherIds> m_pendingIds;
};

} // namespace corvanta::server
