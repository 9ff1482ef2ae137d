#pragma once

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

struct AppendResult
{
    bool ok = false;
    QString error; // why it failed, for the teacher
};

// Appends the line and CR LF to the file as GBK text, creating the file when missing.
AppendResult AppendLine(const QString &path, const QString &line);

struct RecordResult
{
    QString line;        // the score line that was built
    bool logged = false; // the daily log holds it
    QString logError;    // why the daily log could not be written
    bool kept = false;   // the pending-score file holds it (memory always does)
    QString keptError;   // why the pending-score file could not be written
};

// Gives a score: builds the line with the present time, appends it to the day's log in the
// data folder, then adds it to the pending scores, whatever became of the log.
class ScoreRecorder
{
public:
    ScoreRecorder(const QString &dataDir, PendingScores &pending, const Clock &clock);

    // standard is empty for a score from the score combo.
    RecordResult record(const QString &loginUser, const QString &className, const QString &student,
                        const QString &scoreText, const QString &standard = {});

    QString logFilePath(const QString &loginUser, const QString &className, const QDate &day) const;

private:
    QString m_dataDir;
    PendingScores &m_pending;
    const Clock &m_clock;
};

} // namespace corvanta
