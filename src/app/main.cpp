#include "app/Application.h"
#include "core/PlatformPaths.h"
#include "core/Settings.h"
#include "net/InstanceLink.h"
#include "widgets/ClassroomLook.h"

#include <QApplication>
#include <QIcon>
#include <QLockFile>
#include <QTimer>

#include <cstdio>

namespace {

int printAndEnd(const corvanta::CommandLineResult &command)
{
    std::FILE *stream = command.exitCode == 0 ? stdout : stderr;
    std::fputs(qPrintable(command.text + u'\n'), stream);
    return command.exitCode;
}

// One tool per user: with one running, this start hands its request over (a plain start
// asks it to show itself) and ends. Otherwise `startLock` keeps other starts waiting until
// this one listens.
bool handedOver(const corvanta::CommandLineResult &command, std::unique_ptr<QLockFile> &startLock)
{
    const QString socket = corvanta::instanceSocketName();
    startLock = corvanta::InstanceLink::holdStart(socket);
    if (!corvanta::InstanceLink::handOver(socket, command.request))
        return false;
    std::fputs("corvanta is running already: the request went to it.\n", stderr);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Before the command line: its default data folder is named after the application.
    corvanta::Settings::setApplicationNames();
    std::unique_ptr<QLockFile> startLock;
    bool asked = false; // whether a running tool was looked for
    {
        // --help, --version and a request for a tool already running answer without a screen,
        // so settle them before the GUI starts. Anything else waits for QApplication, which
        // takes out Qt's own options.
        const QCoreApplication probe(argc, argv);
        const corvanta::CommandLineResult command =
            corvanta::AppConfig::parseCommandLine(QCoreApplication::arguments());
        if (!command.run && command.exitCode == 0)
            return printAndEnd(command);
        if (command.run) {
            asked = true;
            if (handedOver(command, startLock))
                return 0;
        }
    }
    QApplication app(argc, argv);
    // Qt's own buttons and dialogs in Chinese whatever the locale (in English without them).
    corvanta::loadQtChinese();
    // The installed launcher (corvanta.desktop) and icon name this window to the desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("corvanta"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("corvanta")));
    const corvanta::CommandLineResult command =
        corvanta::AppConfig::parseCommandLine(QApplication::arguments());
    if (!command.run)
        return printAndEnd(command);
    // Qt's options kept the probe from reading the command line: ask here instead.
    if (!asked && handedOver(command, startLock))
        return 0;
    for (const QString &problem : command.config.addressProblems)
        std::fputs(qPrintable(QStringLiteral("corvanta: ") + problem + u'\n'), stderr);

    corvanta::Application corvantaApp(command.config);
    corvanta::InstanceLink instance(corvanta::instanceSocketName());
    if (const corvanta::Result listening = instance.listen(); !listening)
        qWarning("corvanta: other programs cannot reach this tool: %s", qUtf8Printable(listening.error()));
    startLock.reset();
    QObject::connect(&instance, &corvanta::InstanceLink::requested, &corvantaApp,
                     &corvanta::Application::handleOutsideRequest);
    corvantaApp.start();
    if (!command.request.isNone()) {
        // Once the window stands.
        QTimer::singleShot(0, &corvantaApp, [&corvantaApp, request = command.request] {
            corvantaApp.handleOutsideRequest(request);
        });
    }
    return QApplication::exec();
}
