#include "PendingScores.h"

#include "ScoreDataFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace corvanta {

PendingScores::PendingScores(const QString &filePath, QObject *parent) : QObject(parent), m_filePath(filePath)
{
}

QString PendingScores::load()
{
    m_lines.clear();
    if (!QFileInfo::exists(m_filePath)) {
        emit reset();
        return {};
    }

    const ScoreFileContent content = readScoreLines(m_filePath);
    m_lines = content.lines;
    QString problem;
    if (!content.error.isEmpty())
        problem = content.error;
    else if (!content.badLines.isEmpty())
        problem = QStringLiteral("待上传成绩文件的") + describeBadLines(content.badLines) +
                  QStringLiteral("无法识别，已跳过。");

    // A FIFO or device in its place has nothing to keep, and copying it could wait for ever.
    if (!problem.isEmpty() && QFileInfo(m_filePath).isFile()) {
        const QString aside = m_filePath + QStringLiteral(".bad-") +
                              QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
        if (QFile::copy(m_filePath, aside))
            problem += QStringLiteral("\r\n原文件已另存为：") + QDir::toNativeSeparators(aside);
        else
            problem += QStringLiteral("\r\n原文件无法另存：") + QDir::toNativeSeparators(aside);
    }
    emit reset();
    return problem;
}

Result PendingScores::append(const QString &line)
{
    m_lines.append(line);
    emit linesAppended(int(m_lines.size() - 1), {line});
    return save();
}

Result PendingScores::appendNew(const QStringList &lines, int *added)
{
    QSet<QString> known(m_lines.cbegin(), m_lines.cend());
    QStringList fresh;
    for (const QString &line : lines) {
        if (known.contains(line))
            continue;
        known.insert(line);
        fresh.append(line);
    }
    if (added)
        *added = int(fresh.size());
    if (fresh.isEmpty())
        return Result::success();
    const int first = int(m_lines.size());
    m_lines.append(fresh);
    emit linesAppended(first, fresh);
    return save();
}

Result PendingScores::removeRows(QList<int> rows)
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(),
                              [this](int row) { return row < 0 || row >= m_lines.size(); }),
               rows.end());
    if (rows.isEmpty())
        return Result::success();
    for (auto it = rows.crbegin(); it != rows.crend(); ++it)
        m_lines.removeAt(*it);
    emit rowsRemoved(rows);
    return save();
}

Result PendingScores::replaceLine(int row, const QString &line)
{
    if (row < 0 || row >= m_lines.size())
        return Result::success();
    m_lines[row] = line;
    emit lineReplaced(row, line);
    return save();
}

Result PendingScores::save()
{
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder))
        return Result::failure(QStringLiteral("无法创建数据文件夹：") + QDir::toNativeSeparators(folder));
    return writeScoreLines(m_filePath, m_lines);
}

} // namespace corvanta
