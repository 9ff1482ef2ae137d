#include "DemoData.h"
#include "HttpFront.h"
#include "Mailer.h"
#include "ServerOptions.h"
#include "StoreFactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

using namespace corvanta;
using namespace corvanta::server;

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[0], &byte, 1);
}

// SIGTERM and SIGINT end the event loop, so the database is closed cleanly.
void quitOnSignals(QCoreApplication &app)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(g_signalPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] { app.quit(); });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

void printLine(FILE *stream, const QString &text)
{
    const QByteArray bytes = text.toLocal8Bit() + '\n';
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    // Without TZ, glibc looks at /etc/localtime again for every local-time conversion (two
    // per uploaded score line); naming the same file once keeps the zone and drops the calls.
    if (qEnvironmentVariableIsEmpty("TZ"))
        qputenv("TZ", ":/etc/localtime");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvanta-server"));

    ServerOptions options;
    QString error;
    if (!parseServerOptions(app.arguments(), &options, &error)) {
        printLine(stderr, QStringLiteral("corvanta-server: ") + error);
        return 2;
    }
    if (options.help) {
        printLine(stdout, serverUsage());
        return 0;
    }
    if (options.version) {
        printLine(stdout, serverVersion());
        return 0;
    }

    std::unique_ptr<Store> store = openStore(options.database, &error);
    if (!store) {
        printLine(stderr, QStringLiteral("corvanta-server: ") + error);
        return 2;
    }

    std::unique_ptr<Mailer> mailer;
    if (!options.mailDir.isEmpty()) {
        if (!QDir().mkpath(options.mailDir)) {
            printLine(
                stderr,
                QStringLiteral("corvanta-server: cannot create the mail folder %1").arg(options.mailDir));
            return 2;
        }
        mailer = std::make_unique<MailDirMailer>(options.mailDir);
    } else if (!options.sendmail.isEmpty()) {
        mailer = std::make_unique<SendmailMailer>(options.sendmail);
    } else {
        mailer = std::make_unique<NoMailer>();
    }

    SystemClock clock;
    ScoreService service(*store, *mailer, clock, options.mailFrom);
    try {
        if (options.demo && !addDemoTeacher(service, *store)) {
            printLine(stderr, QStringLiteral("corvanta-server: could not add the demo teacher"));
            return 2;
        }
        if (!options.benchTeacher.isEmpty() && !addBenchTeacher(service, *store, options.benchTeacher)) {
            printLine(stderr, QStringLiteral("corvanta-server: could not add the benchmark teacher"));
            return 2;
        }
    } catch (const StoreError &e) {
        printLine(stderr, QStringLiteral("corvanta-server: ") + QString::fromUtf8(e.what()));
        return 2;
    }

    HttpFront front(service);
    const quint16 port = front.listen(options.host, options.port);
    if (port == 0) {
        printLine(stderr, QStringLiteral("corvanta-server: cannot listen on %1:%2")
                              .arg(options.host.toString())
                              .arg(options.port));
        return 1;
    }
    const QString host = options.host.protocol() == QAbstractSocket::IPv6Protocol
                             ? u'[' + options.host.toString() + u']'
                             : options.host.toString();
    printLine(stdout, QStringLiteral("listening on http://%1:%2").arg(host).arg(port));

    quitOnSignals(app);
    return app.exec();
}
