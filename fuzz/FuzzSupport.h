#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

// What the fuzz targets share: a broken promise ends the run like a crash, so libFuzzer
// keeps the input that broke it; files are written to a folder of this run's own.
namespace corvanta::fuzz {

inline void require(bool holds, const char *what)
{
    if (!holds) {
        std::fprintf(stderr, "broken promise: %s\n", what);
        std::abort();
    }
}

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A path in a private folder that lives as long as the process.
inline QString scratchPath(const QString &name)
{
    static QTemporaryDir folder;
    require(folder.isValid(), "a scratch folder can be made");
    return folder.filePath(name);
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "the scratch file can be written");
    require(file.write(bytes) == bytes.size(), "the scratch file takes every byte");
}

} // namespace corvanta::fuzz
