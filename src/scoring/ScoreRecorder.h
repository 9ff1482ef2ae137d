#pragma once

#include "core/Result.h"
#include "net/ScoreLine.h"

#include <QDate>
#include <QList>
#include <QString>

namespace corvanta {

class Clock;
class PendingScores;

struct RecordResult
{
    ScoreLine line;                    // the score that was given
    Result logged = Result::success(); // the daily log holds it
    Result kept = Result::success();   // the pending-score file holds it (memory always does)
};

// Gives a score: makes it with the present time, appends it to the day's log in the
// data folder, then adds it to the pending scores, whatever became of the log.
class ScoreRecorder
{
public:
    ScoreRecorder(const QString &dataDir, PendingScores &pending, const Clock &clock);

    // standard is empty for a score from the score combo.
    RecordResult record(const QString &loginUser, const QString &className, const QString &student,
                        const QString &scoreText, const QString &standard = {});

    QString logFilePath(const QString &loginUser, const QString &className, const QDate &day) const;

    // Takes pending scores (rows as they stand) away for good, each written to today's log
    // of its class as removed first. One whose log cannot be written stays pending; the
    // failure says why.
    Result remove(const QString &loginUser, const QList<int> &rows);

private:
    QString m_dataDir;
    PendingScores &m_pending;
    const Clock &m_clock;
};

} // namespace corvanta
