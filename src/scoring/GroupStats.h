#pragma once

#include "ExactDecimal.h"
#include "net/ScoreLine.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvanta {

// How many group lists a class has; a group's number is its list's index.
inline constexpr int kGroupCount = 16;

// One ranked group of the group statistics.
struct GroupRank
{
    int group = 0;            // 0 to 15
    int rank = 0;             // 1 + the number of groups with a greater total
    ExactDecimal total;       // sum of the group's scores, exact
    QStringList contributors; // members with scores, each once, in the order of their first score
    QStringList members;      // the group list, in list order

    // The statistics list line: "第1名" TAB "7.5分" TAB "张三 李四" TAB " 张三 李四 王五".
    QString line() const;
};

// Ranks the groups by the pending scores of the class shown in the group lists. Every
// score of that class whose student stands in a group adds its score (the number its score
// text starts with) to that group's total; a student in two groups counts for both. Scores
// of other classes are left out. Groups with a total of 0 are not listed; the rest come by
// rank, equal ranks in group order. `groups` holds the names of each group list (missing
// lists count as empty).
QList<GroupRank> rankGroups(const QList<ScoreLine> &pending, const QList<QStringList> &groups,
                            const QString &className);

// The group detail as the detail panel shows it, read back from a statistics line.
struct GroupDetail
{
    QString rank;         // "第1名"
    QString score;        // "得分：7.5分"
    QString contributors; // "张三 李四"
    QString members;      // "张三 李四 王五"

    // Nothing for a line with fewer than four fields.
    static std::optional<GroupDetail> fromLine(const QString &statisticsLine);
};

} // namespace corvanta
