#pragma once

#include "core/Result.h"
#include "net/ScoreLine.h"

#include <QList>
#include <QString>

#include <optional>

namespace corvanta {

class PendingScores;

// The scores given in this run, newest last, so the teacher can take back a score
// given by mistake. Taking one back removes it from the pending scores only; the day's log
// keeps what was given. A line that is no longer pending (uploaded, saved to a file or
// corrected since) cannot be taken back.
class ScoreUndo
{
public:
    explicit ScoreUndo(PendingScores &pending) : m_pending(pending) {}

    void given(const ScoreLine &line) { m_lines.append(line); }
    bool isEmpty() const { return m_lines.isEmpty(); }
    // The score an undo would take back; nothing when there is none.
    std::optional<ScoreLine> last() const
    {
        return m_lines.isEmpty() ? std::nullopt : std::optional<ScoreLine>(m_lines.last());
    }
    // The line an undo would take back is still among the pending scores.
    bool lastStillPending() const;

    enum class Outcome {
        Nothing,    // no score was given in this run, or all were taken back
        Undone,     // the line left the pending scores
        NotPending, // the line was uploaded, saved or corrected: it stays as it is
    };
    struct Undo
    {
        Outcome outcome = Outcome::Nothing;
        ScoreLine line;
        Result kept = Result::success(); // the pending-score file follows
    };
    // Takes back the newest line; either way it leaves this list, so the next undo goes
    // one line further back.
    Undo undoLast();

private:
    PendingScores &m_pending;
    QList<ScoreLine> m_lines;
};

// A score as a person reads it in a question: "一班 张三 3分 (读得流利) 2026-12-07 09:07:02".
QString readableScoreLine(const ScoreLine &score);

} // namespace corvanta
