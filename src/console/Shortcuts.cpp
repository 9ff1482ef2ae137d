#include "Shortcuts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace corvanta::console {

namespace {

const QString kFileName = QStringLiteral("Corvan.desktop");
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

// The Exec key's rules: a path with reserved characters goes in double quotes with ",
// `, $ and \ escaped; "%" is doubled. The value as a whole escapes "\" once more.
QString execValue(const QString &program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString quoted = program;
    bool needsQuotes = false;
    for (QChar c : program)
        needsQuotes = needsQuotes || reserved.contains(c);
    if (needsQuotes) {
        QString inner;
        for (QChar c : program) {
            if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
                inner += u'\\';
            inner += c;
        }
        quoted = u'"' + inner + u'"';
    }
    quoted.replace(u'%', QStringLiteral("%%"));
    quoted.replace(u'\\', QStringLiteral("\\\\"));
    quoted.replace(u'\n', QStringLiteral("\\n"));
    return quoted;
}

} // namespace

ShortcutFolders ShortcutFolders::system()
{
    return {QStandardPaths::writableLocation(QStandardPaths::DesktopLocation),
            QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation)};
}

QString shortcutPath(int kind, const ShortcutFolders &folders)
{
    const QString folder = folderOf(kind, folders);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(kFileName);
}

bool shortcutExists(int kind, const ShortcutFolders &folders)
{
    const QString path = shortcutPath(kind, folders);
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QByteArray desktopEntry(const QString &program, const QStringList &arguments)
{
    QString exec = execValue(program);
    for (const QString &argument : arguments)
        exec += u' ' + execValue(argument);
    const QString text = QStringLiteral("[Desktop Entry]\n"
                                        "Type=Application\n"
                                        "Name=Corvanta\n"
                                        "Name[zh_CN]=课堂点名\n"
                                        "Icon=corvanta\n"
                                        "Exec=") +
                         exec + QStringLiteral("\nCategories=Education;\n");
    return text.toUtf8();
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
    const QString path = QDir(folder).filePath(kFileName);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(desktopEntry(program, arguments)) < 0 || !file.commit())
        return Result::failure(QStringLiteral("无法写入快捷方式：") + QDir::toNativeSeparators(path) +
                               QStringLiteral("\r\n") + file.errorString());
    // Desktops start only launchers that may be executed.
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return Result::success();
}

Result RemoveProgramShortcut(int kind, const ShortcutFolders &folders)
{
    if (kind < 0 || kind >= kShortcutKinds)
        return Result::success();
    const QString folder = folderOf(kind, folders);
    if (folder.isEmpty())
        return Result::success();
    const QString path = QDir(folder).filePath(kFileName);
    if (QFileInfo::exists(path) && !QFile::remove(path))
        return Result::failure(QStringLiteral("无法删除快捷方式：") + QDir::toNativeSeparators(path));
    // The group folder goes only when nothing else is left in it: other files there are not ours.
    if (kind == GroupShortcut)
        QDir().rmdir(folder);
    return Result::success();
}

} // namespace corvanta::console
