#pragma once

#include "core/Result.h"

#include <QString>
#include <QStringList>

// The program's launchers: freedesktop ".desktop" files named "Corvan.desktop".
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
// applications/Corvan.desktop. Empty when the folder is unknown.
QString shortcutPath(int kind, const ShortcutFolders &folders);
bool shortcutExists(int kind, const ShortcutFolders &folders);

// The launcher's text for the program at that path, started with those arguments (the
// server address the running tool was given, so the launcher reaches the same server).
QByteArray desktopEntry(const QString &program, const QStringList &arguments = {});

// Writes the launcher (over an old one), making its folder first when missing. Other kinds
// do nothing.
Result AddProgramShortcut(int kind, const ShortcutFolders &folders, const QString &program,
                          const QStringList &arguments = {});
// Removes the launcher; the group kind then removes the "Brastel" folder when it is left
// empty (other files in it are not this program's). Nothing to remove is no failure.
Result RemoveProgramShortcut(int kind, const ShortcutFolders &folders);

} // namespace corvanta::console
