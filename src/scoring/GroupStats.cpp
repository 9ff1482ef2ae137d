#include "GroupStats.h"

#include "core/TextCodec.h"

#include <algorithm>

namespace corvanta {

namespace {
const QChar kTab = u'\t';
}

QString GroupRank::line() const
{
    QString memberField;
    for (const QString &name : members)
        memberField += u' ' + name;
    return QStringLiteral("第%1名").arg(rank) + kTab + total.text() + QStringLiteral("分") + kTab +
           contributors.join(u' ') + kTab + memberField;
}

QList<GroupRank> rankGroups(const QList<ScoreLine> &pending, const QList<QStringList> &groups,
                            const QString &className)
{
    QList<GroupRank> all(kGroupCount);
    for (int g = 0; g < kGroupCount; ++g) {
        all[g].group = g;
        if (g < groups.size())
            all[g].members = groups[g];
    }

    for (const ScoreLine &line : pending) {
        if (line.className != className)
            continue;
        const ExactDecimal score = ExactDecimal::fromDouble(leadingNumber(line.score));
        for (GroupRank &group : all) {
            // A name standing twice in one list is still one student's score: count it once.
            if (!group.members.contains(line.student))
                continue;
            group.total += score;
            if (!group.contributors.contains(line.student))
                group.contributors.append(line.student);
        }
    }

    QList<GroupRank> ranked;
    for (GroupRank &group : all) {
        if (group.total.isZero())
            continue;
        group.rank = 1 + int(std::count_if(all.cbegin(), all.cend(), [&](const GroupRank &other) {
                         return other.total > group.total;
                     }));
        ranked.append(group);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const GroupRank &a, const GroupRank &b) { return a.rank < b.rank; });
    return ranked;
}

std::optional<GroupDetail> GroupDetail::fromLine(const QString &statisticsLine)
{
    const QStringList fields = statisticsLine.split(kTab);
    if (fields.size() < 4)
        return std::nullopt;
    return GroupDetail{fields[0], QStringLiteral("得分：") + fields[1], fields[2], fields[3].trimmed()};
}

} // namespace corvanta
