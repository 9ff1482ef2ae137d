// Launchers on Windows: shell links ("Corvan.lnk") made through IShellLink.
#include "Shortcuts.h"

#include <QDir>
#include <QFileInfo>

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

Result writeShortcutFile(const QString &path, const QString &program)
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
    link->SetIconLocation(target.c_str(), 0);
    link->SetDescription(L"Corvanta");
    IPersistFile *file = nullptr;
    result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file));
    if (SUCCEEDED(result)) {
        const std::wstring where = QDir::toNativeSeparators(path).toStdWString();
        result = file->Save(where.c_str(), TRUE);
        file->Release();
    }
    link->Release();
    return SUCCEEDED(result) ? Result::success() : Result::failure(comError(result));
}

} // namespace corvanta::console
