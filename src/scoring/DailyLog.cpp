#include "DailyLog.h"

#include "PendingScores.h"
#include "net/ScoreLine.h"

#include "core/BoundedRead.h"
#include "core/Clock.h"
#include "core/TextCodec.h"

#include <QDir>
#include <QFile>

namespace corvanta {

QString safeFileNamePart(const QString &text)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|");
    QString safe = text;
    for (QChar &c : safe) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || forbidden.contains(c))
            c = u'_';
    }
    return safe;
}

QString dailyLogFileName(const QString &loginUser, const QString &className, const QDate &day)
{
    return safeFileNamePart(loginUser) + u'_' + safeFileNamePart(className) + u'_' +
           day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".Log");
}

Result AppendLine(const QString &path, const QString &line)
{
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (const Result opened = openRegularFile(file, QIODevice::WriteOnly | QIODevice::Append); !opened) {
        return Result::failure(QStringLiteral("无法打开日志文件 ") + shown + QStringLiteral("：") + opened.error());
    }
    const QByteArray bytes = toGbk(line) + "\r\n";
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        return Result::failure(QStringLiteral("无法写入日志文件 ") + shown + QStringLiteral("：") + file.errorString());
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        return Result::failure(QStringLiteral("无法写入日志文件 ") + shown + QStringLiteral("：") + file.errorString());
    }
    return Result::success();
}

QString removedLogLine(const ScoreLine &line, const QDateTime &when)
{
    // Six or seven fields: no reader takes it for a score line, so it never comes back.
    return QStringLiteral("已删除\t") + scoreTimeText(when) + u'\t' + line.text();
}

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
