#include "DailyLog.h"

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

} // namespace corvanta
