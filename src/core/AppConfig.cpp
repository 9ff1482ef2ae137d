#include "AppConfig.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
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

const QString kProgram = QStringLiteral("corvanta");

QString firstNonEmpty(std::initializer_list<QString> candidates)
{
    for (const QString &c : candidates) {
        if (!c.isEmpty())
            return c;
    }
    return {};
}

CommandLineResult stop(int exitCode, const QString &text)
{
    CommandLineResult result;
    result.run = false;
    result.exitCode = exitCode;
    result.text = text;
    return result;
}

CommandLineResult refuse(const QString &why)
{
    return stop(2, QStringLiteral("%1: %2\nTry '%1 --help'.").arg(kProgram, why));
}

} // namespace

CommandLineResult AppConfig::parseCommandLine(const QStringList &arguments,
                                              const QProcessEnvironment &environment)
{
    QCommandLineParser parser;
    // "-platform" left in by mistake is named as one word, not as eight unknown letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("Classroom roll-call and scoring tool."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the program's version and exit."));
    const QCommandLineOption dataDirOption(
        QStringLiteral("data-dir"),
        QStringLiteral("Folder of the class record file, the daily logs and the pending scores "
                       "(or CORVANTA_DATA_DIR; default: the per-user application-data folder)."),
        QStringLiteral("DIR"));
    const QCommandLineOption serverOption(
        QStringLiteral("server"),
        QStringLiteral("Score server base address (or CORVANTA_SERVER; default: %1).")
            .arg(QStringLiteral(CORVANTA_SERVER_BASE)),
        QStringLiteral("URL"));
    const QCommandLineOption vendorOption(
        QStringLiteral("vendor"),
        QStringLiteral("Vendor web site base address (or CORVANTA_VENDOR; default: %1).")
            .arg(QStringLiteral(CORVANTA_VENDOR_BASE)),
        QStringLiteral("URL"));
    const QCommandLineOption contactOption(
        QStringLiteral("contact"),
        QStringLiteral("Whom the password-reset window names for teachers without an e-mail address "
                       "(or CORVANTA_CONTACT; default: the build's, else the vendor site's host)."),
        QStringLiteral("TEXT"));
    const QCommandLineOption caFileOption(
        QStringLiteral("ca-file"),
        QStringLiteral("PEM file of a certificate authority to trust besides the system's, for an "
                       "https:// server with a school's own certificate (or CORVANTA_CA_FILE)."),
        QStringLiteral("FILE"));
    parser.addOptions(
        {help, version, dataDirOption, serverOption, vendorOption, contactOption, caFileOption});

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help))
        return stop(0, parser.helpText().trimmed());
    if (parser.isSet(version))
        return stop(0, kProgram + u' ' + programVersionText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));

    CommandLineResult result;
    AppConfig &config = result.config;
    config.dataDir =
        firstNonEmpty({parser.value(dataDirOption), environment.value(QStringLiteral("CORVANTA_DATA_DIR")),
                       QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)});
    config.serverBase = stripTrailingSlash(
        firstNonEmpty({parser.value(serverOption), environment.value(QStringLiteral("CORVANTA_SERVER")),
                       QStringLiteral(CORVANTA_SERVER_BASE)}));
    config.vendorBase = stripTrailingSlash(
        firstNonEmpty({parser.value(vendorOption), environment.value(QStringLiteral("CORVANTA_VENDOR")),
                       QStringLiteral(CORVANTA_VENDOR_BASE)}));
    config.contactAddress =
        firstNonEmpty({parser.value(contactOption), environment.value(QStringLiteral("CORVANTA_CONTACT")),
                       QStringLiteral(CORVANTA_CONTACT_ADDRESS), QUrl(config.vendorBase).host()});
    if (!config.dataDir.isEmpty())
        config.dataDir = QDir(config.dataDir).absolutePath();
    config.caFile =
        firstNonEmpty({parser.value(caFileOption), environment.value(QStringLiteral("CORVANTA_CA_FILE"))});
    if (!config.caFile.isEmpty() && !QFileInfo(config.caFile).isReadable())
        return refuse(QStringLiteral("Cannot read the certificate file '%1'.").arg(config.caFile));
    return result;
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
