#include "WebReport.h"

#include "core/TextCodec.h"
#include "net/Wire.h"

#include <QCollator>
#include <QDateTime>
#include <QUrl>

#include <algorithm>
#include <cmath>

namespace corvanta::server::web_report {

namespace {

const QString kNone = QStringLiteral("—");

// -1, 0, 1 by the column; a student without scores compares as larger than any with
// them, whatever the direction (see sortStudents).
int compareBy(const QString &key, const StudentSummary &a, const StudentSummary &b, const QCollator &names)
{
    auto cmp = [](auto x, auto y) { return x < y ? -1 : (y < x ? 1 : 0); };
    if (key == u"name")
        return names.compare(a.name, b.name);
    if (key == u"group")
        return cmp(a.group, b.group);
    if (key == u"count")
        return cmp(a.scores, b.scores);
    if (key == u"mean")
        return cmp(a.mean(), b.mean());
    if (key == u"wait") // the longer since the last score, the larger; never scored the largest
        return cmp(b.lastTime, a.lastTime);
    return cmp(a.lastTime, b.lastTime);
}

// A field of a line, appended to out: quoted when it holds a comma, a quote or a line break
// (quotes doubled). A spreadsheet takes a cell starting with one of "=+-@", a tab or a CR
// for a formula; with guard, a leading quote keeps a student's or topic's text as text.
// Written in place, without a text per field: a download has hundreds of thousands of them.
void appendCsvField(QByteArray &out, QStringView text, bool guard)
{
    const qsizetype start = out.size();
    if (guard && !text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front()))
        out += '\'';
    out += text.toUtf8();
    const QByteArrayView field = QByteArrayView(out).sliced(start);
    if (std::none_of(field.begin(), field.end(), [](char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }))
        return;
    QByteArray quoted = out.sliced(start);
    out.truncate(start);
    out += '"';
    out += quoted.replace('"', "\"\"");
    out += '"';
}

} // namespace

SortOrder parseSort(const QString &value)
{
    SortOrder order;
    QString key = value.trimmed();
    if (key.startsWith(u'-')) {
        order.descending = true;
        key.remove(0, 1);
    }
    static const QStringList keys = {QStringLiteral("name"), QStringLiteral("group"), QStringLiteral("count"),
                                     QStringLiteral("mean"), QStringLiteral("last"),  QStringLiteral("wait")};
    if (!keys.contains(key))
        return {};
    order.key = key;
    return order;
}

void sortStudents(QList<StudentSummary> &students, const SortOrder &order)
{
    if (order.key.isEmpty())
        return;
    QCollator names(QLocale(QLocale::Chinese, QLocale::China));
    names.setNumericMode(true);
    const bool unscoredLast = order.key == u"mean" || order.key == u"last";
    std::stable_sort(students.begin(), students.end(), [&](const StudentSummary &a, const StudentSummary &b) {
        if (unscoredLast && (a.scores == 0) != (b.scores == 0))
            return b.scores == 0;
        const int c = compareBy(order.key, a, b, names);
        return order.descending ? c > 0 : c < 0;
    });
}

void sortTopics(QList<TopicSummary> &topics)
{
    QCollator names(QLocale(QLocale::Chinese, QLocale::China));
    names.setNumericMode(true);
    std::stable_sort(topics.begin(), topics.end(), [&](const TopicSummary &a, const TopicSummary &b) {
        return names.compare(a.topic, b.topic) < 0;
    });
}

QList<DaySummary> byDay(const QList<HourSummary> &hours)
{
    QList<DaySummary> days;
    // Score times count calendar seconds, so every day starts a whole number of 86400 after
    // any midnight, in every zone.
    const qint64 midnightText = DateTextToSeconds(QStringLiteral("1970-01-02")) - 86400;
    for (const HourSummary &h : hours) {
        const qint64 sinceMidnight = ((h.start - midnightText) % 86400 + 86400) % 86400;
        const qint64 start = h.start - sinceMidnight;
        if (days.isEmpty() || days.last().start != start)
            days.append({QDate::fromString(SecondsToDateText(start).left(10), Qt::ISODate), start, 0, 0});
        days.last().scores += h.scores;
        days.last().total += h.total;
    }
    return days;
}

void addClassPart(StudentReport &student, const ClassReport &cls)
{
    student.classTopics = cls.topics;
    student.classScoreHours = cls.scoreHours;
    student.classGrouped = std::any_of(cls.students.cbegin(), cls.students.cend(),
                                       [](const StudentSummary &s) { return s.group != 0; });
    student.classHours.clear();
    if (student.hours.isEmpty())
        return;
    const auto byStart = [](const HourSummary &h, qint64 start) { return h.start < start; };
    const auto from = std::lower_bound(cls.hours.cbegin(), cls.hours.cend(), student.hours.first().start, byStart);
    const auto to = std::lower_bound(from, cls.hours.cend(), student.hours.last().start + 1, byStart);
    student.classHours = QList<HourSummary>(from, to);
}

QString meanText(double mean, int scores)
{
    if (scores <= 0)
        return kNone;
    const double rounded = std::round(mean * 100) / 100;
    return shortestDecimal(rounded == 0 ? 0 : rounded); // never "-0"
}

QString minuteText(qint64 seconds)
{
    return seconds == 0 ? kNone : SecondsToDateText(seconds).left(16);
}

QString momentMinuteText(qint64 unixSeconds)
{
    return unixSeconds == 0 ? kNone : LocalTimeText(unixSeconds).left(16);
}

QByteArray csvHead()
{
    return QByteArray("\xEF\xBB\xBF") + kCsvColumns + "\r\n";
}

void appendCsvLines(QByteArray &out, const QList<ScoreRecord> &records)
{
    for (const ScoreRecord &r : records) {
        appendCsvField(out, r.student, true);
        out += ',';
        appendCsvField(out, shortestDecimal(r.score), false);
        out += ',';
        appendCsvField(out, SecondsToDateText(r.time), false);
        out += ',';
        appendCsvField(out, r.topic, true);
        out += ',';
        appendCsvField(out, r.note, true);
        out += "\r\n";
    }
}

QByteArray scoresCsv(const QList<ScoreRecord> &records)
{
    QByteArray out = csvHead();
    appendCsvLines(out, records);
    return out;
}

QString csvFileName(const QString &className, const QDate &date)
{
    QString name = className;
    for (QChar &c : name) {
        if (c.unicode() < 0x20 || QStringView(u"\\/:*?\"<>|").contains(c))
            c = u'_';
    }
    return name + u'-' + date.toString(Qt::ISODate) + QStringLiteral(".csv");
}

QByteArray csvDisposition(const QString &className, const QDate &date)
{
    const QString name = csvFileName(className, date);
    bool ascii = true;
    for (const QChar c : name)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() < 0x7F;
    // Old browsers read only the plain name; a class name it cannot carry is left out there.
    const QString plain = ascii ? name : csvFileName(QStringLiteral("scores"), date);
    return "attachment; filename=\"" + plain.toLatin1() + "\"; filename*=UTF-8''" +
           QUrl::toPercentEncoding(name);
}

} // namespace corvanta::server::web_report
