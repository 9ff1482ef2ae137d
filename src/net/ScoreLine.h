#pragma once

#include <QDateTime>
#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace corvanta {

// One score: the record unit of the daily log, the pending list, the upload and the score
// data file. On disk and on the wire it is five fields joined by TAB; a score given from
// the score combo has an empty standard, so its text ends with a TAB. The tool and the
// score server read it by the same rule. The tool holds scores as values and makes text of
// them only where a file is written or an upload is built; make one with named fields:
//     ScoreLine{.className = c, .student = s, .score = "4分", .time = t, .standard = std}
struct ScoreLine
{
    QString className{};
    QString student{};
    QString score{}; // "5分", "4.5分", or whatever the teacher typed
    QString time{};  // "yyyy-MM-dd hh:mm:ss"
    QString standard{};
    // Read from a line that ended after the time, without the standard's TAB. Its text
    // stays that way, so a file rewritten or a line uploaded keeps the bytes it came with.
    bool standardCut = false;

    QString text() const;

    // A score line is five TAB-separated fields, or four when the standard was cut off
    // with its TAB; a line end at the close is dropped. No field may hold a control
    // character (a TAB inside the standard would make a sixth field) or "|" (the upload
    // joins lines with it). Anything else is not a score line.
    static std::optional<ScoreLine> parse(QString line);

    friend bool operator==(const ScoreLine &, const ScoreLine &) = default;
};

// Lets a set of scores find a repeated one (every field counts).
inline size_t qHash(const ScoreLine &score, size_t start = 0)
{
    return qHashMulti(start, score.className, score.student, score.score, score.time, score.standard,
                      score.standardCut);
}

// The texts of the scores, in their order.
QStringList scoreTexts(const QList<ScoreLine> &scores);

// True when parse() takes the line.
bool isValidScoreLine(const QString &line);

// The time field of a score line, on a 24-hour clock.
QString scoreTimeText(const QDateTime &when);

// The number a score text starts with, the way the server keeps it: "5分" 5, "2.5" 2.5,
// " -1 分" -1. Nothing for a text that does not start with a decimal number ("优", "NaN",
// "inf", "") or whose number runs on into letters or another point ("0x10", "3abc", "1e3",
// "1.2.3"): such a score would be stored as a number nobody gave.
std::optional<double> scoreTextNumber(QStringView text);

// True for a score time (DateTextToSeconds's count) in the years 2000 to 2099; others come
// from a wrong clock or a mistyped year.
bool isScoreTimeInRange(qint64 seconds);

} // namespace corvanta
