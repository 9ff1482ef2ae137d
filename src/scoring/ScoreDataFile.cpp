#include "ScoreDataFile.h"

#include "core/BoundedRead.h"
#include "core/TextCodec.h"
#include "net/ScoreLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace corvanta {

namespace {

QString shownPath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

} // namespace

Expected<ScoreFileContent> readScoreLines(const QString &path, qint64 maxBytes)
{
    using Content = Expected<ScoreFileContent>;
    const QFileInfo info(path);
    if (!info.exists())
        return Content::failure(QStringLiteral("文件不存在：") + shownPath(path));
    if (info.isDir())
        return Content::failure(QStringLiteral("这是一个文件夹，不是数据文件：") + shownPath(path));
    QFile file(path);
    if (const Result opened = openRegularFile(file, QIODevice::ReadOnly); !opened) {
        return Content::failure(QStringLiteral("无法读取文件：") + shownPath(path) + QStringLiteral("（") +
                                opened.error() + QStringLiteral("）"));
    }
    // The size on disk may lie (a growing file, a device); never read past the limit.
    const QByteArray bytes = readAtMost(file, maxBytes + 1);
    if (bytes.size() > maxBytes)
        return Content::failure(QStringLiteral("文件太大，不是成绩数据文件：") + shownPath(path));
    if (file.error() != QFileDevice::NoError) {
        return Content::failure(QStringLiteral("无法读取文件：") + shownPath(path) + QStringLiteral("（") +
                                file.errorString() + QStringLiteral("）"));
    }

    // Split the bytes first: a broken byte sequence then spoils only its own line.
    ScoreFileContent content;
    const QList<QByteArray> rawLines = bytes.split('\n');
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        QByteArray raw = rawLines[i];
        if (raw.endsWith('\r'))
            raw.chop(1);
        const QString line = fromGbk(raw);
        if (line.trimmed().isEmpty())
            continue;
        // Bytes that do not come back unchanged were not GBK (or were cut inside a character).
        const std::optional<ScoreLine> score = ScoreLine::parse(line);
        if (score && toGbk(line) == raw)
            content.lines.append(*score);
        else
            content.badLines.append(int(i + 1));
    }
    return content;
}

Result writeScoreLines(const QString &path, const QList<ScoreLine> &lines)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return Result::failure(QStringLiteral("无法创建文件：") + shownPath(path) + QStringLiteral("（") +
                               file.errorString() + QStringLiteral("）"));
    }
    QByteArray bytes;
    for (const ScoreLine &line : lines) {
        bytes += toGbk(line.text());
        bytes += "\r\n";
    }
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        return Result::failure(QStringLiteral("无法写入文件：") + shownPath(path) + QStringLiteral("（") +
                               file.errorString() + QStringLiteral("）"));
    }
    return Result::success();
}

QString withDataFileSuffix(const QString &path)
{
    if (!QFileInfo(path).suffix().isEmpty())
        return path;
    return path.endsWith(u'.') ? path + QStringLiteral("cvr") : path + QStringLiteral(".cvr");
}

QString describeBadLines(const QList<int> &badLines)
{
    constexpr int kShown = 5;
    QStringList numbers;
    for (int i = 0; i < badLines.size() && i < kShown; ++i)
        numbers.append(QString::number(badLines[i]));
    QString text = QStringLiteral("第 ") + numbers.join(QStringLiteral("、")) + QStringLiteral(" 行");
    if (badLines.size() > kShown)
        text += QStringLiteral("等 %1 行").arg(badLines.size());
    return text;
}

} // namespace corvanta
