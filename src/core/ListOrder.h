#pragma once

#include <QCollator>
#include <QString>

namespace corvanta {

// The order in which a sorted list keeps its lines: by reading (pinyin) for Chinese
// text, letters without regard to case, as a sorted list shows names on a Chinese
// desktop. Lines the collation finds equal are ordered by their characters, so the
// order is total and the same on every run.
class ListTextOrder
{
public:
    ListTextOrder();

    // True when line a stands before line b.
    bool operator()(const QString &a, const QString &b) const;

private:
    QCollator m_collator;
};

} // namespace corvanta
