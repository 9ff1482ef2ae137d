#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

// The program's launchers: "Corvan.lnk" shell links on Windows (ShortcutFile_win.cpp),
// freedesktop "Corvan.desktop" files elsewhere (ShortcutFile_desktop.cpp).
namespace corvanta::console {

enum ShortcutKind { DesktopShortcut = 0, GroupShortcut = 1, MenuShortcut = 2 };
inline constexpr int kShortcutKinds = 3;

// Where launchers go: the desktop folder and the applications (menu) folder.
struct ShortcutFolders
{
    QString desktop;
    QString applications;
    // The user's folders as QStandardPaths knows them.
    static ShortcutFolders system();
};

// The launcher file of a kind: desktop/Corvan.desktop, applications/Brastel/Corvan.desktop,
// applications/Corvan.desktop (Corvan.lnk on Windows, where "applications" is the Start
// menu's Programs folder). Empty when the folder is unknown.
QString shortcutPath(int kind, const ShortcutFolders &folders);
bool shortcutExists(int kind, const ShortcutFolders &folders);

// The launcher's file name on this system.
QString shortcutFileName();
// Whether the launcher file itself is there, whatever it points at (a link to a program
// that has since moved is still ours to remove).
bool shortcutFilePresent(const QString &path);
// Writes the launcher file for the program at that path (over an old one); its folder exists.
// The arguments are those the running tool was given for its server, so the launcher
// reaches the same server.
Result writeShortcutFile(const QString &path, const QString &program, const QStringList &arguments = {});

// The text of a freedesktop launcher for the program at that path, started with those arguments.
QByteArray desktopEntry(const QString &program, const QStringList &arguments = {});

// Writes the launcher (over an old one), making its folder first when missing. Other kinds
// do nothing.
Result AddProgramShortcut(int kind, const ShortcutFolders &folders, const QString &program,
                          const QStringList &arguments = {});
// Removes the launcher; the group kind then removes the "Brastel" folder when it is left
// empty (other files in it are not this program's). Nothing to remove is no failure.
Result RemoveProgramShortcut(int kind, const ShortcutFolders &folders);

} // namespace corvanta::console
