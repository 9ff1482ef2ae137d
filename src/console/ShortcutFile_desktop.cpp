// Launchers on Linux desktops: freedesktop ".desktop" files.
#include "Shortcuts.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace corvanta::console {

namespace {

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

QString shortcutFileName()
{
    return QStringLiteral("Corvan.desktop");
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

bool shortcutFilePresent(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() || info.isFile();
}

Result writeShortcutFile(const QString &path, const QString &program, const QStringList &arguments)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(desktopEntry(program, arguments)) < 0 || !file.commit())
        return Result::failure(file.errorString());
    // Desktops start only launchers that may be executed.
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return Result::success();
}

} // namespace corvanta::console
