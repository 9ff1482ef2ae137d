#pragma once

#include "net/RecordFile.h"
#include "pinyin/NameInitials.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace corvanta {

// The search box of the main window: finds the students of the chosen class by part of
// the name or by the pinyin initials of it. The index is built once when a class is
// chosen, so a keystroke costs only the comparisons.
class ManualSearch
{
public:
    // Indexes the names of pool 0 in pool order. Each result line shows the count and
    // score of the name's first record among the class's records; a name without one
    // shows "[0次,0分]" and can still be found and picked.
    void setClass(const QStringList &names, const QList<StudentRecord> &records);
    void clear();
    int size() const { return int(m_entries.size()); }

    // The result lines for the text typed, in the order the result list shows them:
    // lines whose initials are as long as the text (the complete initials, or the
    // whole name) on top, the last found topmost; below them the other matches in the
    // list's text order. A name matches when the text is part of it (case counts) or
    // the text in upper case is part of its initials, by any reading of its characters.
    // Nothing for an empty text.
    QStringList search(const QString &text) const;

private:
    struct Entry
    {
        QString name;
        NameInitials initials;
        QString line;
        int rank = 0; // place of the line in text order among all lines of the class
    };
    QList<Entry> m_entries;
};

// The name of a result line: the part before the first TAB.
QString nameOfListItem(const QString &line);

// Place of the result list on the main panel, in twips: 200 a line, at least 600 and at
// most 1650 high, its bottom edge just above the search box.
struct ResultListGeometry
{
    int left = 0;
    int top = 0;
    int height = 0;
};
ResultListGeometry resultListGeometry(int lineCount);

} // namespace corvanta
