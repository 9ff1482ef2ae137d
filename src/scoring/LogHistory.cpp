#include "LogHistory.h"

#include "DailyLog.h"
#include "core/BoundedRead.h"
#include "core/TextCodec.h"
#include "net/ScoreLine.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace corvanta {

namespace {

// A day of scores is a few kilobytes; a larger file is not one of our logs.
constexpr qint64 MaxLogBytes = 4 * 1024 * 1024;

bool logHolds(const QString &path, const QString &className, const QString &student)
{
    QFile file(path);
    if (file.size() > MaxLogBytes || !openRegularFile(file, QIODevice::ReadOnly))
        return false;
    const QString text = fromGbk(file.read(MaxLogBytes));
    for (const QString &line : text.split(u'\n')) {
        const auto score = ScoreLine::parse(line);
        if (score && score->student == student && score->className == className)
            return true;
    }
    return false;
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
