#pragma once

#include "core/Result.h"
#include "net/ScoreLine.h"

#include <QDate>
#include <QString>

namespace corvanta {

class Clock;
class PendingScores;

// A text made safe as part of a file name: characters that file names do not allow
// (/ \ : * ? " < > | and control characters) become "_".
QString safeFileNamePart(const QString &text);

// "user_class_yyyy-MM-dd.Log": one log per user, class and calendar day.
QString dailyLogFileName(const QString &loginUser, const QString &className, const QDate &day);

// Appends the line and CR LF to the file as GBK text, creating the file when missing.
Result AppendLine(const QString &path, const QString &line);

// What the day's log gets for a pending score the teacher removed: "已删除", the time of
// the removal and the score's fields, TAB-separated. Never read back as a score.
QString removedLogLine(const ScoreLine &line, const QDateTime &when);

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
