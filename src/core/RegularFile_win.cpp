// Opening only regular files, on Windows: device names (CON, NUL, COM1, ...) and the device
// and pipe namespaces (\\.\pipe\...) are refused by name, before anything is opened; what is
// opened must then be a disk file that is not a folder.
#include "BoundedRead.h"

#include <QDir>
#include <QFileInfo>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace corvanta {

namespace {

const QString kNotRegular = QStringLiteral("不是普通文件");

// "NUL", "con.txt", "COM1 " or "lpt3.log.": Windows opens the device whatever the folder.
bool isDeviceName(const QString &path)
{
    QString base = QFileInfo(path).fileName();
    base = base.left(base.indexOf(u'.')).trimmed().toUpper();
    static const QStringList plain{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                   QStringLiteral("NUL"), QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    if (plain.contains(base))
        return true;
    return base.size() == 4 && (base.startsWith(QStringLiteral("COM")) || base.startsWith(QStringLiteral("LPT"))) &&
           base[3] >= u'0' && base[3] <= u'9';
}

bool isDeviceNamespace(const QString &path)
{
    const QString native = QDir::toNativeSeparators(path);
    return native.startsWith(QStringLiteral("\\\\.\\")) || native.startsWith(QStringLiteral("\\\\?\\GLOBALROOT"),
                                                                             Qt::CaseInsensitive);
}

bool refusedByName(const QString &path)
{
    return isDeviceName(path) || isDeviceNamespace(path);
}

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

bool isDiskFile(HANDLE handle)
{
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
           !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

QString lastError()
{
    return qt_error_string(int(GetLastError()));
}

qint64 nanoseconds(FILETIME time)
{
    return qint64((quint64(time.dwHighDateTime) << 32) | time.dwLowDateTime) * 100;
}

} // namespace

Result openRegularFile(QFile &file, QIODevice::OpenMode mode)
{
    const QString name = file.fileName();
    if (refusedByName(name))
        return Result::failure(kNotRegular);
    const QFileInfo info(name);
    if (info.exists() && !info.isFile())
        return Result::failure(kNotRegular);

    DWORD access = 0;
    DWORD disposition = OPEN_EXISTING;
    int crtFlags = _O_BINARY;
    if (mode & QIODevice::WriteOnly) {
        access = GENERIC_WRITE | ((mode & QIODevice::ReadOnly) ? GENERIC_READ : 0);
        crtFlags |= (mode & QIODevice::ReadOnly) ? _O_RDWR : _O_WRONLY;
        if (mode & QIODevice::Append)
            crtFlags |= _O_APPEND;
        // QFile's rule: writing alone empties the file.
        const bool truncate =
            (mode & QIODevice::Truncate) ||
            !(mode & (QIODevice::ReadOnly | QIODevice::Append | QIODevice::NewOnly | QIODevice::ExistingOnly));
        if (mode & QIODevice::NewOnly)
            disposition = CREATE_NEW;
        else if (mode & QIODevice::ExistingOnly)
            disposition = truncate ? TRUNCATE_EXISTING : OPEN_EXISTING;
        else
            disposition = truncate ? CREATE_ALWAYS : OPEN_ALWAYS;
    } else {
        access = GENERIC_READ;
        crtFlags |= _O_RDONLY;
    }
    HANDLE handle = CreateFileW(nativePath(name).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Result::failure(lastError());
    if (!isDiskFile(handle)) {
        CloseHandle(handle);
        return Result::failure(kNotRegular);
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), crtFlags);
    if (fd < 0) {
        CloseHandle(handle);
        return Result::failure(kNotRegular);
    }
    if (!file.open(fd, mode, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return Result::failure(file.errorString());
    }
    return Result::success();
}

FileStamp fileStamp(const QString &path)
{
    FileStamp stamp;
    if (path.isEmpty() || refusedByName(path))
        return stamp;
    // No access asked for: reads the file's facts without opening its contents.
    HANDLE handle = CreateFileW(nativePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return stamp;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
        !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        stamp.regular = true;
        stamp.size = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
        stamp.modifiedNs = nanoseconds(info.ftLastWriteTime);
        stamp.changedNs = nanoseconds(info.ftCreationTime);
        stamp.identity = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }
    CloseHandle(handle);
    return stamp;
}

} // namespace corvanta
