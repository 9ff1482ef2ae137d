#pragma once

#include <QString>
#include <QStringList>

#include <array>

// The tables of the server's database, written once for every database type: a statement
// names its column types by kind and each database spells them its own way.
namespace corvanta::server::schema {

enum class Dialect { Sqlite, Postgres };

// The statements that take the schema from version n to n + 1, for every n: a database made
// by an older server is brought up to date step by step.
QList<QStringList> steps(Dialect dialect);

// Where a zone's offset from UTC holds: from the Unix second `from` on, until the next span.
struct ZoneSpan
{
    qint64 from = 0;
    qint64 offset = 0; // seconds ahead of UTC
};
// The spans of this process's local zone (first one open to the past).
QList<ZoneSpan> localZoneSpans();
// The statements that turn stored score times written as Unix seconds in a zone of these spans
// into calendar seconds of the same text; none for a zone always 8 hours ahead.
QStringList scoreTimesAsWritten(const QList<ZoneSpan> &spans);

// The columns an uploaded score line fills, in the order every insert binds them, every select
// reads them and the unique key holds them (a student's scores by time first: uploads come in
// time order; SQLite's key puts the time before the student, see scoreKeyIndex).
enum class ScoreColumn { ClassId, StudentId, Score, At, Topic, Note };
inline constexpr std::array<ScoreColumn, 6> kScoreColumns = {ScoreColumn::ClassId, ScoreColumn::StudentId,
                                                           ScoreColumn::At,      ScoreColumn::Score,
                                                           ScoreColumn::Topic,   ScoreColumn::Note};
QString columnName(ScoreColumn column);
// The column's type as the dialect writes it ("BIGINT", "DOUBLE PRECISION", ...).
QString columnType(Dialect dialect, ScoreColumn column);
// The line's own values, in the order of kScoreColumns: every column but the ids of its class
// and student. What a reader reads, a correction changes and the unique key holds.
QList<ScoreColumn> scoreValueColumns();
// The columns of the unique key "score_once": the student and every value of the line (the
// class is a copy of the student's). A line that differs from a stored one in any of them is
// stored; one that differs in none is skipped.
QList<ScoreColumn> scoreKeyColumns();
// "p.score, p.at, ..." for the prefix "p." (or none): the value columns as a select lists them.
QString scoreValueList(const QString &prefix = {});
// The statement that makes the unique key from scoreKeyColumns (on SQLite, the time first).
QString scoreKeyIndex(Dialect dialect);

// "INSERT INTO score (class_id, ...) VALUES (?, ...), ... ON CONFLICT DO NOTHING" for rows
// lines: a line stored before (the unique key) is skipped, not refused.
QString scoreInsert(int rows);
// A whole upload on PostgreSQL in one statement, for any number of lines: the teacher's row
// locked first (changes of one teacher follow one another), each line's class and student
// found by name, the lines stored unless one names an unknown class or student (or each
// line that names known ones, when told to skip); when a line was new, the classes of the
// lines kept marked with the upload's time and the teacher's data version moved on.
// Binds: the teacher; an array of class names, of student names, and one per value column
// (scoreValueColumns); 1 to skip unknown names (0: store none); the upload's time; the
// teacher. Reads: (0, false, lines stored) first, then (line number from 1, whether its
// class is unknown, 0) for each line naming an unknown class or student, in order.
QString scoreUploadByNames();

} // namespace corvanta::server::schema
