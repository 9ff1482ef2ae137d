#include "ReplyGzip.h"

#include <zlib.h>

#include <stdexcept>
#include <utility>

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

namespace {

// A gzip stream (RFC 1952) made a piece at a time: about 256 KiB of zlib's state.
class Deflater
{
public:
    Deflater()
    {
        // 15 + 16: a gzip header and trailer around the deflate stream.
        m_ready = deflateInit2(&m_stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Deflater()
    {
        if (m_ready)
            deflateEnd(&m_stream);
    }
    Deflater(const Deflater &) = delete;
    Deflater &operator=(const Deflater &) = delete;

    // The compressed bytes ready after data (possibly none); with finish, all of them up to the
    // trailer. Throws when zlib fails.
    QByteArray add(const QByteArray &data, bool finish)
    {
        if (!m_ready)
            throw std::runtime_error("gzip: zlib could not start");
        m_stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
        m_stream.avail_in = uInt(data.size());
        QByteArray out(qMax<qsizetype>(4096, qsizetype(deflateBound(&m_stream, uLong(data.size())))),
                       Qt::Uninitialized);
        qsizetype size = 0;
        for (;;) {
            m_stream.next_out = reinterpret_cast<Bytef *>(out.data() + size);
            m_stream.avail_out = uInt(out.size() - size);
            const int result = deflate(&m_stream, finish ? Z_FINISH : Z_NO_FLUSH);
            size = out.size() - qsizetype(m_stream.avail_out);
            if (result == Z_STREAM_ERROR)
                throw std::runtime_error("gzip: zlib failed");
            if (finish ? result == Z_STREAM_END : m_stream.avail_in == 0 && m_stream.avail_out > 0)
                break;
            out.resize(out.size() * 2);
        }
        out.truncate(size);
        return out;
    }

private:
    z_stream m_stream = {};
    bool m_ready = false;
};

// A streamed body compressed as it goes.
class GzipSource final : public ReplySource
{
public:
    GzipSource(QByteArray first, std::shared_ptr<ReplySource> rest) : m_first(std::move(first)), m_rest(std::move(rest))
    {
    }
    QByteArray next() override
    {
        QByteArray out;
        if (!m_first.isEmpty())
            out = m_deflater.add(std::exchange(m_first, {}), false);
        while (out.isEmpty() && m_rest) {
            const QByteArray piece = m_rest->next();
            if (piece.isEmpty())
                m_rest.reset();
            out = m_deflater.add(piece, !m_rest);
        }
        return out;
    }

private:
    Deflater m_deflater;
    QByteArray m_first;
    std::shared_ptr<ReplySource> m_rest; // null once it ended and the trailer is out
};

} // namespace

QByteArray gzip(const QByteArray &data)
{
    try {
        Deflater deflater;
        return deflater.add(data, true);
    } catch (const std::runtime_error &) {
        return {};
    }
}

void compressForClient(const PageRequest &request, PageReply &reply)
{
    const bool forPeople = reply.contentType.startsWith("text/html") || reply.contentType.startsWith("text/csv");
    if (!forPeople)
        return;
    // Caches between must keep the two forms apart.
    reply.headers.append(qMakePair(QByteArray("Vary"), QByteArray("Accept-Encoding")));
    if (!acceptsGzip(request))
        return;
    if (reply.source) {
        // A streamed body is never a short one.
        reply.source = std::make_shared<GzipSource>(std::exchange(reply.body, {}), std::move(reply.source));
    } else {
        if (reply.body.size() < kMinimumBytes)
            return;
        const QByteArray packed = gzip(reply.body);
        if (packed.isEmpty())
            return;
        reply.body = packed;
    }
    reply.headers.append(qMakePair(QByteArray("Content-Encoding"), QByteArray("gzip")));
}

} // namespace corvanta::server
