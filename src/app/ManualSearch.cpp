#include "ManualSearch.h"

#include "core/ListOrder.h"

#include <QHash>

#include <algorithm>
#include <numeric>

namespace corvanta {

namespace {

constexpr int LineHeight = 200;
constexpr int MinHeight = 600;
constexpr int MaxHeight = 1650;
constexpr int SearchBoxTop = 2400;
constexpr int Gap = 30;

} // namespace

void ManualSearch::setClass(const QStringList &names, const QList<StudentRecord> &records)
{
    QHash<QString, const StudentRecord *> first;
    for (const StudentRecord &r : records) {
        if (!first.contains(r.name))
            first.insert(r.name, &r);
    }
    m_entries.clear();
    m_entries.reserve(names.size());
    for (const QString &name : names) {
        Entry e;
        e.name = name;
        e.initials = NameInitials(name);
        if (const auto it = first.constFind(name); it != first.constEnd()) {
            e.line = (*it)->listItem();
        } else {
            StudentRecord none;
            none.name = name;
            none.countField = QStringLiteral("0");
            none.scoreField = QStringLiteral("0");
            e.line = none.listItem();
        }
        m_entries.append(e);
    }

    // Ranks once per class, so that a keystroke sorts by numbers only.
    QList<int> order(m_entries.size());
    std::iota(order.begin(), order.end(), 0);
    const ListTextOrder less;
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return less(m_entries[a].line, m_entries[b].line); });
    for (int i = 0; i < order.size(); ++i)
        m_entries[order[i]].rank = i;
}

void ManualSearch::clear()
{
    m_entries.clear();
}

QStringList ManualSearch::search(const QString &text) const
{
    if (text.isEmpty())
        return {};
    const QString upper = text.toUpper();
    QStringList top;
    QList<int> others;
    for (int i = 0; i < m_entries.size(); ++i) {
        const Entry &e = m_entries[i];
        if (!e.name.contains(text) && !e.initials.contains(upper))
            continue;
        if (e.initials.isFullLength(text.size()))
            top.append(e.line);
        else
            others.append(i);
    }
    std::sort(others.begin(), others.end(),
              [this](int a, int b) { return m_entries[a].rank < m_entries[b].rank; });
    // Each full-length match went in at the top, so the last one found stands first.
    QStringList lines(top.crbegin(), top.crend());
    lines.reserve(top.size() + others.size());
    for (int i : others)
        lines.append(m_entries[i].line);
    return lines;
}

QString nameOfListItem(const QString &line)
{
    const qsizetype tab = line.indexOf(u'\t');
    return tab < 0 ? line : line.left(tab);
}

ResultListGeometry resultListGeometry(int lineCount)
{
    ResultListGeometry g;
    g.left = 200;
    const int lines = std::clamp(lineCount, 0, MaxHeight / LineHeight + 1);
    g.height = std::clamp(lines * LineHeight, MinHeight, MaxHeight);
    g.top = SearchBoxTop - Gap - g.height;
    return g;
}

} // namespace corvanta
