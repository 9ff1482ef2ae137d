#pragma once

#include "core/Result.h"
#include "net/ScoreLine.h"

namespace corvanta {

// The boxes of the correction panel are the five fields of a score line. A pending line
// opens for correction only with all five (a line without its standard field would gain
// one that the teacher never saw).
bool correctable(const ScoreLine &pending);

// A score text as the tool gives it, typed in the score box or in the correction panel: a
// number followed by "分" ("4分", "4.5分"). The failure's text is for a "提示" box.
Result checkScoreText(const QString &text);

// The score box's text as it is scored: a plain number typed without its unit ("4", " 2.5 ")
// gains "分", as the combo's own items read; any other text is returned as typed.
QString scoreBoxText(const QString &typed);

// The outcome of "确定": the corrected pending score, or why it cannot replace the old one
// (for a "提示" box).
using ScoreCorrection = Expected<ScoreLine>;

// Checks the boxes as a corrected score: the score a number followed by "分", the time a
// real "yyyy-MM-dd hh:mm:ss", and no box holding a TAB, a line break or another control
// character, nor a "|" (each would split the line or make the upload refuse it). An empty
// standard is kept: the line then ends with its TAB.
ScoreCorrection correctScoreLine(const ScoreLine &boxes);

} // namespace corvanta
