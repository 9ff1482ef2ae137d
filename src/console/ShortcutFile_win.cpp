// Launchers on Windows: shell links ("Corvan.lnk") made through IShellLink.
#include "Shortcuts.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace corvanta::console {

namespace {

// COM for the calling thread, for as long as the object lives.
class ComScope
{
public:
    ComScope() : m_started(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComScope()
    {
        if (m_started)
            CoUninitialize();
    }
    ComScope(const ComScope &) = delete;
    ComScope &operator=(const ComScope &) = delete;

private:
    bool m_started;
};

QString comError(HRESULT result)
{
    return qt_error_string(int(result));
}

} // namespace

QString shortcutFileName()
{
    return QStringLiteral("Corvan.lnk");
}

bool shortcutFilePresent(const QString &path)
{
    // Not through QFileInfo: Qt follows a .lnk file to its target.
    const DWORD attributes = GetFileAttributesW(QDir::toNativeSeparators(path).toStdWString().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Result writeShortcutFile(const QString &path, const QString &program, const QStringList &arguments)
{
    const ComScope com;
    IShellLinkW *link = nullptr;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                      reinterpret_cast<void **>(&link));
    if (FAILED(result))
        return Result::failure(comError(result));
    const std::wstring target = QDir::toNativeSeparators(program).toStdWString();
    const std::wstring folder = QDir::toNativeSeparators(QFileInfo(program).absolutePath()).toStdWString();
    link->SetPath(target.c_str());
    link->SetWorkingDirectory(folder.c_str());
    // Each argument in double quotes, as the program's command line reads them back.
    QStringList quoted;
    for (const QString &argument : arguments)
        quoted.append(u'"' + QString(argument).replace(u'"', QStringLiteral("\\\"")) + u'"');
    const std::wstring line = quoted.join(u' ').toStdWString();
    link->SetArguments(line.c_str());
    link->SetIconLocation(target.c_str(), 0);
    link->SetDescription(L"Corvanta");
    // The link is made in memory and written like any other file (IPersistFile::Save of
    // wine keeps the file open, so it could not be removed again at once).
    QByteArray bytes;
    IPersistStream *persist = nullptr;
    IStream *stream = nullptr;
    result = link->QueryInterface(IID_IPersistStream, reinterpret_cast<void **>(&persist));
    if (SUCCEEDED(result))
        result = CreateStreamOnHGlobal(nullptr, TRUE, &stream);
    if (SUCCEEDED(result))
        result = persist->Save(stream, TRUE);
    if (SUCCEEDED(result)) {
        ULARGE_INTEGER size{};
        LARGE_INTEGER start{};
        stream->Seek(start, STREAM_SEEK_CUR, &size);
        stream->Seek(start, STREAM_SEEK_SET, nullptr);
        bytes.resize(qsizetype(size.QuadPart));
        ULONG read = 0;
        result = stream->Read(bytes.data(), ULONG(bytes.size()), &read);
        bytes.truncate(read);
    }
    if (stream)
        stream->Release();
    if (persist)
        persist->Release();
    link->Release();
    if (FAILED(result))
        return Result::failure(comError(result));
    if (bytes.isEmpty())
        return Result::failure(QStringLiteral("IPersistStream::Save"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return Result::failure(file.errorString());
    return Result::success();
}

} // namespace corvanta::console
