#pragma once

#include "net/ScoreLine.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace corvanta {

// A standards-list line ("[4分]" TAB text) that is ready to be given.
struct StandardScore
{
    QString score;      // "4分"
    QString standard;   // the standard text
    QString markedLine; // the list line as it reads once given: "[4分]√" TAB text
};

// True when the standard of this list line was already given in this draw.
bool standardGiven(const QString &standardsLine);

// The score of a standards-list line; nothing for a line without a TAB or one already
// given. The score is the number the first field starts with (after its "[" are taken
// away), written back in its shortest decimal form, followed by "分".
std::optional<StandardScore> scoreFromStandardLine(const QString &standardsLine);

} // namespace corvanta
