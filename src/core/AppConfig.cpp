#include "AppConfig.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>

namespace corvanta {

QString stripTrailingSlash(QString base)
{
    while (base.endsWith(u'/'))
        base.chop(1);
    return base;
}

namespace {

// Value of "--name VALUE" or "--name=VALUE"; empty when absent.
QString optionValue(const QStringList &arguments, const QString &name)
{
    QString value;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &arg = arguments[i];
        if (arg == name && i + 1 < arguments.size())
            value = arguments[++i];
        else if (arg.startsWith(name + u'='))
            value = arg.mid(name.size() + 1);
    }
    return value;
}

QString firstNonEmpty(std::initializer_list<QString> candidates)
{
    for (const QString &c : candidates) {
        if (!c.isEmpty())
            return c;
    }
    return {};
}

} // namespace

AppConfig AppConfig::fromArguments(const QStringList &arguments)
{
    AppConfig config;
    config.dataDir = firstNonEmpty({optionValue(arguments, QStringLiteral("--data-dir")),
                                    qEnvironmentVariable("CORVANTA_DATA_DIR"),
                                    QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)});
    config.serverBase = stripTrailingSlash(firstNonEmpty({optionValue(arguments, QStringLiteral("--server")),
                                                          qEnvironmentVariable("CORVANTA_SERVER"),
                                                          QStringLiteral(CORVANTA_SERVER_BASE)}));
    config.vendorBase = stripTrailingSlash(firstNonEmpty({optionValue(arguments, QStringLiteral("--vendor")),
                                                          qEnvironmentVariable("CORVANTA_VENDOR"),
                                                          QStringLiteral(CORVANTA_VENDOR_BASE)}));
    config.contactAddress = firstNonEmpty({optionValue(arguments, QStringLiteral("--contact")),
                                           qEnvironmentVariable("CORVANTA_CONTACT"),
                                           QStringLiteral(CORVANTA_CONTACT_ADDRESS),
                                           QUrl(config.vendorBase).host()});
    if (!config.dataDir.isEmpty())
        config.dataDir = QDir(config.dataDir).absolutePath();
    return config;
}

QString AppConfig::dataFile(const QString &name) const
{
    return QDir(dataDir).filePath(name);
}

QString AppConfig::recordFile() const
{
    return dataFile(QStringLiteral("ServerRec.cvd"));
}

bool AppConfig::ensureDataDir() const
{
    return !dataDir.isEmpty() && QDir().mkpath(dataDir);
}

QString programVersionText()
{
    return QStringLiteral(CORVANTA_VERSION_TEXT);
}

} // namespace corvanta
