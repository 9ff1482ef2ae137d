#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>

namespace corvanta {

// Reads until the end of the device or maxBytes, whichever comes first. The buffer grows
// with what arrives, so a small file costs a small buffer however high the limit (a plain
// read(maxBytes) sets the whole limit aside first). Read errors end the read early; the
// device's error() tells them apart from the end.
QByteArray readAtMost(QIODevice &device, qint64 maxBytes);

// Opens the file (named by its fileName()) only when it is a regular file: a FIFO under a
// data file's name would hold the window in open() until some other program opened its other
// end, a device would read without end. Such a file fails with "不是普通文件". Modes that
// write create a missing file, as QFile::open does.
Result openRegularFile(QFile &file, QIODevice::OpenMode mode);

// What tells a changed file from the one read before: equal stamps, same file unchanged.
struct FileStamp
{
    bool regular = false; // false: missing, or not a regular file
    qint64 size = -1;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0; // status change (POSIX); creation time on Windows
    quint64 identity = 0; // inode; file index on Windows
    bool operator==(const FileStamp &) const = default;
};
FileStamp fileStamp(const QString &path);

} // namespace corvanta
