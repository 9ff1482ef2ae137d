#include "PlatformPaths.h"

#include <QDir>
#include <QStandardPaths>

#include <unistd.h>

namespace corvanta {

QString machineSettingsFile(const QString &root)
{
    return root + QStringLiteral("/etc/corvanta/corvanta.conf");
}

QString instanceSocketName()
{
    // The user's runtime folder (mode 0700) keeps other users off the socket.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty())
        return QDir(runtime).filePath(QStringLiteral("corvanta-instance"));
    return QStringLiteral("corvanta-instance-%1").arg(::getuid());
}

} // namespace corvanta
