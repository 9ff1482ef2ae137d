#pragma once

#include "core/Result.h"
#include "net/ScoreLine.h"

#include <QList>
#include <QString>
#include <QStringList>

// Score data files (".cvr") and the pending-score file share one form: score lines as GBK
// text, each ended by CR LF, nothing else.
namespace corvanta {

// Nobody keeps this many pending scores; a larger file is not one of ours.
inline constexpr qint64 kMaxScoreFileBytes = 16 * 1024 * 1024;

struct ScoreFileContent
{
    QList<ScoreLine> lines; // the score lines, in file order; blank lines skipped
    QList<int> badLines;    // 1-based numbers of lines that are not score lines
};

// Reads a file of score lines (the one place where the tool turns text into scores); never
// throws or crashes on what it finds. Fails, with the reason, when the file cannot be read
// at all; files larger than maxBytes are refused unread. Lines that are not score lines
// (isValidScoreLine) or not GBK are listed in badLines, not taken.
Expected<ScoreFileContent> readScoreLines(const QString &path, qint64 maxBytes = kMaxScoreFileBytes);

// Writes the lines, each followed by CR LF, replacing the file only once everything is
// written.
Result writeScoreLines(const QString &path, const QList<ScoreLine> &lines);

// A name typed without an extension gets ".cvr".
QString withDataFileSuffix(const QString &path);

// "第 3、7 行" style list of bad line numbers for a message, shortened when long.
QString describeBadLines(const QList<int> &badLines);

} // namespace corvanta
