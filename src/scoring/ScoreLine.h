#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvanta {

// One score: the record unit of the daily log, the pending list, the upload and the score
// data file. On disk and on the wire it is five fields joined by TAB; a score given from
// the score combo has an empty standard, so its text ends with a TAB.
struct ScoreLine
{
    QString className;
    QString student;
    QString score; // "5分", "4.5分", or whatever the teacher typed
    QString time;  // "yyyy-MM-dd hh:mm:ss"
    QString standard;

    QString text() const;

    // Splits a line at TAB. Fewer than five fields is not a score line; a fifth field that
    // itself holds TABs keeps them, so text() gives the line back unchanged.
    static std::optional<ScoreLine> parse(const QString &line);
};

// The time field of a score line, on a 24-hour clock.
QString scoreTimeText(const QDateTime &when);

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
