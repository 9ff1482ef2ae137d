#include "EngineRequest.h"

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace corvanta::server {

Method methodOf(const char *method)
{
    if (std::strcmp(method, MHD_HTTP_METHOD_GET) == 0 || std::strcmp(method, MHD_HTTP_METHOD_HEAD) == 0)
        return Method::Get;
    if (std::strcmp(method, MHD_HTTP_METHOD_POST) == 0)
        return Method::Post;
    return Method::Other;
}

const char *methodLogText(const char *method)
{
    for (const char *known : {MHD_HTTP_METHOD_GET, MHD_HTTP_METHOD_HEAD, MHD_HTTP_METHOD_POST}) {
        if (std::strcmp(method, known) == 0)
            return known;
    }
    return "OTHER";
}

QHostAddress peerOf(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (!info || !info->client_addr)
        return {};
    return QHostAddress(info->client_addr);
}

QString clientAddressOf(MHD_Connection *connection)
{
    const QHostAddress address = peerOf(connection);
    return address.isNull() ? QString() : address.toString();
}

QByteArray addressKey(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (!info || !info->client_addr)
        return {};
    if (info->client_addr->sa_family == AF_INET6) {
        const auto *v6 = reinterpret_cast<const sockaddr_in6 *>(info->client_addr);
        return QByteArray(reinterpret_cast<const char *>(&v6->sin6_addr), sizeof v6->sin6_addr);
    }
    const auto *v4 = reinterpret_cast<const sockaddr_in *>(info->client_addr);
    return QByteArray(reinterpret_cast<const char *>(&v4->sin_addr), sizeof v4->sin_addr);
}

QString clientOf(MHD_Connection *connection, const QList<QPair<QByteArray, QByteArray>> &headers,
                 const TrustedProxies &trustedProxies)
{
    const QHostAddress peer = peerOf(connection);
    if (trustedProxies.isEmpty() || !trustedProxies.trusts(peer))
        return peer.isNull() ? QString() : peer.toString();
    QList<QByteArray> forwarded;
    for (const auto &[name, value] : headers) {
        if (name.compare("X-Forwarded-For", Qt::CaseInsensitive) == 0)
            forwarded.append(value);
    }
    return trustedProxies.clientOf(peer, forwarded).toString();
}

} // namespace corvanta::server
