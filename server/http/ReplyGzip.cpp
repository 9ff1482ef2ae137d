#include "ReplyGzip.h"

#include <zlib.h>

namespace corvanta::server {

namespace {

// Below this a compressed reply saves less than its header costs.
constexpr qsizetype kMinimumBytes = 1024;

} // namespace

bool acceptsGzip(const PageRequest &request)
{
    bool gzipSaid = false, gzipOk = false, anyOk = false;
    for (const QByteArray &part : request.header("Accept-Encoding").split(',')) {
        const QList<QByteArray> pieces = part.split(';');
        const QByteArray coding = pieces.first().trimmed().toLower();
        double q = 1;
        for (qsizetype i = 1; i < pieces.size(); ++i) {
            const QByteArray p = pieces[i].trimmed().toLower();
            if (p.startsWith("q=")) {
                bool ok = false;
                q = p.mid(2).toDouble(&ok);
                if (!ok)
                    q = 0;
            }
        }
        if (coding == "gzip" || coding == "x-gzip") {
            gzipSaid = true;
            gzipOk = gzipOk || q > 0;
        } else if (coding == "*") {
            anyOk = q > 0;
        }
    }
    return gzipSaid ? gzipOk : anyOk;
}

QByteArray gzip(const QByteArray &data)
{
    z_stream stream = {};
    // 15 + 16: a gzip header and trailer around the deflate stream.
    if (deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    const int result = deflate(&stream, Z_FINISH);
    const qsizetype written = qsizetype(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        return {};
    out.truncate(written);
    return out;
}

void compressForClient(const PageRequest &request, PageReply &reply)
{
    const bool forPeople = reply.contentType.startsWith("text/html") || reply.contentType.startsWith("text/csv");
    if (!forPeople)
        return;
    // Caches between must keep the two forms apart.
    reply.headers.append(qMakePair(QByteArray("Vary"), QByteArray("Accept-Encoding")));
    if (reply.body.size() < kMinimumBytes || !acceptsGzip(request))
        return;
    const QByteArray packed = gzip(reply.body);
    if (packed.isEmpty())
        return;
    reply.body = packed;
    reply.headers.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("gzip")));
}

} // namespace corvanta::server
