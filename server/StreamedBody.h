#pragma once

#include "PageReply.h"

#include <QByteArray>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>

#include <sys/types.h>

namespace corvanta::server {

// A streamed reply while the engine sends it: the piece being sent and the source of the
// rest. What it holds at most is counted as waiting: a piece (a batch of rows), the engine's
// block and a gzip state.
constexpr size_t kStreamBlockBytes = 32 * 1024;
constexpr qint64 kStreamedReplyBytes = 384 * 1024;

struct StreamedBody
{
    QByteArray piece;
    qsizetype sent = 0;
    std::shared_ptr<ReplySource> source;
    std::function<void(const std::exception &)> broken; // logs a source that failed
};

// The engine's reader of a streamed reply (cls is the StreamedBody): the next bytes, the end,
// or, when the source fails, an error that makes the engine close without the last chunk.
ssize_t readStreamed(void *cls, uint64_t, char *buffer, size_t max);

} // namespace corvanta::server
