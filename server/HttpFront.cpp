#include "HttpFront.h"

#include "ConnectionWatch.h"
#include "RequestLog.h"
#include "Routes.h"

#include <QElapsedTimer>
#include <QThread>

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstring>
#include <exception>

namespace corvanta::server {

namespace {

// How much of a body over the limit is read (and dropped) so that its sender sees the 413.
constexpr qsizetype kDrainFactor = 4;

struct HeaderScan
{
    QList<QPair<QByteArray, QByteArray>> headers;
    qsizetype bytes = 0;
};

// One request while it is read: the target as it came (still escaped), the body so far.
struct RequestState
{
    QByteArray target;
    QByteArray body;
    HeaderScan scan; // kept for the page while the body comes
    QElapsedTimer timer;
    bool headersRead = false;
    bool answered = false;
    bool tooLarge = false; // a body streaming in past the limit
    qsizetype dropped = 0;
};

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

PageReply frontRefusal(int status, const QString &text, const QString &outcome)
{
    PageReply reply = PageReply::text(text, outcome);
    reply.status = status;
    // The rest of such a request is never read: the connection cannot carry another.
    reply.headers.append(qMakePair(QByteArray("Connection"), QByteArray("close")));
    return reply;
}

MHD_Result collectHeader(void *cls, MHD_ValueKind, const char *key, size_t keySize, const char *value,
                         size_t valueSize)
{
    auto *scan = static_cast<HeaderScan *>(cls);
    scan->bytes += qsizetype(keySize + valueSize + 4); // ": " and CR LF
    scan->headers.append(
        qMakePair(QByteArray(key, qsizetype(keySize)), QByteArray(value, qsizetype(valueSize))));
    return MHD_YES;
}

QString clientAddressOf(MHD_Connection *connection)
{
    const MHD_ConnectionInfo *info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
    if (!info || !info->client_addr)
        return {};
    const QHostAddress address(info->client_addr);
    return address.toString();
}

// The pages read fields as escaped; nothing is to be unescaped on the way.
size_t keepEscaped(void *, MHD_Connection *, char *text)
{
    return std::strlen(text);
}

void quietLogger(void *, const char *, va_list) {}

} // namespace

struct HttpFront::Private
{
    ScoreService &service;
    FrontOptions options;
    RequestLog log;
    ConnectionWatch watch;
    MHD_Daemon *daemon = nullptr;

    Private(ScoreService &s, FrontOptions o) : service(s), options(std::move(o)) {}

    MHD_Result queue(MHD_Connection *connection, RequestState &state, const char *method, const QString &path,
                     const PageReply &reply)
    {
        state.answered = true;
        auto *body = new QByteArray(reply.body);
        MHD_Response *response = MHD_create_response_from_buffer_with_free_callback_cls(
            size_t(body->size()), body->data(), [](void *cls) { delete static_cast<QByteArray *>(cls); },
            body);
        if (!response) {
            delete body;
            return MHD_NO;
        }
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.constData());
        MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
        for (const auto &[name, value] : reply.headers)
            MHD_add_response_header(response, name.constData(), value.constData());
        const MHD_Result queued = MHD_queue_response(connection, unsigned(reply.status), response);
        MHD_destroy_response(response);
        log.write(methodLogText(method), path, state.target, reply, state.timer, clientAddressOf(connection));
        return queued;
    }

    // The request's headers are in: refuses what is over a limit, else collects them.
    std::optional<PageReply> checkHead(MHD_Connection *connection, const char *method, const char *version,
                                       RequestState &state, HeaderScan *scan)
    {
        MHD_get_connection_values_n(connection, MHD_HEADER_KIND, &collectHeader, scan);
        const qsizetype lineBytes =
            qsizetype(std::strlen(method) + std::strlen(version)) + state.target.size() + 4;
        if (lineBytes + scan->bytes > options.maxHeaderBytes)
            return frontRefusal(431, QStringLiteral("请求头过大"), QStringLiteral("headers too large"));
        const qsizetype question = state.target.indexOf('?');
        if (question >= 0 && state.target.size() - question - 1 > options.maxQueryBytes)
            return frontRefusal(414, QStringLiteral("请求地址过长"), QStringLiteral("query too long"));
        for (const auto &[name, value] : std::as_const(scan->headers)) {
            if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) {
                bool ok = false;
                const qint64 length = value.trimmed().toLongLong(&ok);
                // Far over the limit: refused before a byte of it is read. A little over:
                // read and dropped, then refused, because a client still sending its body
                // may lose a reply sent before it is done.
                if (ok && length > kDrainFactor * options.maxBodyBytes)
                    return frontRefusal(413, QStringLiteral("请求内容过大"), QStringLiteral("too large"));
                if (ok && length > options.maxBodyBytes)
                    state.tooLarge = true;
            }
        }
        return std::nullopt;
    }

    PageReply answer(MHD_Connection *connection, Method method, const QString &path, RequestState &state)
    {
        try {
            const qsizetype question = state.target.indexOf('?');
            PageRequest page = decodeRequest(
                method, path, question < 0 ? QByteArray() : state.target.mid(question + 1), state.body);
            page.headers = std::move(state.scan.headers);
            page.clientAddress = clientAddressOf(connection);
            return dispatch(service, page);
        } catch (const std::exception &e) {
            PageReply reply = PageReply::text(QStringLiteral("服务器内部错误"),
                                              QStringLiteral("error: ") + QString::fromUtf8(e.what()));
            reply.status = 500;
            return reply;
        }
    }

    MHD_Result access(MHD_Connection *connection, const char *method, const char *version, const char *upload,
                      size_t *uploadSize, void **requestContext)
    {
        auto *state = static_cast<RequestState *>(*requestContext);
        if (!state) // the address is always logged first; this is in case
            *requestContext = state = new RequestState;
        const qsizetype question = state->target.indexOf('?');
        const QString path = QString::fromUtf8(
            QByteArray::fromPercentEncoding(question < 0 ? state->target : state->target.left(question)));
        if (!state->headersRead) {
            state->headersRead = true;
            state->timer.start();
            watch.headersRead(connection);
            if (const auto refusal = checkHead(connection, method, version, *state, &state->scan))
                return queue(connection, *state, method, path, *refusal);
            // Answered once the engine has the whole request: a reply before that closes
            // the connection.
            return MHD_YES;
        }
        if (*uploadSize > 0) {
            const qsizetype size = qsizetype(*uploadSize);
            *uploadSize = 0;
            if (state->tooLarge) {
                // The engine cannot answer in the middle of a body: the rest is read and
                // dropped, and the 413 goes out at its end; a body that goes on and on is
                // cut off.
                state->dropped += size;
                return state->dropped > kDrainFactor * options.maxBodyBytes ? MHD_NO : MHD_YES;
            }
            if (state->body.size() + size > options.maxBodyBytes) {
                state->tooLarge = true;
                state->dropped = state->body.size() + size;
                state->body = QByteArray();
                return MHD_YES;
            }
            state->body.append(upload, size);
            return MHD_YES;
        }
        if (state->tooLarge)
            return queue(connection, *state, method, path,
                         frontRefusal(413, QStringLiteral("请求内容过大"), QStringLiteral("too large")));
        if (state->answered)
            return MHD_YES;
        return queue(connection, *state, method, path, answer(connection, methodOf(method), path, *state));
    }
};

namespace {

void *logAddress(void *, const char *uri, MHD_Connection *)
{
    auto *state = new RequestState;
    state->target = QByteArray(uri);
    return state;
}

MHD_Result onAccess(void *cls, MHD_Connection *connection, const char *, const char *method,
                    const char *version, const char *upload, size_t *uploadSize, void **requestContext)
{
    return static_cast<HttpFront::Private *>(cls)->access(connection, method, version, upload, uploadSize,
                                                          requestContext);
}

void onCompleted(void *cls, MHD_Connection *connection, void **requestContext, MHD_RequestTerminationCode)
{
    delete static_cast<RequestState *>(*requestContext);
    *requestContext = nullptr;
    static_cast<HttpFront::Private *>(cls)->watch.requestDone(connection);
}

void onConnection(void *cls, MHD_Connection *connection, void **socketContext,
                  MHD_ConnectionNotificationCode code)
{
    auto &watch = static_cast<HttpFront::Private *>(cls)->watch;
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
        const MHD_ConnectionInfo *info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        *socketContext = watch.opened(connection, info ? info->connect_fd : -1);
    } else {
        watch.closed(*socketContext);
        *socketContext = nullptr;
    }
}

} // namespace

HttpFront::HttpFront(ScoreService &service, FrontOptions options)
    : d(std::make_unique<Private>(service, std::move(options)))
{
}

HttpFront::~HttpFront()
{
    stop();
}

void HttpFront::setLogging(bool on)
{
    d->log.setEnabled(on);
}

quint16 HttpFront::start(QString *error)
{
    const FrontOptions &o = d->options;
    sockaddr_in v4 = {};
    sockaddr_in6 v6 = {};
    const sockaddr *address = nullptr;
    unsigned flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ERROR_LOG;
    if (o.host.protocol() == QAbstractSocket::IPv6Protocol) {
        v6.sin6_family = AF_INET6;
        v6.sin6_port = htons(o.port);
        const Q_IPV6ADDR bytes = o.host.toIPv6Address();
        std::memcpy(&v6.sin6_addr, &bytes, sizeof bytes);
        address = reinterpret_cast<const sockaddr *>(&v6);
        flags |= MHD_USE_IPv6;
    } else {
        v4.sin_family = AF_INET;
        v4.sin_port = htons(o.port);
        v4.sin_addr.s_addr = htonl(o.host.toIPv4Address());
        address = reinterpret_cast<const sockaddr *>(&v4);
    }
    const bool tls = !o.tlsCertificate.isEmpty() && !o.tlsKey.isEmpty();
    if (tls)
        flags |= MHD_USE_TLS;
    const int threads = o.threads > 0 ? o.threads : qMax(1, QThread::idealThreadCount());
    // The pool holds the request line, the headers and the reply's headers; twice the header
    // limit leaves room for the reply while a request at the limit is refused by us, with a
    // reason, rather than by the engine.
    const size_t pool = size_t(2 * o.maxHeaderBytes + 4096);
    MHD_OptionItem options[] = {
        {MHD_OPTION_SOCK_ADDR, 0, const_cast<sockaddr *>(address)},
        {MHD_OPTION_LISTENING_ADDRESS_REUSE, 1, nullptr},
        {MHD_OPTION_THREAD_POOL_SIZE, threads, nullptr},
        {MHD_OPTION_CONNECTION_LIMIT, o.maxConnections, nullptr},
        {MHD_OPTION_PER_IP_CONNECTION_LIMIT, o.maxConnectionsPerAddress, nullptr},
        {MHD_OPTION_CONNECTION_TIMEOUT, o.idleSeconds, nullptr},
        {MHD_OPTION_CONNECTION_MEMORY_LIMIT, intptr_t(pool), nullptr},
        {MHD_OPTION_EXTERNAL_LOGGER, intptr_t(&quietLogger), nullptr},
        {MHD_OPTION_URI_LOG_CALLBACK, intptr_t(&logAddress), nullptr},
        {MHD_OPTION_UNESCAPE_CALLBACK, intptr_t(&keepEscaped), nullptr},
        {MHD_OPTION_NOTIFY_COMPLETED, intptr_t(&onCompleted), d.get()},
        {MHD_OPTION_NOTIFY_CONNECTION, intptr_t(&onConnection), d.get()},
        {tls ? MHD_OPTION_HTTPS_MEM_CERT : MHD_OPTION_END, 0,
         const_cast<char *>(o.tlsCertificate.constData())},
        {MHD_OPTION_HTTPS_MEM_KEY, 0, const_cast<char *>(o.tlsKey.constData())},
        {MHD_OPTION_END, 0, nullptr},
    };
    d->watch.start(o.headerSeconds * 1000, o.idleSeconds * 1000);
    d->daemon = MHD_start_daemon(flags, o.port, nullptr, nullptr, &onAccess, d.get(), MHD_OPTION_ARRAY,
                                 options, MHD_OPTION_END);
    if (!d->daemon) {
        d->watch.stop();
        *error = tls ? QStringLiteral("cannot listen on %1:%2 with the TLS certificate and key given")
                           .arg(o.host.toString())
                           .arg(o.port)
                     : QStringLiteral("cannot listen on %1:%2").arg(o.host.toString()).arg(o.port);
        return 0;
    }
    const MHD_DaemonInfo *info = MHD_get_daemon_info(d->daemon, MHD_DAEMON_INFO_BIND_PORT);
    return info ? info->port : o.port;
}

void HttpFront::stop()
{
    if (d->daemon) {
        MHD_stop_daemon(d->daemon);
        d->daemon = nullptr;
    }
    d->watch.stop();
}

} // namespace corvanta::server
