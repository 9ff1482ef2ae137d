#pragma once

#include "net/RecordFile.h"

#include <QStringList>

#include <array>

namespace corvanta {

constexpr int PoolCount = 12;
constexpr int GroupCount = 16;
constexpr int ManualButton = 12;

// Draw button captions, by pool index (the thirteenth button has no pool).
QString poolCaption(int index);
// The pool whose button has that caption; -1 for none (the thirteenth button included).
int poolIndex(const QString &caption);

struct PoolThresholds
{
    double overall = 0; // mean count of all students
    double lower = 0;   // mean count of those below the overall mean
    double upper = 0;   // mean count of those at or above the overall mean
};

PoolThresholds computeThresholds(const QList<double> &counts);

// Pools 3..7 by count, 8..11 by score (only when the count is not 0); -1 for none.
int countPool(double count, const PoolThresholds &t);
int scorePool(double count, double score);

// The twelve pools and sixteen group lists of a class, in file order.
struct Roster
{
    std::array<QStringList, PoolCount> pools;
    std::array<QStringList, GroupCount> groups;
    PoolThresholds thresholds;
};

Roster buildRoster(const QList<StudentRecord> &students);

using Pools = std::array<QStringList, PoolCount>;

// The pools of a lesson under way, carried onto the class as its records now sort it.
// started: the pools as the class choice filled them; now: as the lesson left them;
// fresh: as the new records fill them. Names no longer in the class leave every pool;
// pool 2 keeps who was called, in the order called; every other pool is sorted afresh
// without the names the lesson took out of it.
Pools carryLesson(const Pools &started, const Pools &now, const Pools &fresh);

} // namespace corvanta
