#include "SqlSchema.h"

#include <QDateTime>
#include <QTimeZone>

#include <limits>

namespace corvanta::server::schema {

namespace {

// Kinds in the statements below: {key} an own id, {int} a 64-bit whole number (ids of other
// rows, times), {real} a floating-point number; {once} the score's unique key where SQLite
// keeps it.
struct Statement
{
    const char *sql;
    enum { Both, SqliteOnly, PostgresOnly } only = Both;
};

struct Step
{
    std::initializer_list<Statement> statements;
    // The step that turns stored score times into calendar seconds: its statements depend on
    // the server's zone. It keeps its place in the list, as every step must.
    bool scoreTimes = false;
    // The step remakes the score's unique key from the column list (after its statements).
    // Only the last such step makes it: one before it would name columns not added yet, and
    // the later one makes the key anyway.
    bool scoreKey = false;
    // ... on SQLite only: PostgreSQL keeps the key an earlier step made.
    bool scoreKeySqliteOnly = false;
};

const Step kSteps[] = {
    {{
        {"CREATE TABLE teacher ("
         " id {key},"
         " account TEXT NOT NULL,"
         " account_key TEXT NOT NULL UNIQUE,"
         " name TEXT NOT NULL,"
         " email TEXT NOT NULL,"
         " mobile TEXT NOT NULL DEFAULT '',"
         " phone TEXT NOT NULL DEFAULT '',"
         " qq TEXT NOT NULL DEFAULT '',"
         " login_verifier TEXT NOT NULL,"
         " operation_hash TEXT NOT NULL,"
         " data_version {int} NOT NULL DEFAULT 0)"},
        {"CREATE TABLE class ("
         " id {key},"
         " teacher_id {int} NOT NULL REFERENCES teacher(id) ON DELETE CASCADE,"
         " name TEXT NOT NULL,"
         " position INTEGER NOT NULL,"
         " UNIQUE (teacher_id, name))"},
        {"CREATE TABLE student ("
         " id {key},"
         " class_id {int} NOT NULL REFERENCES class(id) ON DELETE CASCADE,"
         " name TEXT NOT NULL,"
         " grp INTEGER NOT NULL DEFAULT 0,"
         " position INTEGER NOT NULL,"
         " UNIQUE (class_id, name))"},
        {"CREATE TABLE topic ("
         " id {key},"
         " teacher_id {int} NOT NULL REFERENCES teacher(id) ON DELETE CASCADE,"
         " name TEXT NOT NULL,"
         " position INTEGER NOT NULL,"
         " UNIQUE (teacher_id, name))"},
        {"CREATE TABLE scale ("
         " id {key},"
         " topic_id {int} NOT NULL REFERENCES topic(id) ON DELETE CASCADE,"
         " text TEXT NOT NULL,"
         " score {real} NOT NULL)"},
        {"CREATE INDEX scale_topic ON scale (topic_id)"},
        // The unique key is what keeps a repeated upload from storing a line twice, however
        // many processes accept it at the same time ({once}: SQLite's, in the table).
        {"CREATE TABLE score ("
         " id {key},"
         " student_id {int} NOT NULL REFERENCES student(id) ON DELETE CASCADE,"
         " score {real} NOT NULL,"
         " at {int} NOT NULL,"
         " topic TEXT NOT NULL,"
         " note TEXT NOT NULL{once})"},
        // Texts enter PostgreSQL's key hashed: an index entry cannot hold a long note.
        {"CREATE UNIQUE INDEX score_once ON score (student_id, at, score, md5(topic), md5(note))",
         Statement::PostgresOnly},
        {"CREATE TABLE check_code ("
         " teacher_id {int} PRIMARY KEY REFERENCES teacher(id) ON DELETE CASCADE,"
         " code_hash TEXT NOT NULL,"
         " expires_at {int} NOT NULL)"},
    }},
    // Lock-out counting moved from memory into the database.
    {{
        {"CREATE TABLE failure (key TEXT NOT NULL, at {int} NOT NULL)"},
        {"CREATE INDEX failure_key ON failure (key)"},
        {"CREATE TABLE lock_out (key TEXT PRIMARY KEY, locked_until {int} NOT NULL)"},
    }},
    // Sessions of the web pages (only a hash of each token), and when a class last got scores.
    {{
        {"CREATE TABLE web_session ("
         " token_hash TEXT PRIMARY KEY,"
         " teacher_id {int} NOT NULL REFERENCES teacher(id) ON DELETE CASCADE,"
         " last_used {int} NOT NULL)"},
        {"CREATE INDEX web_session_teacher ON web_session (teacher_id)"},
        {"CREATE INDEX web_session_used ON web_session (last_used)"},
        {"ALTER TABLE class ADD COLUMN last_upload {int} NOT NULL DEFAULT 0"},
    }},
    // Check codes mailed per teacher, for the limit of one a minute and ten a day.
    {{
        {"CREATE TABLE code_sent ("
         " teacher_id {int} NOT NULL REFERENCES teacher(id) ON DELETE CASCADE,"
         " at {int} NOT NULL)"},
        {"CREATE INDEX code_sent_teacher ON code_sent (teacher_id)"},
    }},
    // A score's class of its own: a class's figures are read by the index, without going
    // through its students. A student never changes class, so the copy cannot go stale.
    {{
        {"ALTER TABLE score ADD COLUMN class_id {int} NOT NULL DEFAULT 0"},
        {"UPDATE score SET class_id = (SELECT s.class_id FROM student s WHERE s.id = score.student_id)"},
        // A class's scores, newest first. One index only: a covering index of the figures
        // (class, student, topic, score, time) made the first class page after a change 7 ms
        // instead of 14 ms on SQLite but cost a third of the upload rate at the bell.
        {"CREATE INDEX score_class ON score (class_id, at, id)"},
    }},
    // Score times were Unix seconds of the server's local time: the text a score showed hung on
    // the server's zone, and a text its zone skips could not be kept. They become the calendar
    // seconds of the same text, read in the zone the server has always run in.
    {{}, true},
    // Several check codes of a teacher valid at once, and where each teacher signed in from
    // (such an address is not held by the pause of the account's password checks).
    {{
        {"CREATE TABLE reset_code ("
         " teacher_id {int} NOT NULL REFERENCES teacher(id) ON DELETE CASCADE,"
         " code_hash TEXT NOT NULL,"
         " expires_at {int} NOT NULL)"},
        {"CREATE INDEX reset_code_teacher ON reset_code (teacher_id)"},
        {"INSERT INTO reset_code (teacher_id, code_hash, expires_at) "
         "SELECT teacher_id, code_hash, expires_at FROM check_code"},
        {"DROP TABLE check_code"},
        {"CREATE TABLE signed_in_from ("
         " teacher_id {int} NOT NULL REFERENCES teacher(id) ON DELETE CASCADE,"
         " address TEXT NOT NULL,"
         " at {int} NOT NULL,"
         " PRIMARY KEY (teacher_id, address))"},
    }},
    // The score's unique key becomes an index named "score_once" on both databases, made from
    // the column list. SQLite kept it inside its table, where it cannot be dropped: the table
    // is copied without it, every row with its id, and its index made again.
    {{
         {"CREATE TABLE score_keyed ("
          " id {key},"
          " student_id {int} NOT NULL REFERENCES student(id) ON DELETE CASCADE,"
          " score {real} NOT NULL,"
          " at {int} NOT NULL,"
          " topic TEXT NOT NULL,"
          " note TEXT NOT NULL,"
          " class_id {int} NOT NULL DEFAULT 0)",
          Statement::SqliteOnly},
         {"INSERT INTO score_keyed (id, student_id, score, at, topic, note, class_id) "
          "SELECT id, student_id, score, at, topic, note, class_id FROM score",
          Statement::SqliteOnly},
         {"DROP TABLE score", Statement::SqliteOnly},
         {"ALTER TABLE score_keyed RENAME TO score", Statement::SqliteOnly},
         {"CREATE INDEX score_class ON score (class_id, at, id)", Statement::SqliteOnly},
     },
     false, true},
    // PostgreSQL tells every listening server process, on commit, of each change that decides
    // a sign-in or a record file: a teacher's row (its passwords, its data version, which
    // every change of its data bumps) and its failure counts and lock-outs. The notice names
    // the teacher; notices of one transaction with the same text come once.
    {{
        {"CREATE FUNCTION corvanta_teacher_changed() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
         " IF TG_TABLE_NAME = 'teacher' THEN PERFORM pg_notify('corvanta_teacher', OLD.id::text);"
         " ELSIF TG_OP = 'DELETE' THEN"
         "  PERFORM pg_notify('corvanta_teacher', split_part(split_part(OLD.key, ':', 2), '@', 1));"
         " ELSE PERFORM pg_notify('corvanta_teacher', split_part(split_part(NEW.key, ':', 2), '@', 1));"
         " END IF; RETURN NULL; END $$",
         Statement::PostgresOnly},
        // Not for the row lock a write takes first (an update that changes nothing).
        {"CREATE TRIGGER teacher_changed AFTER UPDATE ON teacher FOR EACH ROW"
         " WHEN (OLD.* IS DISTINCT FROM NEW.*) EXECUTE FUNCTION corvanta_teacher_changed()",
         Statement::PostgresOnly},
        {"CREATE TRIGGER teacher_deleted AFTER DELETE ON teacher FOR EACH ROW"
         " EXECUTE FUNCTION corvanta_teacher_changed()",
         Statement::PostgresOnly},
        {"CREATE TRIGGER failure_changed AFTER INSERT OR DELETE ON failure FOR EACH ROW"
         " EXECUTE FUNCTION corvanta_teacher_changed()",
         Statement::PostgresOnly},
        {"CREATE TRIGGER lock_out_changed AFTER INSERT OR UPDATE OR DELETE ON lock_out FOR EACH ROW"
         " EXECUTE FUNCTION corvanta_teacher_changed()",
         Statement::PostgresOnly},
    }},
    // SQLite's unique key starts with the time: the lines of the uploads at the bell, all of
    // about the same time, go into a few pages at its end, not each into a page of its
    // student's. A student's scores are found by an index of their own, whose entries hold no
    // texts: more students share a page of it, and the record file's and the student page's
    // counts and sums are read from it alone.
    {{
         {"CREATE INDEX score_student ON score (student_id, at, score)", Statement::SqliteOnly},
     },
     false, true, true},
};

QString spelled(Dialect dialect, const char *sql)
{
    const bool pg = dialect == Dialect::Postgres;
    QString text = QString::fromLatin1(sql);
    text.replace(QStringLiteral("{key}"), pg ? QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                                             : QStringLiteral("INTEGER PRIMARY KEY"));
    text.replace(QStringLiteral("{int}"), pg ? QStringLiteral("BIGINT") : QStringLiteral("INTEGER"));
    text.replace(QStringLiteral("{real}"), pg ? QStringLiteral("DOUBLE PRECISION") : QStringLiteral("REAL"));
    text.replace(QStringLiteral("{once}"), pg ? QString() : QStringLiteral(", UNIQUE (student_id, at, score, topic, note)"));
    return text;
}

} // namespace

QStringList scoreTimesAsWritten(const QList<ZoneSpan> &spans)
{
    // Each span's shift from Unix seconds to calendar seconds after 1970-01-01 08:00.
    QList<QPair<qint64, qint64>> shifts; // (first second of the span, shift)
    // Where clocks went back, the hour after the change shows the texts of the hour before.
    QStringList again;
    for (qsizetype i = 0; i < spans.size(); ++i) {
        const qint64 shift = spans[i].offset - 8 * 3600;
        if (shifts.isEmpty() || shifts.last().second != shift)
            shifts.append({spans[i].from, shift});
        if (i > 0 && spans[i].offset < spans[i - 1].offset) {
            const qint64 back = spans[i - 1].offset - spans[i].offset;
            again.append(QStringLiteral("(s.at >= %1 AND s.at < %2 AND o.at = s.at - %3)")
                             .arg(spans[i].from)
                             .arg(spans[i].from + back)
                             .arg(back));
        }
    }
    if (shifts.isEmpty() || (shifts.size() == 1 && shifts[0].second == 0))
        return {};
    QString shift = QString::number(shifts[0].second);
    if (shifts.size() > 1) {
        shift = QStringLiteral("CASE");
        for (qsizetype i = 1; i < shifts.size(); ++i)
            shift += QStringLiteral(" WHEN at < %1 THEN %2").arg(shifts[i].first).arg(shifts[i - 1].second);
        shift += QStringLiteral(" ELSE %1 END").arg(shifts.last().second);
    }
    // A score in such an hour with a twin of the same key an hour before showed the same text
    // as its twin: it keeps its place one second later rather than being lost.
    QString twins = QStringLiteral("SELECT s.id FROM score s WHERE 1 = 0");
    if (!again.isEmpty())
        twins = QStringLiteral("SELECT s.id FROM score s JOIN score o ON o.student_id = s.student_id AND "
                               "o.score = s.score AND o.topic = s.topic AND o.note = s.note WHERE ") +
                again.join(QStringLiteral(" OR "));
    // Through a range no time reaches (2^40 below), so that no row meets another's old time
    // under the unique key on its way.
    const QString away = QStringLiteral("1099511627776");
    return {QStringLiteral("CREATE TEMPORARY TABLE score_twin AS ") + twins,
            QStringLiteral("UPDATE score SET at = at + (%1) - %2 + "
                           "CASE WHEN id IN (SELECT id FROM score_twin) THEN 1 ELSE 0 END")
                .arg(shift, away),
            QStringLiteral("UPDATE score SET at = at + %1").arg(away), QStringLiteral("DROP TABLE score_twin")};
}

QList<ZoneSpan> localZoneSpans()
{
    const QDateTime from(QDate(1900, 1, 1), QTime(0, 0), Qt::UTC);
    const QDateTime to(QDate(2200, 1, 1), QTime(0, 0), Qt::UTC);
    // The offsets the old times were written with: those of QDateTime's local time.
    const auto offsetAt = [](qint64 at) { return qint64(QDateTime::fromSecsSinceEpoch(at).offsetFromUtc()); };
    QList<ZoneSpan> spans{{std::numeric_limits<qint64>::min(), offsetAt(from.toSecsSinceEpoch())}};
    const QTimeZone zone = QTimeZone::systemTimeZone();
    if (zone.hasTransitions()) {
        for (const QTimeZone::OffsetData &t : zone.transitions(from, to)) {
            const qint64 at = t.atUtc.toSecsSinceEpoch();
            spans.append({at, offsetAt(at)});
        }
    } else {
        spans[0].offset = offsetAt(QDateTime::currentSecsSinceEpoch());
    }
    return spans;
}

QList<QStringList> steps(Dialect dialect)
{
    const Step *lastKey = nullptr;
    for (const Step &step : kSteps) {
        if (step.scoreKey && (dialect == Dialect::Sqlite || !step.scoreKeySqliteOnly))
            lastKey = &step;
    }
    QList<QStringList> out;
    for (const Step &step : kSteps) {
        if (step.scoreTimes) {
            out.append(scoreTimesAsWritten(localZoneSpans()));
            continue;
        }
        QStringList statements;
        for (const Statement &s : step.statements) {
            if (s.only == Statement::Both || (s.only == Statement::SqliteOnly) == (dialect == Dialect::Sqlite))
                statements.append(spelled(dialect, s.sql));
        }
        if (&step == lastKey)
            statements << QStringLiteral("DROP INDEX IF EXISTS score_once") << scoreKeyIndex(dialect);
        out.append(statements);
    }
    return out;
}

QString columnName(ScoreColumn column)
{
    switch (column) {
    case ScoreColumn::ClassId:
        return QStringLiteral("class_id");
    case ScoreColumn::StudentId:
        return QStringLiteral("student_id");
    case ScoreColumn::Score:
        return QStringLiteral("score");
    case ScoreColumn::At:
        return QStringLiteral("at");
    case ScoreColumn::Topic:
        return QStringLiteral("topic");
    case ScoreColumn::Note:
        break;
    }
    return QStringLiteral("note");
}

QString columnType(Dialect dialect, ScoreColumn column)
{
    switch (column) {
    case ScoreColumn::ClassId:
    case ScoreColumn::StudentId:
    case ScoreColumn::At:
        return spelled(dialect, "{int}");
    case ScoreColumn::Score:
        return spelled(dialect, "{real}");
    case ScoreColumn::Topic:
    case ScoreColumn::Note:
        break;
    }
    return QStringLiteral("TEXT");
}

QList<ScoreColumn> scoreValueColumns()
{
    QList<ScoreColumn> out;
    for (const ScoreColumn c : kScoreColumns) {
        if (c != ScoreColumn::ClassId && c != ScoreColumn::StudentId)
            out.append(c);
    }
    return out;
}

QList<ScoreColumn> scoreKeyColumns()
{
    return QList<ScoreColumn>{ScoreColumn::StudentId} + scoreValueColumns();
}

QString scoreValueList(const QString &prefix)
{
    QStringList names;
    for (const ScoreColumn c : scoreValueColumns())
        names.append(prefix + columnName(c));
    return names.join(QStringLiteral(", "));
}

QString scoreKeyIndex(Dialect dialect)
{
    QStringList parts;
    for (const ScoreColumn c : scoreKeyColumns()) {
        // Texts enter PostgreSQL's key hashed: an index entry cannot hold a long note.
        const bool hashed = dialect == Dialect::Postgres && columnType(dialect, c) == QLatin1String("TEXT");
        const QString part = hashed ? QStringLiteral("md5(%1)").arg(columnName(c)) : columnName(c);
        // SQLite's key starts with the time, so that new lines go to its end (score_student
        // finds a student's scores there).
        if (dialect == Dialect::Sqlite && c == ScoreColumn::At)
            parts.prepend(part);
        else
            parts.append(part);
    }
    return QStringLiteral("CREATE UNIQUE INDEX score_once ON score (") + parts.join(QStringLiteral(", ")) + u')';
}

namespace {

QString insertHead()
{
    QStringList names;
    for (const ScoreColumn c : kScoreColumns)
        names.append(columnName(c));
    return QStringLiteral("INSERT INTO score (") + names.join(QStringLiteral(", ")) + QStringLiteral(") ");
}

} // namespace

QString scoreInsert(int rows)
{
    QString marks = QStringLiteral("(?");
    for (std::size_t c = 1; c < kScoreColumns.size(); ++c)
        marks += QStringLiteral(", ?");
    marks += u')';
    QStringList values(qMax(rows, 1), marks);
    return insertHead() + QStringLiteral("VALUES ") + values.join(QStringLiteral(", ")) +
           QStringLiteral(" ON CONFLICT DO NOTHING");
}

QString scoreUploadByNames()
{
    QStringList arrays{QStringLiteral("CAST(? AS TEXT[])"), QStringLiteral("CAST(? AS TEXT[])")};
    QStringList names{QStringLiteral("class_name"), QStringLiteral("student_name")};
    QStringList values;
    for (const ScoreColumn c : scoreValueColumns()) {
        arrays.append(QStringLiteral("CAST(? AS %1[])").arg(columnType(Dialect::Postgres, c)));
        names.append(columnName(c));
        values.append(QStringLiteral("u.") + columnName(c));
    }
    QStringList picked;
    for (const ScoreColumn c : kScoreColumns)
        picked.append(columnName(c));
    return QStringLiteral(
               "WITH held AS (SELECT id FROM teacher WHERE id = ? FOR NO KEY UPDATE), "
               "line AS (SELECT u.n, c.id AS class_id, s.id AS student_id, %1 FROM held "
               "CROSS JOIN unnest(%2) WITH ORDINALITY AS u(%3, n) "
               "LEFT JOIN class c ON c.teacher_id = held.id AND c.name = u.class_name "
               "LEFT JOIN student s ON s.class_id = c.id AND s.name = u.student_name), "
               "stored AS (%4SELECT %5 FROM line WHERE student_id IS NOT NULL AND "
               "(? = 1 OR NOT EXISTS (SELECT 1 FROM line WHERE student_id IS NULL)) "
               "ON CONFLICT DO NOTHING RETURNING class_id), "
               "marked AS (UPDATE class SET last_upload = ? WHERE id IN (SELECT class_id FROM line WHERE "
               "student_id IS NOT NULL) AND EXISTS (SELECT 1 FROM stored)), "
               "moved AS (UPDATE teacher SET data_version = data_version + 1 WHERE id = ? AND "
               "EXISTS (SELECT 1 FROM stored)) "
               "SELECT 0, false, COUNT(*) FROM stored "
               "UNION ALL SELECT n, class_id IS NULL, 0 FROM line WHERE student_id IS NULL ORDER BY 1")
        .arg(values.join(QStringLiteral(", ")), arrays.join(QStringLiteral(", ")), names.join(QStringLiteral(", ")),
             insertHead(), picked.join(QStringLiteral(", ")));
}

} // namespace corvanta::server::schema
