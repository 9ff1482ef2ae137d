#pragma once

#include "Store.h"

#include <QDate>
#include <QList>
#include <QString>

// How evenly a class's students are called, without HTML. A lesson, as the pages count it, is a
// day (the server's local day) on which the class has at least one score: the tool uploads the
// scores of a lesson, and a class has at most one lesson of a teacher's subject a day in most
// timetables. Pure.
namespace corvanta::server::web_report {

// The days holding scores, oldest first, from the hours holding them (any order).
QList<QDate> lessonDays(const QList<qint64> &scoreHours);

// Lessons since a student's last score: the lesson days after that score's day; every lesson
// for a student never scored (lastTime 0).
int lessonsSince(const QList<QDate> &lessons, qint64 lastTime);

struct FairnessRow
{
    StudentSummary student;
    int lessonsWaited = 0; // lessonsSince its last score
};

struct Fairness
{
    int lessons = 0;
    int most = 0;  // calls of the most called student
    int least = 0; // and of the least called
    int gap() const { return most - least; }
    QList<FairnessRow> rows; // in the class list's order
    // The `longest` who waited longest since their last score: never scored first (in the class
    // list's order), then the oldest last score; not those scored in the last lesson.
    QList<FairnessRow> longestWaiting;
};

Fairness fairness(const ClassReport &report, int longest);

} // namespace corvanta::server::web_report
