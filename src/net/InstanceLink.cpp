#include "InstanceLink.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

namespace corvanta {

namespace {

// A request is one address of at most 1 KiB, percent-encoded; room for that and its newline.
constexpr qint64 kMaxLine = 4096;
constexpr int kWaitMs = 2000;

} // namespace

InstanceLink::InstanceLink(QString socketName, QObject *parent)
    : QObject(parent), m_name(std::move(socketName)), m_server(new QLocalServer(this))
{
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceLink::accept);
}

InstanceLink::~InstanceLink() = default;

std::unique_ptr<QLockFile> InstanceLink::holdStart(const QString &socketName)
{
    const QString path = socketName.contains(u'/') ? socketName + QStringLiteral(".lock")
                                                   : QDir::temp().filePath(socketName + QStringLiteral(".lock"));
    auto lock = std::make_unique<QLockFile>(path);
    // A start that hangs must not keep every later one out for good.
    lock->setStaleLockTime(30 * 1000);
    if (!lock->tryLock(5 * kWaitMs))
        lock.reset(); // go on without: at worst two tools run
    return lock;
}

bool InstanceLink::handOver(const QString &socketName, const OutsideRequest &request)
{
    QLocalSocket socket;
    socket.connectToServer(socketName);
    if (!socket.waitForConnected(kWaitMs))
        return false;
    OutsideRequest sent = request;
    if (sent.isNone())
        sent.action = OutsideRequest::Action::Show;
    socket.write(sent.url().toUtf8() + '\n');
    const bool written = socket.waitForBytesWritten(kWaitMs) || socket.bytesToWrite() == 0;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(kWaitMs);
    return written;
}

Result InstanceLink::listen()
{
    if (m_server->listen(m_name))
        return Result::success();
    if (m_server->serverError() == QAbstractSocket::AddressInUseError) {
        // Nobody answered on it a moment ago: a tool that ended without closing it.
        QLocalServer::removeServer(m_name);
        if (m_server->listen(m_name))
            return Result::success();
    }
    return Result::failure(m_server->errorString());
}

void InstanceLink::accept()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readFrom(socket); });
        // Whoever connects and says nothing is let go.
        QTimer::singleShot(kWaitMs, socket, [socket] { socket->abort(); });
        readFrom(socket);
    }
}

void InstanceLink::readFrom(QLocalSocket *socket)
{
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxLine) {
            qWarning("corvanta: ignored a request from outside: longer than %lld bytes", kMaxLine);
            socket->abort();
        }
        return;
    }
    const QByteArray line = socket->readLine(kMaxLine).trimmed();
    socket->disconnectFromServer();
    const QString text = QString::fromUtf8(line);
    const Expected<OutsideRequest> request = OutsideRequest::fromUrl(text);
    if (!request) {
        qWarning("corvanta: ignored the request '%s' from outside: %s", qUtf8Printable(text.left(200)),
                 qUtf8Printable(request.error()));
        return;
    }
    emit requested(request.value());
}

} // namespace corvanta
