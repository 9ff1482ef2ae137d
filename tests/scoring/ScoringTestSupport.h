#pragma once

#include "core/TextCodec.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

// File helpers of the scoring tests.
namespace corvanta::test {

// The bytes of a score file holding these lines.
inline QByteArray gbkLines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += toGbk(line) + "\r\n";
    return bytes;
}

inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// A file of the given size that takes no room on disk.
inline bool makeSparseFile(const QString &path, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

} // namespace corvanta::test
