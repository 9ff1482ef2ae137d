#include "WebFairness.h"

#include <QDateTime>

#include <algorithm>

namespace corvanta::server::web_report {

QList<QDate> lessonDays(const QList<qint64> &scoreHours)
{
    QList<QDate> days;
    // A day holds many hours: each day is found in the time zone once, not once an hour (a
    // class of a year's scores has thousands of hours and a student's page counts them all).
    qint64 dayStart = 0;
    qint64 nextDay = 0; // the day of days.last() is [dayStart, nextDay)
    for (qint64 hour : scoreHours) {
        if (!days.isEmpty() && hour >= dayStart && hour < nextDay)
            continue;
        const QDate day = QDateTime::fromSecsSinceEpoch(hour).date();
        days.append(day);
        dayStart = day.startOfDay().toSecsSinceEpoch();
        nextDay = day.addDays(1).startOfDay().toSecsSinceEpoch();
    }
    std::sort(days.begin(), days.end());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    return days;
}

int lessonsSince(const QList<QDate> &lessons, qint64 lastTime)
{
    if (lastTime == 0)
        return int(lessons.size());
    const QDate day = QDateTime::fromSecsSinceEpoch(lastTime).date();
    return int(lessons.cend() - std::upper_bound(lessons.cbegin(), lessons.cend(), day));
}

Fairness fairness(const ClassReport &report, int longest)
{
    Fairness f;
    const QList<QDate> lessons = lessonDays(report.scoreHours);
    f.lessons = int(lessons.size());
    for (const StudentSummary &s : report.students) {
        f.rows.append({s, lessonsSince(lessons, s.lastTime)});
        f.most = f.rows.size() == 1 ? s.scores : std::max(f.most, s.scores);
        f.least = f.rows.size() == 1 ? s.scores : std::min(f.least, s.scores);
    }
    QList<FairnessRow> waiting;
    for (const FairnessRow &row : f.rows) {
        if (row.student.lastTime == 0 || row.lessonsWaited > 0)
            waiting.append(row);
    }
    // Never scored first, then the oldest last score; equals keep the class list's order.
    std::stable_sort(waiting.begin(), waiting.end(), [](const FairnessRow &a, const FairnessRow &b) {
        return a.student.lastTime < b.student.lastTime;
    });
    f.longestWaiting = waiting.mid(0, longest);
    return f;
}

} // namespace corvanta::server::web_report
