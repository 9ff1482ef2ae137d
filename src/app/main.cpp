#include "app/Application.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Corvanta"));
    QApplication::setApplicationName(QStringLiteral("Corvanix"));
    corvanta::Application corvantaApp(corvanta::AppConfig::fromArguments(QApplication::arguments()));
    corvantaApp.start();
    return QApplication::exec();
}
