#include "app/Application.h"
#include "core/Settings.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Before the command line: its default data folder is named after the application.
    corvanta::Settings::setApplicationNames();
    const corvanta::CommandLineResult command =
        corvanta::AppConfig::parseCommandLine(QApplication::arguments());
    if (!command.run) {
        std::FILE *stream = command.exitCode == 0 ? stdout : stderr;
        std::fputs(qPrintable(command.text + u'\n'), stream);
        return command.exitCode;
    }
    corvanta::Application corvantaApp(command.config);
    corvantaApp.start();
    return QApplication::exec();
}
