#include "PlatformPaths.h"

#include <QCoreApplication>
#include <QDir>

namespace corvanta {

QString machineSettingsFile(const QString &root)
{
    // The installer writes it beside the program, where users cannot change it.
    const QString folder = root.isEmpty() ? QCoreApplication::applicationDirPath() : root;
    return QDir(folder).filePath(QStringLiteral("corvanta.ini"));
}

QString instanceSocketName()
{
    // Pipes are one namespace for the whole computer: the user's name keeps them apart.
    return QStringLiteral("corvanta-instance-") + qEnvironmentVariable("USERNAME");
}

} // namespace corvanta
