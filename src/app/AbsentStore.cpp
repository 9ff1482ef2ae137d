#include "AbsentStore.h"

#include "core/BoundedRead.h"
#include "core/Clock.h"
#include "scoring/DailyLog.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace corvanta {

namespace {

// A class has a few dozen students; a larger file is not ours.
constexpr qint64 MaxFileBytes = 256 * 1024;

} // namespace

AbsentStore::AbsentStore(QString dataDir, const Clock &clock) : m_dataDir(std::move(dataDir)), m_clock(clock)
{
}

QString AbsentStore::fileName(const QString &className, const QDate &day)
{
    return QStringLiteral("Absent_") + safeFileNamePart(className) + u'_' +
           day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".txt");
}

QString AbsentStore::filePath(const QString &className, const QDate &day) const
{
    return QDir(m_dataDir).filePath(fileName(className, day));
}

QStringList &AbsentStore::today(const QString &className)
{
    const QDate day = m_clock.now().date();
    if (day != m_day) {
        // Yesterday's marks stay in their own files; today starts afresh.
        m_kept.clear();
        m_day = day;
    }
    auto it = m_kept.find(className);
    if (it != m_kept.end())
        return *it;

    QStringList names;
    QFile file(filePath(className, day));
    if (file.exists()) {
        if (file.size() > MaxFileBytes) {
            m_problem =
                QStringLiteral("缺席名单文件过大，未读取：") + QDir::toNativeSeparators(file.fileName());
        } else if (const Result opened = openRegularFile(file, QIODevice::ReadOnly); !opened) {
            m_problem = QStringLiteral("无法读取缺席名单：") + QDir::toNativeSeparators(file.fileName()) +
                        QStringLiteral("（") + opened.error() + QStringLiteral("）");
        } else {
            const QString text = QString::fromUtf8(file.read(MaxFileBytes));
            for (QString line : text.split(u'\n')) {
                if (line.endsWith(u'\r'))
                    line.chop(1);
                if (!line.isEmpty() && !line.contains(u'\t') && !names.contains(line))
                    names.append(line);
            }
        }
    }
    return *m_kept.insert(className, names);
}

QStringList AbsentStore::absent(const QString &className)
{
    return today(className);
}

QSet<QString> AbsentStore::absentSet(const QString &className)
{
    const QStringList &names = today(className);
    return {names.cbegin(), names.cend()};
}

bool AbsentStore::isAbsent(const QString &className, const QString &name)
{
    return today(className).contains(name);
}

Result AbsentStore::setAbsent(const QString &className, const QString &name, bool absent)
{
    QStringList &names = today(className);
    if (name.isEmpty() || names.contains(name) == absent)
        return Result::success();
    if (absent)
        names.append(name);
    else
        names.removeAll(name);

    if (!QDir().mkpath(m_dataDir))
        return Result::failure(QStringLiteral("无法创建数据文件夹：") + QDir::toNativeSeparators(m_dataDir));
    QSaveFile file(filePath(className, m_day));
    QByteArray bytes;
    for (const QString &n : names)
        bytes += n.toUtf8() + "\r\n";
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        return Result::failure(QStringLiteral("缺席名单无法保存：") +
                               QDir::toNativeSeparators(file.fileName()) + QStringLiteral("（") +
                               file.errorString() + QStringLiteral("）"));
    }
    return Result::success();
}

QStringList presentNames(const QStringList &names, const QSet<QString> &absent)
{
    if (absent.isEmpty())
        return names;
    QStringList present;
    for (const QString &n : names) {
        if (!absent.contains(n))
            present.append(n);
    }
    return present;
}

} // namespace corvanta
