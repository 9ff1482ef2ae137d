#include "SqlStore.h"
#include "SqlSchema.h"

#include <QSet>

#include <limits>

// The lists of a teacher (classes, students, topics, scales) and the scores; the connection,
// transactions, schema, teachers, check codes and lock-outs are in SqlStore.cpp.
namespace corvanta::server {

// --- lists ---

std::optional<qint64> SqlStore::classId(qint64 teacher, const QString &name)
{
    const auto row =
        selectOne(QStringLiteral("SELECT id FROM class WHERE teacher_id = ? AND name = ?"), {teacher, name});
    if (!row)
        return std::nullopt;
    return row->at(0).toLongLong();
}

std::optional<qint64> SqlStore::topicId(qint64 teacher, const QString &name)
{
    const auto row =
        selectOne(QStringLiteral("SELECT id FROM topic WHERE teacher_id = ? AND name = ?"), {teacher, name});
    if (!row)
        return std::nullopt;
    return row->at(0).toLongLong();
}

void SqlStore::replaceNamedList(const QString &table, const QString &ownerColumn, qint64 owner,
                                const QStringList &names, const QString &extraColumns,
                                const QVariantList &extraValues)
{
    QHash<QString, qint64> existing;
    for (const QVariantList &row :
         select(QStringLiteral("SELECT id, name FROM %1 WHERE %2 = ?").arg(table, ownerColumn), {owner}))
        existing.insert(row[1].toString(), row[0].toLongLong());

    QSet<QString> wanted(names.begin(), names.end());
    for (auto it = existing.cbegin(); it != existing.cend(); ++it) {
        if (!wanted.contains(it.key()))
            change(QStringLiteral("DELETE FROM %1 WHERE id = ?").arg(table), {it.value()});
    }
    QSet<QString> placed;
    int position = 0;
    for (const QString &name : names) {
        if (placed.contains(name))
            continue;
        placed.insert(name);
        if (existing.contains(name)) {
            change(QStringLiteral("UPDATE %1 SET position = ? WHERE id = ?").arg(table),
                   {position, existing.value(name)});
        } else {
            QString columns = ownerColumn + QStringLiteral(", name, position");
            QString marks = QStringLiteral("?, ?, ?");
            QVariantList values{owner, name, position};
            if (!extraColumns.isEmpty()) {
                columns += QStringLiteral(", ") + extraColumns;
                for (const QVariant &v : extraValues) {
                    marks += QStringLiteral(", ?");
                    values.append(v);
                }
            }
            change(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columns, marks), values);
        }
        ++position;
    }
}

QStringList SqlStore::classNames(qint64 teacher)
{
    QStringList names;
    for (const QVariantList &row : select(
             QStringLiteral("SELECT name FROM class WHERE teacher_id = ? ORDER BY position, id"), {teacher}))
        names.append(row[0].toString());
    return names;
}

void SqlStore::replaceClasses(qint64 teacher, const QStringList &names)
{
    Transaction tx(*this);
    touch(teacher);
    replaceNamedList(QStringLiteral("class"), QStringLiteral("teacher_id"), teacher, names, {}, {});
    tx.commit();
}

StoreResult SqlStore::renameNamed(qint64 teacher, const QString &table, const QString &ownerColumn,
                                  qint64 owner, const QString &from, const QString &to)
{
    Transaction tx(*this);
    touch(teacher);
    const QString find =
        QStringLiteral("SELECT id FROM %1 WHERE %2 = ? AND name = ?").arg(table, ownerColumn);
    const auto row = selectOne(find, {owner, from});
    if (!row)
        return StoreResult::NotFound;
    if (from == to)
        return StoreResult::Done;
    if (selectOne(find, {owner, to}))
        return StoreResult::NameTaken;
    change(QStringLiteral("UPDATE %1 SET name = ? WHERE id = ?").arg(table), {to, row->at(0)});
    tx.commit();
    return StoreResult::Done;
}

StoreResult SqlStore::renameClass(qint64 teacher, const QString &from, const QString &to)
{
    return renameNamed(teacher, QStringLiteral("class"), QStringLiteral("teacher_id"), teacher, from, to);
}

std::optional<QList<QPair<QString, int>>> SqlStore::students(qint64 teacher, const QString &className)
{
    const auto id = classId(teacher, className);
    if (!id)
        return std::nullopt;
    QList<QPair<QString, int>> out;
    for (const QVariantList &row : select(
             QStringLiteral("SELECT name, grp FROM student WHERE class_id = ? ORDER BY position, id"), {*id}))
        out.append({row[0].toString(), row[1].toInt()});
    return out;
}

StoreResult SqlStore::replaceStudents(qint64 teacher, const QString &className, const QStringList &names)
{
    Transaction tx(*this);
    touch(teacher);
    const auto id = classId(teacher, className);
    if (!id)
        return StoreResult::NotFound;
    replaceNamedList(QStringLiteral("student"), QStringLiteral("class_id"), *id, names, QStringLiteral("grp"),
                     {0});
    tx.commit();
    return StoreResult::Done;
}

StoreResult SqlStore::renameStudent(qint64 teacher, const QString &className, const QString &from,
                                    const QString &to)
{
    const auto cls = classId(teacher, className);
    if (!cls)
        return StoreResult::NotFound;
    return renameNamed(teacher, QStringLiteral("student"), QStringLiteral("class_id"), *cls, from, to);
}

StoreResult SqlStore::setGroups(qint64 teacher, const QString &className,
                                const QList<QPair<QString, int>> &groups)
{
    Transaction tx(*this);
    touch(teacher);
    const auto cls = classId(teacher, className);
    if (!cls)
        return StoreResult::NotFound;
    for (const auto &[name, group] : groups) {
        if (change(QStringLiteral("UPDATE student SET grp = ? WHERE class_id = ? AND name = ?"),
                   {group, *cls, name}) != 1)
            return StoreResult::NotFound;
    }
    tx.commit();
    return StoreResult::Done;
}

// --- topics and scales ---

QStringList SqlStore::topicNames(qint64 teacher)
{
    QStringList names;
    for (const QVariantList &row : select(
             QStringLiteral("SELECT name FROM topic WHERE teacher_id = ? ORDER BY position, id"), {teacher}))
        names.append(row[0].toString());
    return names;
}

void SqlStore::replaceTopics(qint64 teacher, const QStringList &names)
{
    Transaction tx(*this);
    touch(teacher);
    replaceNamedList(QStringLiteral("topic"), QStringLiteral("teacher_id"), teacher, names, {}, {});
    tx.commit();
}

StoreResult SqlStore::renameTopic(qint64 teacher, const QString &from, const QString &to)
{
    return renameNamed(teacher, QStringLiteral("topic"), QStringLiteral("teacher_id"), teacher, from, to);
}

std::optional<QList<Scale>> SqlStore::scales(qint64 teacher, const QString &topic)
{
    const auto id = topicId(teacher, topic);
    if (!id)
        return std::nullopt;
    QList<Scale> out;
    for (const QVariantList &row :
         select(QStringLiteral("SELECT id, text, score FROM scale WHERE topic_id = ? ORDER BY id"), {*id}))
        out.append({row[0].toLongLong(), row[1].toString(), row[2].toDouble()});
    return out;
}

StoreResult SqlStore::addScales(qint64 teacher, const QString &topic, const QList<Scale> &scales)
{
    Transaction tx(*this);
    touch(teacher);
    const auto id = topicId(teacher, topic);
    if (!id)
        return StoreResult::NotFound;
    for (const Scale &s : scales)
        change(QStringLiteral("INSERT INTO scale (topic_id, text, score) VALUES (?, ?, ?)"),
               {*id, s.text, s.score});
    tx.commit();
    return StoreResult::Done;
}

StoreResult SqlStore::editScale(qint64 teacher, qint64 scaleId, const QString &text, double score)
{
    Transaction tx(*this);
    touch(teacher);
    if (change(QStringLiteral("UPDATE scale SET text = ?, score = ? WHERE id = ? AND topic_id IN "
                              "(SELECT id FROM topic WHERE teacher_id = ?)"),
               {text, score, scaleId, teacher}) != 1)
        return StoreResult::NotFound;
    tx.commit();
    return StoreResult::Done;
}

void SqlStore::deleteScales(qint64 teacher, const QList<qint64> &ids)
{
    Transaction tx(*this);
    touch(teacher);
    for (qint64 id : ids)
        change(QStringLiteral("DELETE FROM scale WHERE id = ? AND topic_id IN (SELECT id FROM topic WHERE "
                              "teacher_id = ?)"),
               {id, teacher});
    tx.commit();
}

// --- scores ---

AddScoresResult SqlStore::addScores(qint64 teacher, const QList<ScoreRecord> &scores, qint64 uploadedAt,
                                    UnknownNames unknown)
{
    Transaction tx(*this);
    const AddScoresResult result = addScoresWithin(teacher, scores, uploadedAt, unknown);
    // Nothing new (a repeated upload): roll back, so the version and every cache stay.
    if (result.result == StoreResult::Done && result.stored > 0)
        tx.commit();
    return result;
}

AddScoresResult SqlStore::addScoresWithin(qint64 teacher, const QList<ScoreRecord> &scores, qint64 uploadedAt,
                                          UnknownNames unknown)
{
    AddScoresResult result;
    const qint64 version = touchedVersion(teacher);
    // Ids of the version before this upload: this transaction's own, or the process's.
    TeacherIds &ids = m_pendingIds[teacher];
    if (ids.version != version - 1) {
        ids = m_idCache->find(teacher, version - 1).value_or(TeacherIds{});
        ids.version = version - 1;
    }
    QSet<qint64> classes;
    QSet<QString> unknownClasses; // read once each
    QList<ScoreRow> rows;
    rows.reserve(scores.size());
    // Refused: all of them, or only this one.
    const auto refuse = [&](int i, bool unknownClass) {
        if (unknown == UnknownNames::Skip) {
            result.skipped.append({i, unknownClass});
            return false;
        }
        result.result = StoreResult::NotFound;
        result.failedIndex = i;
        result.unknownClass = unknownClass;
        return true;
    };
    for (int i = 0; i < scores.size(); ++i) {
        const ScoreRecord &s = scores[i];
        auto cls = ids.classes.constFind(s.className);
        if (cls == ids.classes.cend() && unknownClasses.contains(s.className)) {
            if (refuse(i, true))
                return result;
            continue;
        }
        if (cls == ids.classes.cend()) {
            // One read for the whole class: an upload names many of its students.
            const QList<QVariantList> found =
                select(QStringLiteral("SELECT c.id, s.id, s.name FROM class c LEFT JOIN student s ON "
                                      "s.class_id = c.id WHERE c.teacher_id = ? AND c.name = ?"),
                       {teacher, s.className});
            if (found.isEmpty()) {
                unknownClasses.insert(s.className);
                if (refuse(i, true))
                    return result;
                continue;
            }
            const qint64 id = found.first().at(0).toLongLong();
            cls = ids.classes.insert(s.className, id);
            for (const QVariantList &row : found) {
                if (!row.at(1).isNull())
                    ids.students.insert({id, row.at(2).toString()}, row.at(1).toLongLong());
            }
        }
        const auto stu = ids.students.constFind({cls.value(), s.student});
        if (stu == ids.students.cend()) {
            if (refuse(i, false))
                return result;
            continue;
        }
        classes.insert(cls.value());
        rows.append(scoreRow(cls.value(), stu.value(), s));
    }
    result.stored = insertScoreRows(rows);
    if (result.stored > 0) {
        for (const qint64 cls : std::as_const(classes))
            change(QStringLiteral("UPDATE class SET last_upload = ? WHERE id = ?"), {uploadedAt, cls});
    }
    ids.version = version; // an upload changes no id
    return result;
}

void SqlStore::uploadRolledBack(qint64 teacher, const AddScoresResult &result)
{
    // The version is again the one before the upload; refused ones never moved it on.
    const auto ids = m_pendingIds.find(teacher);
    if (ids != m_pendingIds.end() && result.result == StoreResult::Done)
        --ids->version;
}

int SqlStore::insertScoreRows(const QList<ScoreRow> &rows)
{
    int stored = 0;
    for (qsizetype first = 0; first < rows.size(); first += kInsertRowsAtOnce) {
        const qsizetype n = qMin(rows.size() - first, qsizetype(kInsertRowsAtOnce));
        QVariantList values;
        for (const ScoreRow &r : rows.mid(first, n))
            values << r.values;
        stored += change(schema::scoreInsert(int(n)), values);
    }
    return stored;
}

namespace {

} // namespace

QVariant SqlStore::scoreValue(const ScoreRecord &r, schema::ScoreColumn column)
{
    using schema::ScoreColumn;
    switch (column) {
    case ScoreColumn::Score:
        return r.score;
    case ScoreColumn::At:
        return qlonglong(r.time);
    case ScoreColumn::Topic:
        return r.topic;
    case ScoreColumn::Note:
        return r.note;
    case ScoreColumn::ClassId:
    case ScoreColumn::StudentId:
        break;
    }
    return {};
}

void SqlStore::setScoreValue(ScoreRecord &r, schema::ScoreColumn column, const QVariant &value)
{
    using schema::ScoreColumn;
    switch (column) {
    case ScoreColumn::Score:
        r.score = value.toDouble();
        break;
    case ScoreColumn::At:
        r.time = value.toLongLong();
        break;
    case ScoreColumn::Topic:
        r.topic = value.toString();
        break;
    case ScoreColumn::Note:
        r.note = value.toString();
        break;
    case ScoreColumn::ClassId:
    case ScoreColumn::StudentId:
        break;
    }
}

namespace {

// "a = ?, b = ?" (or joined by " AND ") over the line's values.
QString valueMarks(const QString &separator)
{
    QStringList marks;
    for (const schema::ScoreColumn c : schema::scoreValueColumns())
        marks.append(schema::columnName(c) + QStringLiteral(" = ?"));
    return marks.join(separator);
}

QVariantList recordValues(const ScoreRecord &r)
{
    QVariantList out;
    for (const schema::ScoreColumn c : schema::scoreValueColumns())
        out.append(SqlStore::scoreValue(r, c));
    return out;
}

} // namespace

SqlStore::ScoreRow SqlStore::scoreRow(qint64 classId, qint64 student, const ScoreRecord &line)
{
    ScoreRow row;
    for (const schema::ScoreColumn c : schema::kScoreColumns) {
        if (c == schema::ScoreColumn::ClassId)
            row.values.append(qlonglong(classId));
        else if (c == schema::ScoreColumn::StudentId)
            row.values.append(qlonglong(student));
        else
            row.values.append(scoreValue(line, c));
    }
    return row;
}

ScoreRecord SqlStore::scoreFromRow(const QVariantList &row)
{
    ScoreRecord r;
    r.id = row.value(0).toLongLong();
    r.className = row.value(1).toString();
    r.student = row.value(2).toString();
    const QList<schema::ScoreColumn> values = schema::scoreValueColumns();
    for (qsizetype i = 0; i < values.size(); ++i)
        setScoreValue(r, values[i], row.value(3 + i));
    return r;
}

std::optional<QList<ScoreRecord>> SqlStore::scoresOfClass(qint64 teacher, const QString &className)
{
    ScoreReading reading;
    reading.teacher = teacher;
    reading.className = className;
    return readScores(reading, std::numeric_limits<int>::max());
}

QList<ScoreRecord> SqlStore::recentScores(qint64 teacher, int n)
{
    QList<ScoreRecord> out;
    for (const QVariantList &row : select(
             QStringLiteral("SELECT sc.id, c.name, s.name, %1 FROM score sc "
                            "JOIN student s ON s.id = sc.student_id JOIN class c ON c.id = s.class_id "
                            "WHERE c.teacher_id = ? ORDER BY sc.at DESC, sc.id DESC LIMIT ?")
                 .arg(schema::scoreValueList(QStringLiteral("sc."))),
             {teacher, n}))
        out.append(scoreFromRow(row));
    return out;
}

StoreResult SqlStore::editScore(qint64 teacher, const ScoreRecord &record)
{
    Transaction tx(*this);
    touch(teacher);
    const auto row =
        selectOne(QStringLiteral("SELECT sc.student_id FROM score sc JOIN student s ON s.id = "
                                 "sc.student_id JOIN class c ON c.id = s.class_id WHERE sc.id = ? "
                                 "AND c.teacher_id = ?"),
                  {record.id, teacher});
    if (!row)
        return StoreResult::NotFound;
    const qint64 student = row->at(0).toLongLong();
    // The unique key would refuse the change: another score of the student holds its values.
    const QVariantList values = recordValues(record);
    if (selectOne(QStringLiteral("SELECT id FROM score WHERE student_id = ? AND %1 AND id <> ?")
                      .arg(valueMarks(QStringLiteral(" AND "))),
                  QVariantList{student} + values + QVariantList{record.id}))
        return StoreResult::Duplicate;
    change(QStringLiteral("UPDATE score SET %1 WHERE id = ?").arg(valueMarks(QStringLiteral(", "))),
           values + QVariantList{record.id});
    tx.commit();
    return StoreResult::Done;
}

void SqlStore::deleteScores(qint64 teacher, const QList<qint64> &ids)
{
    Transaction tx(*this);
    touch(teacher);
    for (qint64 id : ids)
        change(QStringLiteral("DELETE FROM score WHERE id = ? AND student_id IN (SELECT s.id FROM student s "
                              "JOIN class c ON c.id = s.class_id WHERE c.teacher_id = ?)"),
               {id, teacher});
    tx.commit();
}

} // namespace corvanta::server
