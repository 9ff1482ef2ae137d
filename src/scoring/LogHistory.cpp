#include "LogHistory.h"

#include "DailyLog.h"
#include "ScoreDataFile.h"

#include <QDir>

#include <algorithm>

namespace corvanta {

namespace {

// A day of scores is a few kilobytes; a larger file is not one of our logs.
constexpr qint64 MaxLogBytes = 4 * 1024 * 1024;

// A log is a score file that only ever grows: lines it cannot read are passed over.
bool logHolds(const QString &path, const QString &className, const QString &student)
{
    const Expected<ScoreFileContent> log = readScoreLines(path, MaxLogBytes);
    if (!log)
        return false;
    return std::any_of(log->lines.cbegin(), log->lines.cend(), [&](const ScoreLine &score) {
        return score.student == student && score.className == className;
    });
}

} // namespace

std::optional<QDate> lastScoredDate(const QString &dataDir, const QString &loginUser,
                                    const QString &className, const QString &student)
{
    // The names differ only in their dates: "user_class_yyyy-MM-dd.Log".
    const QString sample = dailyLogFileName(loginUser, className, QDate(2000, 1, 1));
    const QString prefix = sample.left(sample.size() - QStringLiteral("2000-01-01.Log").size());
    const QString suffix = QStringLiteral(".Log");

    QList<QPair<QDate, QString>> logs;
    const QDir dir(dataDir);
    for (const QString &name : dir.entryList({QStringLiteral("*.Log")}, QDir::Files)) {
        if (!name.startsWith(prefix) || !name.endsWith(suffix))
            continue;
        const QString dayText = name.mid(prefix.size(), name.size() - prefix.size() - suffix.size());
        const QDate day = QDate::fromString(dayText, QStringLiteral("yyyy-MM-dd"));
        if (day.isValid())
            logs.append({day, dir.filePath(name)});
    }
    std::sort(logs.begin(), logs.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    for (const auto &[day, path] : logs) {
        if (logHolds(path, className, student))
            return day;
    }
    return std::nullopt;
}

} // namespace corvanta
