#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

namespace corvanta::server {

// The proxies in front of the server (nginx on the same machine, a school's load balancer)
// whose X-Forwarded-For names the client. Behind a proxy every connection comes from it, so
// without this every lock-out, cap and limit per address would hold the whole school.
class TrustedProxies
{
public:
    // "127.0.0.1,::1,10.1.0.0/16": addresses and subnets; nullopt and *error for a piece
    // that is neither.
    static std::optional<TrustedProxies> parse(const QString &text, QString *error);

    bool isEmpty() const { return m_subnets.isEmpty(); }
    bool trusts(const QHostAddress &address) const;

    // The client of a request from peer: the peer itself unless it is trusted; then the
    // right-most X-Forwarded-For address that is not trusted (each proxy appends the address
    // it was reached from, so the ones on its left are what the client claimed). When every
    // address listed is trusted, the left-most; when the list is empty or a piece is no
    // address, the last trusted hop before it. forwardedFor: the header's values in order.
    QHostAddress clientOf(const QHostAddress &peer, const QList<QByteArray> &forwardedFor) const;

    // An IPv4 address reached over an IPv6 socket ("::ffff:192.0.2.1") as plain IPv4, so one
    // client has one spelling.
    static QHostAddress plain(const QHostAddress &address);

private:
    QList<QPair<QHostAddress, int>> m_subnets;
};

} // namespace corvanta::server
