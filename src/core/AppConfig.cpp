#include "AppConfig.h"

#include "core/MachineSettings.h"
#include "core/PlatformPaths.h"

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

// A site's base: http:// or https:// with a host, nothing after the path.
bool isSiteAddress(const QString &base)
{
    const QUrl url(base, QUrl::StrictMode);
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty() &&
           !url.hasQuery() && !url.hasFragment() && !base.contains(u' ');
}

// One of the two addresses and the words its messages use.
struct AddressKind
{
    QString option;   // "server"
    QString variable; // "CORVANTA_SERVER"
    QString build;    // "CORVANTA_SERVER_BASE"
    QString name;     // "评分服务器"
    QString without;  // what the tool leaves out without it
};

// The first address given: option, variable, machine-wide file, build. A wrong one ends the
// search: the tool goes without that site instead of trying the next, which would be a
// guess at what the person who set it meant.
QString chooseAddress(const AddressKind &kind, const QString &optionValue, const QProcessEnvironment &environment,
                      const MachineSettings &machine, const QString &machineValue, const QString &buildValue,
                      AppConfig &config, bool &fileFailed)
{
    const QString file = QDir::toNativeSeparators(machine.file);
    struct Source
    {
        QString value;
        QString origin;
        bool forLaunchers;
    };
    const Source sources[] = {
        {optionValue, QStringLiteral("命令行选项 --") + kind.option, true},
        {environment.value(kind.variable), QStringLiteral("环境变量 ") + kind.variable, true},
        {machineValue, file + QStringLiteral(" 中的 ") + kind.option + u'=', false},
        {buildValue, QStringLiteral("编译设置 ") + kind.build, false},
    };
    for (const Source &source : sources) {
        if (&source == &sources[2] && !machine.error.isEmpty()) {
            fileFailed = true;
            return {};
        }
        if (source.value.isEmpty())
            continue;
        const QString base = stripTrailingSlash(source.value);
        if (!isSiteAddress(base)) {
            config.addressProblems.append(
                QStringLiteral("%1地址无效：“%2”（来自%3）。地址须以 http:// 或 https:// 开头并写明主机，"
                               "例如 https://score.example.org。%4")
                    .arg(kind.name, source.value, source.origin, kind.without));
            return {};
        }
        if (source.forLaunchers)
            config.launcherArguments << QStringLiteral("--") + kind.option << base;
        return base;
    }
    return {};
}

} // namespace

CommandLineResult AppConfig::parseCommandLine(const QStringList &arguments,
                                              const QProcessEnvironment &environment, const QString &machineRoot)
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
        QStringLiteral("Score server base address (or CORVANTA_SERVER; else server= in %1; default: %2).")
            .arg(QDir::toNativeSeparators(machineSettingsFile()), QStringLiteral(CORVANTA_SERVER_BASE)),
        QStringLiteral("URL"));
    const QCommandLineOption vendorOption(
        QStringLiteral("vendor"),
        QStringLiteral("Vendor web site base address (or CORVANTA_VENDOR; else vendor= in %1; default: %2).")
            .arg(QDir::toNativeSeparators(machineSettingsFile()), QStringLiteral(CORVANTA_VENDOR_BASE)),
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
    const QCommandLineOption drawOption(
        QStringLiteral("draw"),
        QStringLiteral("Start or stop a draw in the running tool (starting the tool when none runs): "
                       "on the pool whose button caption follows (such as 未点), else on the pool the "
                       "keys draw from."));
    const QCommandLineOption showOption(QStringLiteral("show"),
                                        QStringLiteral("Show the running tool's window, opened out."));
    const QCommandLineOption hideOption(QStringLiteral("hide"),
                                        QStringLiteral("Collapse the running tool's window to its icon."));
    parser.addOptions({help, version, dataDirOption, serverOption, vendorOption, contactOption, caFileOption,
                       drawOption, showOption, hideOption});
    parser.addPositionalArgument(QStringLiteral("corvanta://..."),
                                 QStringLiteral("corvanta://draw?pool=未点, corvanta://show or corvanta://hide "
                                                "for the running tool, alone."));

    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (parser.isSet(help))
        return stop(0, parser.helpText().trimmed());
    if (parser.isSet(version))
        return stop(0, kProgram + u' ' + programVersionText());

    CommandLineResult result;
    const QStringList positional = parser.positionalArguments();
    const int requests = int(parser.isSet(drawOption)) + int(parser.isSet(showOption)) + int(parser.isSet(hideOption));
    if (requests > 1)
        return refuse(QStringLiteral("Only one of --draw, --show and --hide."));
    if (!positional.isEmpty() && OutsideRequest::looksLikeUrl(positional.first())) {
        // What a browser or a whiteboard hands over: the address and nothing beside it.
        if (arguments.size() != 2)
            return refuse(QStringLiteral("A corvanta: address comes alone."));
        const Expected<OutsideRequest> asked = OutsideRequest::fromUrl(positional.first());
        if (!asked)
            return refuse(QStringLiteral("Refused '%1': %2.").arg(positional.first(), asked.error()));
        result.request = asked.value();
    } else if (parser.isSet(drawOption)) {
        if (positional.size() > 1)
            return refuse(QStringLiteral("Unexpected argument '%1'.").arg(positional.at(1)));
        result.request.action = OutsideRequest::Action::Draw;
        result.request.pool = positional.value(0).trimmed();
    } else if (!positional.isEmpty()) {
        return refuse(QStringLiteral("Unexpected argument '%1'.").arg(positional.first()));
    } else if (parser.isSet(showOption)) {
        result.request.action = OutsideRequest::Action::Show;
    } else if (parser.isSet(hideOption)) {
        result.request.action = OutsideRequest::Action::Hide;
    }

    AppConfig &config = result.config;
    config.dataDir =
        firstNonEmpty({parser.value(dataDirOption), environment.value(QStringLiteral("CORVANTA_DATA_DIR")),
                       QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)});
    const MachineSettings machine = MachineSettings::read(machineSettingsFile(machineRoot));
    bool fileFailed = false;
    config.serverBase = chooseAddress(
        {QStringLiteral("server"), QStringLiteral("CORVANTA_SERVER"), QStringLiteral("CORVANTA_SERVER_BASE"),
         QStringLiteral("评分服务器"), QStringLiteral("本次不连接评分服务器，只能离线登录。")},
        parser.value(serverOption), environment, machine, machine.server, QStringLiteral(CORVANTA_SERVER_BASE),
        config, fileFailed);
    config.vendorBase = chooseAddress(
        {QStringLiteral("vendor"), QStringLiteral("CORVANTA_VENDOR"), QStringLiteral("CORVANTA_VENDOR_BASE"),
         QStringLiteral("官网"), QStringLiteral("本次不查询最新版本。")},
        parser.value(vendorOption), environment, machine, machine.vendor, QStringLiteral(CORVANTA_VENDOR_BASE),
        config, fileFailed);
    if (fileFailed) {
        config.addressProblems.append(QStringLiteral("无法读取本机设置 %1：%2。本次不连接评分服务器，只能离线登录。")
                                          .arg(QDir::toNativeSeparators(machine.file), machine.error));
    }
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

QString AppConfig::serverLabel() const
{
    return QStringLiteral("服务器:") + (serverBase.isEmpty() ? QStringLiteral("未设置，只能离线登录") : serverBase);
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
