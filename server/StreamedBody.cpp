#include "StreamedBody.h"

#include <microhttpd.h>

#include <cstring>

namespace corvanta::server {

ssize_t readStreamed(void *cls, uint64_t, char *buffer, size_t max)
{
    auto *body = static_cast<StreamedBody *>(cls);
    while (body->sent == body->piece.size()) {
        if (!body->source)
            return MHD_CONTENT_READER_END_OF_STREAM;
        try {
            body->piece = body->source->next();
        } catch (const std::exception &e) {
            // The engine closes the connection without the last chunk: the client sees the
            // reply broken off, not a complete one.
            body->source.reset();
            body->broken(e);
            return MHD_CONTENT_READER_END_WITH_ERROR;
        }
        body->sent = 0;
        if (body->piece.isEmpty())
            body->source.reset();
    }
    const size_t n = qMin(max, size_t(body->piece.size() - body->sent));
    std::memcpy(buffer, body->piece.constData() + body->sent, n);
    body->sent += qsizetype(n);
    return ssize_t(n);
}

} // namespace corvanta::server
