#include "Shortcuts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace corvanta::console {

namespace {

const QString kGroupFolder = QStringLiteral("Brastel");

QString folderOf(int kind, const ShortcutFolders &folders)
{
    switch (kind) {
    case DesktopShortcut:
        return folders.desktop;
    case GroupShortcut:
        return folders.applications.isEmpty() ? QString() : QDir(folders.applications).filePath(kGroupFolder);
    case MenuShortcut:
        return folders.applications;
    default:
        return {};
    }
}

} // namespace

ShortcutFolders ShortcutFolders::system()
{
    // On Windows the applications folder is the Start menu's Programs folder of the user.
    return {QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
            QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation)};
}

QString shortcutPath(int kind, const ShortcutFolders &folders)
{
    const QString folder = folderOf(kind, folders);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(shortcutFileName());
}

bool shortcutExists(int kind, const ShortcutFolders &folders)
{
    const QString path = shortcutPath(kind, folders);
    return !path.isEmpty() && shortcutFilePresent(path);
}

Result AddProgramShortcut(int kind, const ShortcutFolders &folders, const QString &program,
                          const QStringList &arguments)
{
    if (kind < 0 || kind >= kShortcutKinds)
        return Result::success();
    const QString folder = folderOf(kind, folders);
    if (folder.isEmpty())
        return Result::failure(QStringLiteral("找不到放快捷方式的文件夹。"));
    // A fresh account may have no applications (or even desktop) folder yet.
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder))
        return Result::failure(QStringLiteral("无法建立文件夹：") + QDir::toNativeSeparators(folder));
    const QString path = QDir(folder).filePath(shortcutFileName());
    if (const Result written = writeShortcutFile(path, program, arguments); !written)
        return Result::failure(QStringLiteral("无法写入快捷方式：") + QDir::toNativeSeparators(path) +
                               QStringLiteral("\r\n") + written.error());
    return Result::success();
}

Result RemoveProgramShortcut(int kind, const ShortcutFolders &folders)
{
    if (kind < 0 || kind >= kShortcutKinds)
        return Result::success();
    const QString folder = folderOf(kind, folders);
    if (folder.isEmpty())
        return Result::success();
    const QString path = QDir(folder).filePath(shortcutFileName());
    if (shortcutFilePresent(path) && !QFile::remove(path))
        return Result::failure(QStringLiteral("无法删除快捷方式：") + QDir::toNativeSeparators(path));
    // The group folder goes only when nothing else is left in it: other files there are not ours.
    if (kind == GroupShortcut)
        QDir().rmdir(folder);
    return Result::success();
}

} // namespace corvanta::console
