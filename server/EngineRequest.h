#pragma once

#include "PageRequest.h"
#include "TrustedProxies.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPair>
#include <QString>

struct MHD_Connection;

namespace corvanta::server {

// What the engine tells of a request: its method, and who is on the other end of its
// connection.

// GET (and HEAD), POST, or another method.
Method methodOf(const char *method);
// The method as the log names it: "GET", "HEAD", "POST", or "OTHER" for anything a client sent.
const char *methodLogText(const char *method);

// The peer's address; null when the engine cannot tell.
QHostAddress peerOf(MHD_Connection *connection);
// The same as text; empty when unknown.
QString clientAddressOf(MHD_Connection *connection);
// The client's address as bytes, the key its connections are counted under.
QByteArray addressKey(MHD_Connection *connection);
// The address a request counts under: the peer, or the client a trusted proxy names in its
// X-Forwarded-For headers.
QString clientOf(MHD_Connection *connection, const QList<QPair<QByteArray, QByteArray>> &headers,
                 const TrustedProxies &trustedProxies);

} // namespace corvanta::server
