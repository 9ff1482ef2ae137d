#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The class record file "ServerRec.cvd": the teacher's server data as GBK text, CR LF, one
// record per line, TAB-separated fields. The score server writes it and the tool reads it,
// both through this file.
namespace corvanta {

// First field of the class list record; its other fields are the class names, and one
// empty field follows the last of them.
inline constexpr char kClassListMarker[] = "Class_Is_Ready";
// First field of a topic record: marker, topic, then pairs of scale text and score.
inline constexpr char kTopicMarker[] = "[keti]";

// ---- What the server writes ----

struct Scale
{
    qint64 id = 0; // the server's record number; not in the file
    QString text;
    double score = 0;
};

struct TopicData
{
    QString name;
    QList<Scale> scales;
};

struct StudentData
{
    QString name;
    int group = 0;
    int count = 0;       // recorded scores
    double scoreSum = 0; // their sum
};

struct ClassData
{
    QString name;
    QList<StudentData> students;
};

// Everything the class record file shows, in list order.
struct RecordData
{
    QList<ClassData> classes;
    QList<TopicData> topics;
};

// The class list record, one topic record per topic with its scales, then one six-field
// record per student: class, name, group, 0, mean score, count.
QByteArray writeRecordFile(const RecordData &data);

// Mean of a student's scores as the record file shows it: at most two decimals, shortest
// text; "0" without records.
QString meanScoreText(double sum, int count);

// ---- What the tool reads ----

// One student record: exactly six TAB-separated fields.
struct StudentRecord
{
    QString className;
    QString name;
    QString groupField;
    QString scoreField; // as it stands in the file
    QString countField; // as it stands in the file
    double score = 0;   // leading number of scoreField
    double count = 0;   // leading number of countField
    int group = -1;     // 0..15, or -1 when the field is not such a whole number

    // "name\t[count次,score分]", the item of the search list.
    QString listItem() const;
};

struct Standard
{
    QString text;
    QString score; // as it stands in the file
};

// Splits the raw bytes of a class record file into its records: one record per line
// (CR LF, LF or a lone CR ends it), read as GBK. Commas are ordinary characters.
QStringList parseRecordLines(const QByteArray &bytes);

// Parses one line as a student record; nothing when it does not have six fields.
std::optional<StudentRecord> parseStudentRecord(const QString &line);
// The class names of a class list record; nothing for any other line.
std::optional<QStringList> parseClassListRecord(const QString &line);
// The topic name of a topic record; nothing for any other line.
std::optional<QString> parseTopicName(const QString &line);
// The standards of a topic record (pairs after the topic; the field after the final TAB
// is not read).
QList<Standard> parseTopicStandards(const QString &line);
// The start of the topic record of one topic, for a prefix search.
QString topicRecordKey(const QString &topic);

// True when a body holds a line starting with the class list marker.
bool looksLikeRecordFile(const QByteArray &body);

// What one teacher's record file can hold; anything beyond is not one, and reading it
// would only exhaust the computer.
inline constexpr qint64 kMaxRecordFileBytes = 64 * 1024 * 1024;
inline constexpr int kMaxRecordLineBytes = 64 * 1024;
inline constexpr int kMaxRecordClasses = 10000;
inline constexpr int kMaxRecords = 100000;

// Whether the bytes stay within the limits above and name no empty class. The failure
// says what is wrong, for a person.
Result checkRecordLimits(const QByteArray &bytes);
// checkRecordLimits, and a class list record must be there: what may replace the cached file.
Result checkRecordFile(const QByteArray &bytes);

} // namespace corvanta
