#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

namespace corvanta {

// One score: the record unit of the daily log, the pending list, the upload and the score
// data file. On disk and on the wire it is five fields joined by TAB; a score given from
// the score combo has an empty standard, so its text ends with a TAB. The tool and the
// score server read it by the same rule.
struct ScoreLine
{
    QString className;
    QString student;
    QString score; // "5分", "4.5分", or whatever the teacher typed
    QString time;  // "yyyy-MM-dd hh:mm:ss"
    QString standard;

    QString text() const;

    // A score line is five TAB-separated fields, or four when the standard was cut off
    // with its TAB; a line end at the close is dropped. No field may hold a control
    // character (a TAB inside the standard would make a sixth field) or "|" (the upload
    // joins lines with it). Anything else is not a score line.
    static std::optional<ScoreLine> parse(QString line);
};

// True when parse() takes the line.
bool isValidScoreLine(const QString &line);

// The time field of a score line, on a 24-hour clock.
QString scoreTimeText(const QDateTime &when);

} // namespace corvanta
