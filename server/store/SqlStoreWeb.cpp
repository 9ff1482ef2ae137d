#include "SqlStore.h"
#include "SqlSchema.h"

#include <limits>
#include <optional>

// What the web pages read (class summaries and a class's figures) and their sign-in sessions.
// The figures are summed up by the database: a class page must not carry every score of a
// class through the driver.
namespace corvanta::server {

namespace {

// A score read as "id, class name, student name, " + schema::scoreValueList(), of the class.
ScoreRecord webScore(const QVariantList &row, const QString &className)
{
    ScoreRecord r = SqlStore::scoreFromRow(row);
    r.className = className;
    return r;
}

// A student of a teacher's class, by the names: class id, class name, student id, student
// name, group.
const QString kFindStudent = QStringLiteral(
    "SELECT c.id, c.name, s.id, s.name, s.grp FROM class c JOIN student s ON s.class_id = c.id "
    "WHERE c.teacher_id = ? AND c.name = ? AND s.name = ?");

// Columns: hour start, count, sum.
QList<HourSummary> hours(const QList<QVariantList> &rows)
{
    QList<HourSummary> out;
    for (const QVariantList &row : rows)
        out.append({row[0].toLongLong() * 3600, row[1].toInt(), row[2].toDouble()});
    return out;
}

} // namespace

qint64 SqlStore::noteChars(qint64 teacher)
{
    const auto row =
        selectOne(QStringLiteral("SELECT COALESCE(SUM(LENGTH(note)), 0) FROM score WHERE class_id IN "
                                 "(SELECT id FROM class WHERE teacher_id = ?)"),
                  {teacher});
    return row ? row->at(0).toLongLong() : 0;
}

QList<ClassSummary> SqlStore::classSummaries(qint64 teacher)
{
    Transaction tx(*this);
    beginSnapshot();
    QList<ClassSummary> out;
    QHash<qint64, qsizetype> index;
    for (const QVariantList &row :
         select(QStringLiteral(
                    "SELECT c.id, c.name, c.last_upload, COUNT(s.id) FROM class c LEFT JOIN student s ON "
                    "s.class_id = c.id WHERE c.teacher_id = ? GROUP BY c.id, c.name, c.last_upload, "
                    "c.position ORDER BY c.position, c.id"),
                {teacher})) {
        index.insert(row[0].toLongLong(), out.size());
        out.append({row[1].toString(), row[3].toInt(), 0, row[2].toLongLong()});
    }
    for (const QVariantList &row :
         select(QStringLiteral(
                    "SELECT class_id, COUNT(*) FROM score WHERE class_id IN (SELECT id FROM class WHERE "
                    "teacher_id = ?) GROUP BY class_id"),
                {teacher})) {
        const auto at = index.constFind(row[0].toLongLong());
        if (at != index.cend())
            out[at.value()].scores = row[1].toInt();
    }
    tx.commit();
    return out;
}

std::optional<ClassReport> SqlStore::classReport(qint64 teacher, const QString &className, int latest)
{
    // One snapshot: an upload committing meanwhile shows in every figure or in none.
    Transaction tx(*this);
    beginSnapshot();
    const auto cls =
        selectOne(QStringLiteral("SELECT id, name, last_upload FROM class WHERE teacher_id = ? AND name = ?"),
                  {teacher, className});
    if (!cls)
        return std::nullopt;
    const qint64 id = cls->at(0).toLongLong();
    ClassReport report;
    report.name = cls->at(1).toString();
    report.lastUpload = cls->at(2).toLongLong();
    QHash<qint64, qsizetype> studentIndex;
    for (const QVariantList &row : select(
             QStringLiteral("SELECT id, name, grp FROM student WHERE class_id = ? ORDER BY position, id"), {id})) {
        studentIndex.insert(row[0].toLongLong(), report.students.size());
        report.students.append({row[1].toString(), row[2].toInt(), 0, 0, 0});
    }
    // Both sums in one pass over the class's scores (found by the class index).
    QHash<QString, qsizetype> topicIndex;
    for (const QVariantList &row :
         select(QStringLiteral("SELECT student_id, topic, COUNT(*), SUM(score), MAX(at) FROM score WHERE "
                               "class_id = ? GROUP BY student_id, topic"),
                {id})) {
        const int count = row[2].toInt();
        const double sum = row[3].toDouble();
        if (const auto at = studentIndex.constFind(row[0].toLongLong()); at != studentIndex.cend()) {
            StudentSummary &student = report.students[at.value()];
            student.scores += count;
            student.total += sum;
            student.lastTime = qMax(student.lastTime, row[4].toLongLong());
        }
        const QString topic = row[1].toString();
        auto at = topicIndex.constFind(topic);
        if (at == topicIndex.cend()) {
            at = topicIndex.insert(topic, report.topics.size());
            report.topics.append({topic, 0, 0});
        }
        report.topics[at.value()].scores += count;
        report.topics[at.value()].total += sum;
    }
    for (const QVariantList &row :
         select(QStringLiteral(
                    "SELECT sc.id, '', s.name, %1 FROM score sc JOIN student "
                    "s ON s.id = sc.student_id WHERE sc.class_id = ? ORDER BY sc.at DESC, sc.id DESC "
                    "LIMIT ?")
                    .arg(schema::scoreValueList(QStringLiteral("sc."))),
                {id, latest}))
        report.latest.append(webScore(row, report.name));
    // By the hour, so the pages can take them to days in their own time zone: the hours holding
    // scores are what the pages count lessons from.
    report.hours = hours(select(QStringLiteral("SELECT at / 3600, COUNT(*), SUM(score) FROM score WHERE "
                                               "class_id = ? GROUP BY at / 3600 ORDER BY at / 3600"),
                                {id}));
    report.scoreHours.reserve(report.hours.size());
    for (const HourSummary &hour : std::as_const(report.hours))
        report.scoreHours.append(hour.start);
    tx.commit();
    return report;
}

std::optional<StudentReport> SqlStore::studentReport(qint64 teacher, const QString &className,
                                                     const QString &student, int offset, int limit)
{
    Transaction tx(*this);
    beginSnapshot();
    const auto found = selectOne(kFindStudent, {teacher, className, student});
    if (!found)
        return std::nullopt;
    const qint64 studentId = found->at(2).toLongLong();
    StudentReport report;
    report.className = found->at(1).toString();
    report.student.name = found->at(3).toString();
    report.student.group = found->at(4).toInt();
    const auto totals = selectOne(QStringLiteral("SELECT COUNT(*), COALESCE(SUM(score), 0), COALESCE(MAX(at), 0) "
                                                 "FROM score WHERE student_id = ?"),
                                  {studentId});
    report.student.scores = totals->at(0).toInt();
    report.student.total = totals->at(1).toDouble();
    report.student.lastTime = totals->at(2).toLongLong();
    for (const QVariantList &row : select(
             QStringLiteral("SELECT topic, COUNT(*), SUM(score) FROM score WHERE student_id = ? GROUP BY topic"),
             {studentId}))
        report.topics.append({row[0].toString(), row[1].toInt(), row[2].toDouble()});
    // By the hour, so the page can take them to days in its own time zone.
    report.hours = hours(select(QStringLiteral("SELECT at / 3600, COUNT(*), SUM(score) FROM score WHERE "
                                               "student_id = ? GROUP BY at / 3600 ORDER BY at / 3600"),
                                {studentId}));
    for (const QVariantList &row :
         select(QStringLiteral("SELECT id, '', '', %1 FROM score WHERE student_id = ? "
                               "ORDER BY at DESC, id DESC LIMIT ? OFFSET ?")
                    .arg(schema::scoreValueList()),
                {studentId, limit, offset})) {
        report.history.append(webScore(row, report.className));
        report.history.last().student = report.student.name;
    }
    tx.commit();
    return report;
}

std::optional<QList<ScoreRecord>> SqlStore::scoresOfStudent(qint64 teacher, const QString &className,
                                                            const QString &student)
{
    ScoreReading reading;
    reading.teacher = teacher;
    reading.className = className;
    reading.student = student;
    return readScores(reading, std::numeric_limits<int>::max());
}

std::optional<QList<ScoreRecord>> SqlStore::readScores(ScoreReading &reading, int limit)
{
    // After the last score read, by the class's index (class, time, record) or the student's
    // key (student, time, ...); the time read last, for the next batch to start after, and
    // the teacher's data version in the same statement (one snapshot, one round trip).
    static const QString kColumns =
        QStringLiteral("SELECT sc.id, '', s.name, %1, sc.at, (SELECT data_version FROM teacher WHERE id = ?) "
                       "FROM score sc JOIN student s ON s.id = sc.student_id ")
            .arg(schema::scoreValueList(QStringLiteral("sc.")));
    static const QString kAfter = QStringLiteral(" AND (sc.at, sc.id) > (?, ?) ORDER BY sc.at, sc.id LIMIT ?");
    static const QString kOfClass = kColumns + QStringLiteral("WHERE sc.class_id = ?") + kAfter;
    static const QString kOfStudent = kColumns + QStringLiteral("WHERE sc.student_id = ?") + kAfter;
    if (reading.done)
        return QList<ScoreRecord>();
    // The first batch finds the class or student in the snapshot it reads in; a later one
    // is a statement of its own.
    const bool first = !reading.started;
    std::optional<Transaction> tx;
    if (first) {
        tx.emplace(*this);
        beginSnapshot();
        const auto found =
            reading.student ? selectOne(kFindStudent, {reading.teacher, reading.className, *reading.student})
                            : selectOne(QStringLiteral("SELECT id, name FROM class WHERE teacher_id = ? AND name = ?"),
                                        {reading.teacher, reading.className});
        if (!found)
            return std::nullopt;
        reading.started = true;
        reading.classId = found->at(0).toLongLong();
        reading.className = found->at(1).toString();
        if (reading.student) {
            reading.studentId = found->at(2).toLongLong();
            reading.student = found->at(3).toString();
        }
        reading.afterTime = std::numeric_limits<qint64>::min();
        reading.afterId = 0;
    }
    // One more than asked: whether this is the last batch.
    const QList<QVariantList> rows =
        select(reading.student ? kOfStudent : kOfClass,
               {reading.teacher, reading.student ? reading.studentId : reading.classId, reading.afterTime,
                reading.afterId, qint64(limit) + 1});
    // A later batch always has a row, unless scores went meanwhile.
    const auto version =
        rows.isEmpty() ? selectOne(QStringLiteral("SELECT data_version FROM teacher WHERE id = ?"), {reading.teacher})
                       : std::optional(QVariantList{rows.constFirst().constLast()});
    if (first)
        reading.dataVersion = version ? version->at(0).toLongLong() : 0;
    else if (!version || version->at(0).toLongLong() != reading.dataVersion)
        throw StoreError("the teacher's data changed while the scores were read");
    reading.done = rows.size() <= limit;
    const qsizetype taken = qMin<qsizetype>(rows.size(), limit);
    QList<ScoreRecord> out;
    out.reserve(taken);
    for (qsizetype i = 0; i < taken; ++i)
        out.append(webScore(rows[i], reading.className));
    if (taken > 0) {
        const QVariantList &last = rows[taken - 1];
        reading.afterTime = last.at(last.size() - 2).toLongLong();
        reading.afterId = last.constFirst().toLongLong();
    }
    if (tx)
        tx->commit();
    return out;
}

// --- sessions ---

void SqlStore::startSession(const QString &tokenHash, qint64 teacher, qint64 now, qint64 staleBefore)
{
    Transaction tx(*this);
    change(QStringLiteral("DELETE FROM web_session WHERE last_used < ?"), {staleBefore});
    change(QStringLiteral("INSERT INTO web_session (token_hash, teacher_id, last_used) VALUES (?, ?, ?)"),
           {tokenHash, teacher, now});
    tx.commit();
}

std::optional<StoredSession> SqlStore::session(const QString &tokenHash)
{
    static const QString sql = QStringLiteral("SELECT ws.last_used, %1 FROM web_session ws JOIN teacher t ON "
                                              "t.id = ws.teacher_id WHERE ws.token_hash = ?")
                                   .arg(teacherColumns(QStringLiteral("t")));
    const auto row = selectOne(sql, {tokenHash});
    if (!row)
        return std::nullopt;
    return StoredSession{teacherFromRow(*row, 1), row->at(0).toLongLong()};
}

void SqlStore::touchSession(const QString &tokenHash, qint64 now)
{
    // Never backwards: another process may have recorded a later use.
    change(QStringLiteral("UPDATE web_session SET last_used = ? WHERE token_hash = ? AND last_used < ?"),
           {now, tokenHash, now});
}

void SqlStore::endSession(const QString &tokenHash)
{
    change(QStringLiteral("DELETE FROM web_session WHERE token_hash = ?"), {tokenHash});
}

} // namespace corvanta::server
