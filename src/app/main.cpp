#include "app/Application.h"
#include "core/Settings.h"
#include "widgets/ClassroomLook.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

namespace {

int printAndEnd(const corvanta::CommandLineResult &command)
{
    std::FILE *stream = command.exitCode == 0 ? stdout : stderr;
    std::fputs(qPrintable(command.text + u'\n'), stream);
    return command.exitCode;
}

} // namespace

int main(int argc, char *argv[])
{
    // Before the command line: its default data folder is named after the application.
    corvanta::Settings::setApplicationNames();
    {
        // --help and --version answer without a screen, so settle them before the GUI
        // starts. Anything else waits for QApplication, which takes out Qt's own options.
        const QCoreApplication probe(argc, argv);
        const corvanta::CommandLineResult command =
            corvanta::AppConfig::parseCommandLine(QCoreApplication::arguments());
        if (!command.run && command.exitCode == 0)
            return printAndEnd(command);
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
    corvanta::Application corvantaApp(command.config);
    corvantaApp.start();
    return QApplication::exec();
}
