#include "BoundedRead.h"

#include <QFileInfo>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace corvanta {

QByteArray readAtMost(QIODevice &device, qint64 maxBytes)
{
    constexpr qint64 kPiece = 64 * 1024;
    QByteArray bytes;
    while (bytes.size() < maxBytes) {
        const QByteArray piece = device.read(std::min(kPiece, maxBytes - bytes.size()));
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    return bytes;
}

Result openRegularFile(QFile &file, QIODevice::OpenMode mode)
{
    const QString notRegular = QStringLiteral("不是普通文件");
#ifdef Q_OS_UNIX
    // Non-blocking, so that opening a FIFO returns at once; then the type decides.
    int flags = O_CLOEXEC | O_NONBLOCK;
    if (mode & QIODevice::WriteOnly) {
        flags |= (mode & QIODevice::ReadOnly) ? O_RDWR : O_WRONLY;
        flags |= O_CREAT;
        if (mode & QIODevice::Append)
            flags |= O_APPEND;
        // QFile's rule: writing alone empties the file.
        if ((mode & QIODevice::Truncate) ||
            !(mode & (QIODevice::ReadOnly | QIODevice::Append | QIODevice::NewOnly | QIODevice::ExistingOnly)))
            flags |= O_TRUNC;
    } else {
        flags |= O_RDONLY;
    }
    const QByteArray native = QFile::encodeName(file.fileName());
    // O_TRUNC must not touch anything but a regular file: look before opening.
    struct stat before
    {
    };
    if (::stat(native.constData(), &before) == 0 && !S_ISREG(before.st_mode))
        return Result::failure(notRegular);
    const int fd = ::open(native.constData(), flags, 0666);
    if (fd < 0) {
        // A FIFO without a reader refuses a writer with ENXIO.
        return Result::failure(errno == ENXIO ? notRegular : qt_error_string(errno));
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Result::failure(notRegular);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Result::failure(file.errorString());
    }
    return Result::success();
#else
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile())
        return Result::failure(notRegular);
    if (!file.open(mode))
        return Result::failure(file.errorString());
    return Result::success();
#endif
}

} // namespace corvanta
