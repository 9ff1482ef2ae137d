#include "WhyChosen.h"

#include "core/TextCodec.h"

#include <cmath>

namespace corvanta {

namespace {

QString number(double v)
{
    return shortestDecimal(v);
}

bool whole(double v)
{
    return std::isfinite(v) && v == std::floor(v);
}

// Counts are whole numbers: "below 2.5" reads better as "at most 2". A count that is not a
// whole number keeps the exact bound.
QString belowCount(double count, double bound)
{
    if (whole(count))
        return QStringLiteral("≤ ") + number(std::ceil(bound) - 1) + QStringLiteral(" 次");
    return QStringLiteral("< ") + number(bound) + QStringLiteral(" 次");
}

QString fromCount(double count, double bound)
{
    if (whole(count))
        return QStringLiteral("≥ ") + number(std::ceil(bound)) + QStringLiteral(" 次");
    return QStringLiteral("≥ ") + number(bound) + QStringLiteral(" 次");
}

QString countRange(double count, double low, double high)
{
    if (whole(count)) {
        const double first = std::ceil(low), last = std::ceil(high) - 1;
        if (first == last)
            return number(first) + QStringLiteral(" 次");
        return number(first) + QStringLiteral(" ~ ") + number(last) + QStringLiteral(" 次");
    }
    return QStringLiteral("≥ ") + number(low) + QStringLiteral(", < ") + number(high) + QStringLiteral(" 次");
}

QString scoreRange(int pool)
{
    switch (pool) {
    case 8:
        return QStringLiteral("< 2 分");
    case 9:
        return QStringLiteral("≥ 2, < 3 分");
    case 10:
        return QStringLiteral("≥ 3, < 4 分");
    default:
        return QStringLiteral("≥ 4 分");
    }
}

} // namespace

QString poolReason(int pool, double count, double score, const PoolThresholds &t, int classSize)
{
    const QString caption = poolCaption(pool) + QStringLiteral(": ");
    const QString times = QStringLiteral("被点 ") + number(count) + QStringLiteral(" 次");
    switch (pool) {
    case 0:
        return caption + QStringLiteral("全班 ") + QString::number(classSize) + QStringLiteral(" 人");
    case 1:
        return caption + QStringLiteral("本节课还没有被点到");
    case 2:
        return caption + QStringLiteral("本节课已被点到");
    case 3:
        return caption + QStringLiteral("从未被点");
    case 4:
        return caption + times + QStringLiteral(" (") + belowCount(count, t.lower) + u')';
    case 5:
        return caption + times + QStringLiteral(" (") + countRange(count, t.lower, t.overall) + u')';
    case 6:
        return caption + times + QStringLiteral(" (") + countRange(count, t.overall, t.upper) + u')';
    case 7:
        return caption + times + QStringLiteral(" (") + fromCount(count, t.upper) + u')';
    case 8:
    case 9:
    case 10:
    case 11:
        return caption + QStringLiteral("均分 ") + number(score) + QStringLiteral(" 分 (") +
               scoreRange(pool) + u')';
    default:
        return {};
    }
}

QString whyChosenText(const WhyFacts &facts)
{
    const double count = facts.record ? facts.record->count : 0;
    const double score = facts.record ? facts.record->score : 0;
    QStringList lines{facts.fair ? QStringLiteral("公平：") + poolCaption(facts.pool) +
                                       QStringLiteral(" (被点 ") + number(count) + QStringLiteral(" 次)")
                                 : poolReason(facts.pool, count, score, facts.thresholds, facts.classSize)};
    if (!facts.record)
        lines.append(QStringLiteral("记录: 班级数据中没有这名学生"));
    else if (facts.record->count == 0)
        lines.append(QStringLiteral("记录: 被点 0 次, 还没有成绩"));
    else
        lines.append(QStringLiteral("记录: 被点 ") + number(count) + QStringLiteral(" 次, 均分 ") +
                     number(score) + QStringLiteral(" 分"));
    if (facts.lastScored)
        lines.append(QStringLiteral("上次计分: ") + facts.lastScored->toString(QStringLiteral("yyyy-MM-dd")));
    return lines.join(u'\n');
}

} // namespace corvanta
