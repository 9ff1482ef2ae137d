#pragma once

#include "PageReply.h"

#include <QByteArray>
#include <QList>
#include <QPair>

#include <cstddef>

// The checks of a request's header lines that the front makes before a page reads it, and the
// one change it makes to a reply over TLS. Without the engine: plain bytes in, a verdict out.
namespace corvanta::server {

using HeaderLines = QList<QPair<QByteArray, QByteArray>>;

// A header name is a token (RFC 9110 5.1): "Host : x" is not a header "Host".
bool isToken(const char *text, size_t size);

// The engine reads a header in place: its value follows its name on the same line, past the
// colon and blanks. A line folded into the one before (obsolete, and read differently by
// different proxies) is moved elsewhere by the engine, which this finds.
bool onOneLine(const char *key, size_t keySize, const char *value);

// Framing a proxy in front might read otherwise: two lengths that differ, or a length and
// a transfer coding (RFC 9112 6.3), or a length that is not a plain number.
bool ambiguousFraming(const HeaderLines &headers);

// The one transfer coding the engine reads is chunked alone; with any other it would wait
// for a body it cannot find the end of.
bool unknownCoding(const HeaderLines &headers);

// Over TLS, a cookie is never to be sent back in the clear.
void markCookiesSecure(PageReply &reply);

} // namespace corvanta::server
