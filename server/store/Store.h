#pragma once

#include "net/RecordFormat.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <optional>
#include <stdexcept>

// The server's data, behind one interface so that another database (PostgreSQL) can take
// SQLite's place without any page noticing. Every method is one transaction: it happens
// whole or not at all. A failing database throws StoreError, which the server answers with
// status 500.
namespace corvanta::server {

class StoreError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct Teacher
{
    qint64 id = 0;
    QString account; // as registered
    QString name;
    QString email;
    QString mobile;
    QString phone;
    QString qq;
    QString loginVerifier;  // hashLoginVerifier of Md5Hex of the login password (older rows: the MD5)
    QString operationHash;  // slow salted hash of the operation password
    qint64 dataVersion = 0; // grows with every change of the teacher's data

    // How mail and pages address the teacher: "王 老师", but "王老师" for a name that already
    // says it.
    QString addressed() const
    {
        return name.endsWith(QStringLiteral("老师")) ? name : name + QStringLiteral(" 老师");
    }
};

struct ScoreRecord
{
    qint64 id = 0;
    QString className;
    QString student;
    double score = 0;
    qint64 time = 0; // Unix seconds
    QString topic;
    QString note;
};

// A class at a glance: the teacher's home page.
struct ClassSummary
{
    QString name;
    int students = 0;
    int scores = 0;
    qint64 lastUpload = 0; // Unix seconds; 0 when no upload has stored a score for it
};

// A student's scores summed up; every call of a student leaves one score.
struct StudentSummary
{
    QString name;
    int group = 0;
    int scores = 0;
    double total = 0;
    qint64 lastTime = 0; // time of the newest score; 0 without one
    double mean() const { return scores > 0 ? total / scores : 0; }
};

struct TopicSummary
{
    QString topic;
    int scores = 0;
    double total = 0;
    double mean() const { return scores > 0 ? total / scores : 0; }
};

// Scores summed up over the hour that starts at `start` (Unix seconds).
struct HourSummary
{
    qint64 start = 0;
    int scores = 0;
    double total = 0;
};

// A class page's figures, read in one snapshot.
struct ClassReport
{
    QString name;
    qint64 lastUpload = 0;
    QList<StudentSummary> students; // in list order
    QList<TopicSummary> topics;     // in no particular order
    QList<ScoreRecord> latest;      // newest first (by score time, then record)
    QList<qint64> scoreHours; // the hours (start, Unix seconds) holding scores of the class, oldest first
    QList<HourSummary> hours; // the class's scores by those hours
};

// A student's page: the figures, the student's and the class's means per topic and over time,
// one page of the student's scores. The student's part is read in one snapshot; the class's
// (classTopics, classHours, classScoreHours, classGrouped) is the store's to leave empty: the page takes it
// from the class's report, which the server keeps between requests.
struct StudentReport
{
    QString className;
    StudentSummary student;
    QList<TopicSummary> topics;      // the student's, in no particular order
    QList<TopicSummary> classTopics; // the whole class's, in no particular order
    // By the hour, oldest first: the student's scores, and the class's between the student's
    // first and last score.
    QList<HourSummary> hours;
    QList<HourSummary> classHours;
    QList<ScoreRecord> history; // the page asked for, newest first (by score time, then record)
    QList<qint64> classScoreHours; // as ClassReport::scoreHours
    bool classGrouped = false;     // a student of the class is in a group other than 0
};

// A download of a class's scores (or one student's of it) read a batch at a time, oldest first
// (by score time, then record): what was asked, and where the reading stands.
struct ScoreReading
{
    qint64 teacher = 0;
    QString className;
    std::optional<QString> student; // nullopt: every student of the class
    // Filled by the first batch: the class, the student (0 for all), and the teacher's data
    // version then; the rows that follow belong to that version.
    bool started = false;
    qint64 classId = 0;
    qint64 studentId = 0;
    qint64 dataVersion = 0;
    // The last score read: the next batch starts after it.
    qint64 afterTime = 0;
    qint64 afterId = 0;
    bool done = false; // the last batch has been read
};

// A signed-in browser, found by the hash of its token.
struct StoredSession
{
    Teacher teacher;
    qint64 lastUsed = 0; // Unix seconds
};

enum class StoreResult {
    Done,
    NotFound,  // the named class, student, topic or record does not exist
    NameTaken, // the new name is already used
    Duplicate, // an identical record exists
};

// A key's lock-out bookkeeping (see FailureLimiter).
struct FailureState
{
    qint64 lockedUntil = 0; // Unix seconds; 0 when never locked
    int failures = 0;       // failures counted since the last success or lock
};

// What an upload does with a score naming a class or student the teacher does not have.
enum class UnknownNames {
    RefuseAll, // nothing is stored; the first such score is named
    Skip,      // it is left out and listed; the others are stored
};

struct SkippedScore
{
    int index = -1; // in the scores given
    bool unknownClass = false;
};

struct AddScoresResult
{
    StoreResult result = StoreResult::Done;
    int failedIndex = -1; // first score naming an unknown class or student
    bool unknownClass = false;
    int stored = 0; // scores newly stored (identical ones are not stored again)
    QList<SkippedScore> skipped; // with UnknownNames::Skip, in their order
};

class Store
{
public:
    virtual ~Store() = default;

    // Called before a request uses the store: a store whose sibling connections (other
    // threads' of the same process) found the database restarted checks its own first, so
    // only one request of the process fails on it, not one per thread.
    virtual void checkConnection() {}

    // Accounts compare ignoring case.
    virtual std::optional<Teacher> teacherByAccount(const QString &account) = 0;
    // NameTaken when the account exists (ignoring case).
    virtual StoreResult createTeacher(const Teacher &teacher) = 0;
    // Empty optionals keep the stored value. A new login password ends the teacher's browser
    // sessions.
    virtual void updateTeacher(qint64 teacher, const std::optional<QString> &email,
                               const std::optional<QString> &loginVerifier,
                               const std::optional<QString> &operationHash) = 0;
    // Stores another form of the same login verifier, unless the stored one is no longer
    // `from` (the password changed meanwhile). Sessions and the data version stay.
    virtual void rehashLoginVerifier(qint64 teacher, const QString &from, const QString &to) = 0;

    virtual QStringList classNames(qint64 teacher) = 0;
    // Replaces the class list: removed classes lose their students and scores.
    virtual void replaceClasses(qint64 teacher, const QStringList &names) = 0;
    virtual StoreResult renameClass(qint64 teacher, const QString &from, const QString &to) = 0;
    // Students of a class in list order with their group; nullopt for an unknown class.
    virtual std::optional<QList<QPair<QString, int>>> students(qint64 teacher, const QString &className) = 0;
    // Replaces the student list: removed students lose their scores; new ones start in group 0.
    virtual StoreResult replaceStudents(qint64 teacher, const QString &className,
                                        const QStringList &names) = 0;
    virtual StoreResult renameStudent(qint64 teacher, const QString &className, const QString &from,
                                      const QString &to) = 0;
    // Sets the groups of the named students; NotFound (and nothing changed) when the class or
    // any student is unknown.
    virtual StoreResult setGroups(qint64 teacher, const QString &className,
                                  const QList<QPair<QString, int>> &groups) = 0;

    virtual QStringList topicNames(qint64 teacher) = 0;
    // Replaces the topic list: removed topics lose their scales; recorded scores keep their
    // topic text.
    virtual void replaceTopics(qint64 teacher, const QStringList &names) = 0;
    virtual StoreResult renameTopic(qint64 teacher, const QString &from, const QString &to) = 0;
    virtual std::optional<QList<Scale>> scales(qint64 teacher, const QString &topic) = 0;
    virtual StoreResult addScales(qint64 teacher, const QString &topic, const QList<Scale> &scales) = 0;
    virtual StoreResult editScale(qint64 teacher, qint64 scaleId, const QString &text, double score) = 0;
    // Ids that are not the teacher's are ignored, so a repeated request changes nothing.
    virtual void deleteScales(qint64 teacher, const QList<qint64> &ids) = 0;

    // All or nothing unless unknown says Skip: an unknown class or student stores none of
    // them. A class that gets a new score records uploadedAt (Unix seconds) as its last upload.
    virtual AddScoresResult addScores(qint64 teacher, const QList<ScoreRecord> &scores, qint64 uploadedAt,
                                      UnknownNames unknown = UnknownNames::RefuseAll) = 0;
    virtual std::optional<QList<ScoreRecord>> scoresOfClass(qint64 teacher, const QString &className) = 0;
    // The next at most `limit` scores of the reading, each batch a transaction of its own, so
    // that a download a slow client takes holds neither a transaction nor a snapshot between
    // batches. The first batch finds the class or student: nullopt when the teacher has none
    // such. A later batch throws StoreError when the teacher's data changed since the first:
    // the rows read before would not belong with the rest.
    virtual std::optional<QList<ScoreRecord>> readScores(ScoreReading &reading, int limit) = 0;
    // The n most recent records, newest first (by score time, then record).
    virtual QList<ScoreRecord> recentScores(qint64 teacher, int n) = 0;
    // NotFound for a record that is not the teacher's; Duplicate when another record would
    // become identical to it.
    virtual StoreResult editScore(qint64 teacher, const ScoreRecord &record) = 0;
    virtual void deleteScores(qint64 teacher, const QList<qint64> &ids) = 0;

    virtual RecordData recordData(qint64 teacher) = 0;

    // The characters of all the teacher's score notes together.
    virtual qint64 noteChars(qint64 teacher) = 0;
    // Bytes free for the database's files; nullopt where the database lives elsewhere.
    virtual std::optional<qint64> freeDiskBytes() { return std::nullopt; }

    // The web pages' figures: every class of the teacher in list order; one class with at most
    // `latest` of its newest scores (nullopt when the teacher has no such class).
    virtual QList<ClassSummary> classSummaries(qint64 teacher) = 0;
    virtual std::optional<ClassReport> classReport(qint64 teacher, const QString &className, int latest) = 0;
    // A student of one of the teacher's classes with `limit` of its scores from the `offset`-th
    // newest, without the class's part (nullopt when the teacher has no such class or it no
    // such student); every score of
    // the student, oldest first, for the download.
    virtual std::optional<StudentReport> studentReport(qint64 teacher, const QString &className,
                                                       const QString &student, int offset, int limit) = 0;
    virtual std::optional<QList<ScoreRecord>> scoresOfStudent(qint64 teacher, const QString &className,
                                                              const QString &student) = 0;

    // Browser sessions, kept only as a hash of their token. Starting one forgets every
    // session last used before staleBefore.
    virtual void startSession(const QString &tokenHash, qint64 teacher, qint64 now, qint64 staleBefore) = 0;
    virtual std::optional<StoredSession> session(const QString &tokenHash) = 0;
    virtual void touchSession(const QString &tokenHash, qint64 now) = 0;
    virtual void endSession(const QString &tokenHash) = 0;

    // A check code of the teacher. The kKeptCheckCodes newest stay valid until they expire:
    // a code asked for by someone else does not void the one the teacher is typing.
    virtual void putCheckCode(qint64 teacher, const QString &codeHash, qint64 expiresAt) = 0;
    static constexpr int kKeptCheckCodes = 3;
    // True when the code matches one that has not expired; then every code of the teacher
    // is used up.
    virtual bool takeCheckCode(qint64 teacher, const QString &codeHash, qint64 now) = 0;

    // The addresses a teacher signed in from: noted at time at (and those noted before
    // forgetBefore forgotten), asked for since a time.
    virtual void noteSignIn(qint64 teacher, const QString &address, qint64 at, qint64 forgetBefore) = 0;
    virtual bool signedInFrom(qint64 teacher, const QString &address, qint64 since) = 0;

    // Counts a check code mailed to the teacher at time at, unless one went within the last
    // minute or kMaxCheckCodesPerDay within the last day: false then, and nothing counted
    // (dailyLimit, when given, tells which). Kept in the database, so the limit holds
    // across server processes.
    virtual bool countCheckCode(qint64 teacher, qint64 at, bool *dailyLimit = nullptr) = 0;
    static constexpr int kMaxCheckCodesPerDay = 10;
    static constexpr qint64 kCheckCodeGapSeconds = 60;

    // Failed password checks, kept where every server process on the database counts them.
    virtual FailureState failureState(const QString &key) = 0;
    // A password check's reads at once: the teacher of the account and the state of each key
    // made of a (prefix, suffix) pair around the teacher's id; nullopt without such a teacher.
    struct TeacherWithFailures
    {
        Teacher teacher;
        QList<FailureState> failures; // one per pair, in order
    };
    virtual std::optional<TeacherWithFailures> teacherWithFailures(const QString &account,
                                                                   const QList<QPair<QString, QString>> &keys) = 0;
    // Counts a failure at time at, forgets those before since; the count now kept.
    virtual int addFailure(const QString &key, qint64 at, qint64 since) = 0;
    // Locks the key until then; its failures start again from none.
    virtual void lockOut(const QString &key, qint64 until) = 0;
    // Forgets the key's failures and lock.
    virtual void clearFailures(const QString &key) = 0;
};

} // namespace corvanta::server
