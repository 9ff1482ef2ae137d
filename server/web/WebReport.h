#pragma once

#include "Store.h"

#include <QByteArray>
#include <QDate>
#include <QString>

// What the web pages make of a class's figures, without HTML: the student table's order, the
// figures as text and the CSV download. Pure.
namespace corvanta::server::web_report {

// A column of the student table: "name", "group", "count", "mean" or "last", or of the
// fairness table "wait" (time since the last score: never scored the longest); "-" before it
// sorts downwards. Anything else keeps the class list's order.
struct SortOrder
{
    QString key;
    bool descending = false;
    QString text() const { return descending && !key.isEmpty() ? u'-' + key : key; }
};
SortOrder parseSort(const QString &value);
// Stable: equal rows keep the class list's order. Names sort as Chinese readers expect
// (pinyin); students without a score come last by mean and by last score time.
void sortStudents(QList<StudentSummary> &students, const SortOrder &order);
// By topic, as names are sorted: the same order whichever database collates the texts.
void sortTopics(QList<TopicSummary> &topics);

// Scores summed up by the day of their times, oldest first, from summaries by the hour.
struct DaySummary
{
    QDate day;
    qint64 start = 0; // its midnight, in score-time seconds
    int scores = 0;
    double total = 0;
    double mean() const { return scores > 0 ? total / scores : 0; }
};
QList<DaySummary> byDay(const QList<HourSummary> &hours);
// Fills the student page's class part from the class's report: its topics, the hours holding
// its scores, its hours from the student's first score's to the last's, and whether it has
// groups (everyone starts in group 0: a class all in group 0 has none).
void addClassPart(StudentReport &student, const ClassReport &cls);

// A mean to at most two decimals ("4.17", "5"); "—" without scores.
QString meanText(double mean, int scores);
// The most points one score gives in class ("5分"): what a mean is out of.
inline constexpr int kFullMark = 5;
// A score's time as "yyyy-MM-dd hh:mm"; "—" for 0 (never).
QString minuteText(qint64 seconds);
// A moment of the server's clock (Unix seconds, as an upload's) the same way, in its zone.
QString momentMinuteText(qint64 unixSeconds);

inline constexpr char kCsvColumns[] = "学生,计分,时间,课题,标准/说明";
// Every record as a spreadsheet reads it: UTF-8 with a byte-order mark, CR LF line ends,
// fields quoted when they hold a comma, a quote or a line break (quotes doubled).
QByteArray scoresCsv(const QList<ScoreRecord> &records);
// Its parts, for a download sent while it is read: the head (byte-order mark and column
// names), then the records' lines appended a batch at a time.
QByteArray csvHead();
void appendCsvLines(QByteArray &out, const QList<ScoreRecord> &records);
// "<class>-yyyy-MM-dd.csv", with the characters no file name may hold replaced.
QString csvFileName(const QString &className, const QDate &date);
// The Content-Disposition of the download: an attachment named csvFileName in UTF-8
// (filename*) and, for old browsers, in plain ASCII (filename).
QByteArray csvDisposition(const QString &className, const QDate &date);

} // namespace corvanta::server::web_report
