#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

namespace corvanta::test {

// A TCP peer on 127.0.0.1 for transport faults the score server never produces on
// purpose: it records each request and answers with fixed bytes (a broken transfer, an
// error status), or never answers at all. It knows nothing of the server's pages.
class RawHttpPeer : public QObject
{
public:
    QByteArray response; // written once a whole request has arrived
    bool silent = false; // accept and never answer
    QList<QByteArray> requests;

    RawHttpPeer()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] { accept(); });
    }

    bool listen() { return m_server.listen(QHostAddress::LocalHost); }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }

    static QByteArray reply(int status, const QByteArray &body)
    {
        return "HTTP/1.1 " + QByteArray::number(status) +
               " X\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" +
               body;
    }

    // A port nothing listens on.
    static QString closedBase()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost);
        const quint16 port = probe.serverPort();
        probe.close();
        return QStringLiteral("http://127.0.0.1:%1").arg(port);
    }

    // Request line, headers and body of a recorded request.
    static QByteArray requestLine(const QByteArray &request) { return request.left(request.indexOf("\r\n")); }
    static QByteArray body(const QByteArray &request) { return request.mid(request.indexOf("\r\n\r\n") + 4); }
    static bool hasHeader(const QByteArray &request, const QByteArray &line)
    {
        return request.left(request.indexOf("\r\n\r\n")).toLower().contains("\r\n" + line.toLower() + "\r\n");
    }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            auto *buffer = new QByteArray;
            QObject::connect(socket, &QObject::destroyed, this, [buffer] { delete buffer; });
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                buffer->append(socket->readAll());
                const qsizetype end = buffer->indexOf("\r\n\r\n");
                if (end < 0)
                    return;
                qsizetype length = 0;
                for (const QByteArray &line : buffer->left(end).split('\n')) {
                    if (line.toLower().startsWith("content-length:"))
                        length = line.mid(15).trimmed().toLongLong();
                }
                if (buffer->size() < end + 4 + length)
                    return;
                requests.append(*buffer);
                buffer->clear();
                if (silent)
                    return;
                socket->write(response);
                socket->disconnectFromHost();
            });
        }
    }

    QTcpServer m_server;
};

} // namespace corvanta::test
