// Opening only regular files, on POSIX systems.
#include "BoundedRead.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvanta {

Result openRegularFile(QFile &file, QIODevice::OpenMode mode)
{
    const QString notRegular = QStringLiteral("不是普通文件");
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
}

FileStamp fileStamp(const QString &path)
{
    FileStamp stamp;
    struct stat st
    {
    };
    const QByteArray native = QFile::encodeName(path);
    if (path.isEmpty() || ::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return stamp;
    stamp.regular = true;
    stamp.size = st.st_size;
    stamp.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    stamp.changedNs = qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    stamp.identity = quint64(st.st_ino);
    return stamp;
}

} // namespace corvanta
