#pragma once

#include "app/RecordFile.h"

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

} // namespace corvanta
