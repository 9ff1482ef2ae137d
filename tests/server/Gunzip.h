#pragma once

#include <QByteArray>

#include <zlib.h>

namespace corvanta::test {

// A gzip stream's content; empty when it is not one whole stream (say, one broken off).
inline QByteArray gunzip(const QByteArray &packed)
{
    z_stream stream = {};
    if (inflateInit2(&stream, 15 + 16) != Z_OK)
        return {};
    QByteArray out;
    char buffer[16384];
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(packed.constData()));
    stream.avail_in = uInt(packed.size());
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}

} // namespace corvanta::test
