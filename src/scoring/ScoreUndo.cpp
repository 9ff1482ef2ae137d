#include "ScoreUndo.h"

#include "PendingScores.h"

namespace corvanta {

bool ScoreUndo::lastStillPending() const
{
    return !m_lines.isEmpty() && m_pending.scores().contains(m_lines.last());
}

ScoreUndo::Undo ScoreUndo::undoLast()
{
    Undo undo;
    if (m_lines.isEmpty())
        return undo;
    undo.line = m_lines.takeLast();
    // The same score given twice in one second makes two equal lines: the newer goes.
    const qsizetype row = m_pending.scores().lastIndexOf(undo.line);
    if (row < 0) {
        undo.outcome = Outcome::NotPending;
        return undo;
    }
    undo.outcome = Outcome::Undone;
    undo.kept = m_pending.removeRows({int(row)});
    return undo;
}

QString readableScoreLine(const ScoreLine &score)
{
    QString text = score.className + u' ' + score.student + u' ' + score.score;
    if (!score.standard.isEmpty())
        text += QStringLiteral(" (") + score.standard + u')';
    return text + u' ' + score.time;
}

} // namespace corvanta
