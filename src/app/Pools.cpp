#include "Pools.h"

#include <QHash>

namespace corvanta {

QString poolCaption(int index)
{
    static const char16_t *const captions[] = {u"所有", u"未点", u"已点", u"从未", u"很少", u"较少", u"较多",
                                               u"很多", u"较易", u"中等", u"较难", u"很难", u"手动"};
    if (index < 0 || index > ManualButton)
        return {};
    return QString::fromUtf16(captions[index]);
}

int poolIndex(const QString &caption)
{
    for (int i = 0; i < PoolCount; ++i) {
        if (poolCaption(i) == caption)
            return i;
    }
    return -1;
}

namespace {

double meanOf(const QList<double> &values)
{
    if (values.isEmpty())
        return 0;
    double sum = 0;
    for (double v : values)
        sum += v;
    return sum / double(values.size());
}

} // namespace

PoolThresholds computeThresholds(const QList<double> &counts)
{
    PoolThresholds t;
    t.overall = meanOf(counts);
    QList<double> below, atOrAbove;
    for (double c : counts)
        (c < t.overall ? below : atOrAbove).append(c);
    t.lower = meanOf(below);
    t.upper = meanOf(atOrAbove);
    return t;
}

int countPool(double count, const PoolThresholds &t)
{
    if (count == 0)
        return 3;
    if (count < t.lower)
        return 4;
    if (count < t.overall)
        return 5;
    if (count < t.upper)
        return 6;
    return 7;
}

int scorePool(double count, double score)
{
    if (count == 0)
        return -1;
    if (score < 2)
        return 8;
    if (score < 3)
        return 9;
    if (score < 4)
        return 10;
    return 11;
}

Roster buildRoster(const QList<StudentRecord> &students)
{
    Roster roster;
    QList<double> counts;
    counts.reserve(students.size());
    for (const StudentRecord &s : students)
        counts.append(s.count);
    roster.thresholds = computeThresholds(counts);

    for (const StudentRecord &s : students) {
        roster.pools[0].append(s.name);
        roster.pools[1].append(s.name);
        roster.pools[countPool(s.count, roster.thresholds)].append(s.name);
        if (const int p = scorePool(s.count, s.score); p >= 0)
            roster.pools[p].append(s.name);
        if (s.group >= 0)
            roster.groups[s.group].append(s.name);
    }
    return roster;
}

Pools carryLesson(const Pools &started, const Pools &now, const Pools &fresh)
{
    Pools carried;
    carried[0] = fresh[0];
    for (const QString &name : now[2]) {
        if (fresh[0].contains(name))
            carried[2].append(name);
    }
    for (int p = 1; p < PoolCount; ++p) {
        if (p == 2)
            continue;
        // Counted, so a name that stands twice in a class is taken out as often as drawn.
        QHash<QString, int> takenOut;
        for (const QString &name : started[p])
            ++takenOut[name];
        for (const QString &name : now[p])
            --takenOut[name];
        for (const QString &name : fresh[p]) {
            int &left = takenOut[name];
            if (left > 0)
                --left;
            else
                carried[p].append(name);
        }
    }
    return carried;
}

} // namespace corvanta
