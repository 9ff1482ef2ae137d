#pragma once

#include "app/Pools.h"

#include <QDate>
#include <QString>

#include <optional>

namespace corvanta {

// Why a drawn student stood in the pool, from what the tool knows: the pool's caption and
// the rule that put the student there, the count and mean score of the class record file,
// and the last day a daily log holds a score of the student. Lines joined by "\n":
//   很少: 被点 1 次 (≤ 2 次)        or, after the fair draw:   公平：很少 (被点 1 次)
//   记录: 被点 1 次, 均分 4 分
//   上次计分: 2026-12-03
struct WhyFacts
{
    int pool = 0;
    bool fair = false;                   // the fair draw took the student from the pool
    std::optional<StudentRecord> record; // nothing when the file has no record of the name
    PoolThresholds thresholds;
    int classSize = 0;
    std::optional<QDate> lastScored;
};

QString whyChosenText(const WhyFacts &facts);

// The rule of the pool for one student, the first line above.
QString poolReason(int pool, double count, double score, const PoolThresholds &t, int classSize);

} // namespace corvanta
