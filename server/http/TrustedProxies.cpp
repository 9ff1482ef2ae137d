#include "TrustedProxies.h"

#include <QStringList>

namespace corvanta::server {

namespace {

// "192.0.2.1", "2001:db8::1", "[2001:db8::1]", "[2001:db8::1]:443" or "192.0.2.1:443"; a null
// address for anything else ("unknown", a host name, a hidden "_name").
QHostAddress forwardedAddress(QByteArray text)
{
    text = text.trimmed();
    if (text.startsWith('[')) {
        const qsizetype close = text.indexOf(']');
        if (close < 0)
            return {};
        text = text.mid(1, close - 1);
    } else if (text.count(':') == 1) {
        text = text.left(text.indexOf(':'));
    }
    QHostAddress address;
    if (text.isEmpty() || !address.setAddress(QString::fromLatin1(text)) || !address.scopeId().isEmpty())
        return {};
    return TrustedProxies::plain(address);
}

} // namespace

QHostAddress TrustedProxies::plain(const QHostAddress &address)
{
    bool v4 = false;
    const quint32 ip = address.toIPv4Address(&v4);
    return v4 && address.protocol() == QAbstractSocket::IPv6Protocol ? QHostAddress(ip) : address;
}

std::optional<TrustedProxies> TrustedProxies::parse(const QString &text, QString *error)
{
    TrustedProxies proxies;
    for (const QString &piece : text.split(u',', Qt::SkipEmptyParts)) {
        const QString trimmed = piece.trimmed();
        QPair<QHostAddress, int> subnet = trimmed.contains(u'/')
                                              ? QHostAddress::parseSubnet(trimmed)
                                              : qMakePair(QHostAddress(trimmed), -1);
        if (subnet.first.isNull()) {
            *error = QStringLiteral("--trusted-proxy: \"%1\" is not an IP address or ADDRESS/BITS").arg(trimmed);
            return std::nullopt;
        }
        subnet.first = plain(subnet.first);
        if (subnet.second < 0)
            subnet.second = subnet.first.protocol() == QAbstractSocket::IPv6Protocol ? 128 : 32;
        proxies.m_subnets.append(subnet);
    }
    if (proxies.isEmpty()) {
        *error = QStringLiteral("--trusted-proxy needs at least one address");
        return std::nullopt;
    }
    return proxies;
}

bool TrustedProxies::trusts(const QHostAddress &address) const
{
    const QHostAddress plainAddress = plain(address);
    for (const auto &subnet : m_subnets) {
        if (plainAddress.isInSubnet(subnet))
            return true;
    }
    return false;
}

QHostAddress TrustedProxies::clientOf(const QHostAddress &peer, const QList<QByteArray> &forwardedFor) const
{
    QHostAddress client = plain(peer);
    if (!trusts(client))
        return client;
    QList<QByteArray> hops;
    for (const QByteArray &value : forwardedFor)
        hops.append(value.split(','));
    for (qsizetype i = hops.size() - 1; i >= 0; --i) {
        const QHostAddress hop = forwardedAddress(hops[i]);
        if (hop.isNull())
            break;
        client = hop;
        if (!trusts(hop))
            break;
    }
    return client;
}

} // namespace corvanta::server
