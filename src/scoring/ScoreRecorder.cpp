#include "ScoreRecorder.h"

#include "DailyLog.h"
#include "PendingScores.h"

#include "core/Clock.h"

#include <QDir>

namespace corvanta {

ScoreRecorder::ScoreRecorder(const QString &dataDir, PendingScores &pending, const Clock &clock)
    : m_dataDir(dataDir), m_pending(pending), m_clock(clock)
{
}

QString ScoreRecorder::logFilePath(const QString &loginUser, const QString &className, const QDate &day) const
{
    return QDir(m_dataDir).filePath(dailyLogFileName(loginUser, className, day));
}

RecordResult ScoreRecorder::record(const QString &loginUser, const QString &className, const QString &student,
                                   const QString &scoreText, const QString &standard)
{
    // One reading of the clock: a score given at midnight lands in the log of its own date.
    const QDateTime now = m_clock.now();
    RecordResult result;
    result.line = ScoreLine{.className = className,
                            .student = student,
                            .score = scoreText,
                            .time = scoreTimeText(now),
                            .standard = standard};

    result.logged = AppendLine(logFilePath(loginUser, className, now.date()), result.line.text());
    result.kept = m_pending.append(result.line);
    return result;
}

Result ScoreRecorder::remove(const QString &loginUser, const QList<int> &rows)
{
    const QDateTime now = m_clock.now();
    const QList<ScoreLine> &pending = m_pending.scores();
    QList<int> logged;
    Result failed = Result::success();
    for (int row : rows) {
        if (row < 0 || row >= pending.size())
            continue;
        const ScoreLine &line = pending[row];
        const Result written =
            AppendLine(logFilePath(loginUser, line.className, now.date()), removedLogLine(line, now));
        if (written)
            logged.append(row);
        else if (failed)
            failed = written;
    }
    const Result kept = m_pending.removeRows(logged);
    return failed ? kept : failed;
}

} // namespace corvanta
