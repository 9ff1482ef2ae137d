// Raw sockets against the real server binary for the tests of its HTTP front, and the
// binary itself with its limits shortened.
#pragma once

#include "support/ServerProcess.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHostAddress>
#include <QProcess>
#include <QTcpSocket>

#include <memory>
#include <vector>

namespace corvanta::test::front {

// A blocking client socket, from 127.0.0.1 unless told another loopback address.
std::unique_ptr<QTcpSocket> connectTo(int port, const QString &from = {})
{
    auto socket = std::make_unique<QTcpSocket>();
    if (!from.isEmpty())
        socket->bind(QHostAddress(from));
    socket->connectToHost(QHostAddress::LocalHost, quint16(port));
    socket->waitForConnected(5000);
    return socket;
}

// Everything the server sends until it closes or ms pass; *closed tells which.
inline QByteArray readAll(QTcpSocket &socket, int ms, bool *closed = nullptr)
{
    QByteArray data;
    QElapsedTimer timer;
    timer.start();
    while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < ms) {
        socket.waitForReadyRead(int(qMax<qint64>(1, ms - timer.elapsed())));
        data += socket.readAll();
    }
    data += socket.readAll();
    if (closed)
        *closed = socket.state() != QAbstractSocket::ConnectedState;
    return data;
}

// Reads until one whole reply (headers and Content-Length body) is in.
inline QByteArray readReply(QTcpSocket &socket, int ms = 5000)
{
    QByteArray data;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        const qsizetype end = data.indexOf("\r\n\r\n");
        if (end >= 0) {
            qsizetype length = 0;
            for (const QByteArray &line : data.left(end).split('\n')) {
                if (line.toLower().startsWith("content-length:"))
                    length = line.mid(15).trimmed().toLongLong();
            }
            if (data.size() >= end + 4 + length)
                return data;
        }
        if (!socket.waitForReadyRead(200) && socket.state() != QAbstractSocket::ConnectedState)
            break;
        data += socket.readAll();
    }
    return data;
}

inline int statusOf(const QByteArray &reply)
{
    const QList<QByteArray> words = reply.left(reply.indexOf("\r\n")).split(' ');
    return words.size() >= 2 ? words[1].toInt() : 0;
}

inline QByteArray get(const QByteArray &target, const QByteArray &extra = {})
{
    return "GET " + target + " HTTP/1.1\r\nHost: t\r\n" + extra + "Connection: close\r\n\r\n";
}

// Reads every socket until the server closes it (at most ms): the sockets' indexes in the order
// their replies were complete, and *replies.
inline QList<int> completionOrder(std::vector<std::unique_ptr<QTcpSocket>> &sockets, QList<QByteArray> *replies,
                                  int ms = 60000)
{
    QList<int> order;
    replies->resize(qsizetype(sockets.size()));
    QElapsedTimer timer;
    timer.start();
    while (order.size() < qsizetype(sockets.size()) && timer.elapsed() < ms) {
        for (int i = 0; i < int(sockets.size()); ++i) {
            if (order.contains(i))
                continue;
            sockets[std::size_t(i)]->waitForReadyRead(5);
            (*replies)[i] += sockets[std::size_t(i)]->readAll();
            if (sockets[std::size_t(i)]->state() != QAbstractSocket::ConnectedState)
                order.append(i);
        }
    }
    return order;
}

// A POST that sends its headers and the start of a body it never finishes.
std::unique_ptr<QTcpSocket> startSlowBody(int port, const QString &from = {})
{
    auto socket = connectTo(port, from);
    socket->write("POST /score/index.php HTTP/1.1\r\nHost: t\r\nContent-Length: 1000\r\n\r\nusername=");
    socket->waitForBytesWritten(1000);
    return socket;
}

// Whether the server has closed the connection by now.
inline bool closedByServer(QTcpSocket &socket, int ms = 2000)
{
    return socket.state() != QAbstractSocket::ConnectedState || socket.waitForDisconnected(ms);
}

// The process is gone (or a zombie nobody reaps, which runs no more).
inline bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

// Runs openssl s_client with the arguments, the request on its standard input; the reply's
// bytes, empty when the handshake failed.
inline QByteArray overTls(int port, const QStringList &arguments, const QByteArray &request)
{
    QProcess client;
    client.start(QStringLiteral("openssl"),
                 QStringList{"s_client", "-connect", QStringLiteral("127.0.0.1:%1").arg(port), "-quiet",
                             "-no_ign_eof"} +
                     arguments);
    if (!client.waitForStarted(5000))
        return {};
    client.write(request);
    if (!client.waitForFinished(10000))
        client.kill();
    return client.exitCode() == 0 ? client.readAllStandardOutput() : QByteArray();
}

class FrontRig
{
protected:
    // Limits shortened so the time limits show within a second or two.
    ServerProcess m_server{{"--header-timeout", "1", "--idle-timeout", "2", "--body-timeout", "1",
                            "--max-connections-per-address", "6"}};
};

} // namespace corvanta::test::front
