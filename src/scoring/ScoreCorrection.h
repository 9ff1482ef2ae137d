#pragma once

#include "net/ScoreLine.h"

#include <QString>

#include <optional>

namespace corvanta {

// The boxes of the correction panel are the five fields of a score line. A pending line
// opens for correction only with all five (a line without its standard field would gain
// one that the teacher never saw); nothing for any other line.
std::optional<ScoreLine> correctableLine(const QString &pendingLine);

// The outcome of "确定": the corrected pending line, or why it cannot replace the old one.
struct ScoreCorrection
{
    std::optional<QString> line; // the new pending line; nothing when refused
    QString message;             // for a "提示" box when refused; empty when accepted
};

// Builds the corrected line from the boxes and checks it: the score a number followed by
// "分", the time a real "yyyy-MM-dd hh:mm:ss", and no box holding a TAB, a line break or
// another control character, nor a "|" (each would split the line or make the upload
// refuse it). An empty standard is kept: the line then ends with its TAB.
ScoreCorrection correctScoreLine(const ScoreLine &boxes);

} // namespace corvanta
