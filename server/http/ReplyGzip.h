#pragma once

#include "PageReply.h"
#include "PageRequest.h"

#include <QByteArray>

namespace corvanta::server {

// Whether the request's Accept-Encoding takes gzip (not refused with q=0).
bool acceptsGzip(const PageRequest &request);
// The bytes in gzip form (RFC 1952); empty when zlib fails.
QByteArray gzip(const QByteArray &data);
// Pages and downloads for people (HTML, CSV) go gzip-compressed to a client that takes it; the
// tool's short replies stay as they always were.
void compressForClient(const PageRequest &request, PageReply &reply);

} // namespace corvanta::server
