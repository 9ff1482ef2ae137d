#include "HttpFront.h"

#include "ConnectionWatch.h"
#include "HeavyQueue.h"
#include "EngineRequest.h"
#include "ReplyGzip.h"
#include "RequestFraming.h"
#include "RequestLog.h"
#include "Routes.h"
#include "StreamedBody.h"

#include <QElapsedTimer>
#include <QScopeGuard>
#include <QThread>

#include <microhttpd.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <atomic>
#include <cctype>
#include <chrono>
#include <cstring>
#include <exception>
#include <functional>
#include <thread>

namespace corvanta::server {

namespace {

// Slow password checks of one account waiting at once; beyond, busy.
constexpr int kSlowChecksPerAccount = 4;

// How much of a body over the limit is read (and dropped) so that its sender sees the 413.
constexpr qsizetype kDrainFactor = 4;

// TLS 1.2 and 1.3 only, with ephemeral key exchange and AEAD ciphers: no static RSA, no CBC.
constexpr char kTlsPriorities[] =
    "NONE:+VERS-TLS1.3:+VERS-TLS1.2:+ECDHE-ECDSA:+ECDHE-RSA:+AES-256-GCM:+AES-128-GCM:+CHACHA20-POLY1305:"
    "+AEAD:+SIGN-ALL:+GROUP-ALL:+COMP-NULL:+CTYPE-X509:%SERVER_PRECEDENCE";
constexpr char kHsts[] = "max-age=31536000";

struct HeaderScan
{
    QList<QPair<QByteArray, QByteArray>> headers;
    qsizetype bytes = 0;
    bool malformed = false; // a name that is no token, or a line folded into the one before
};

// One request while it is read: the target as it came (still escaped), the body so far.
struct RequestState
{
    QByteArray target;
    QByteArray body;
    HeaderScan scan; // kept for the page while the body comes
    QString client;  // the client's address (behind a trusted proxy, the one it names)
    QElapsedTimer timer;
    bool headersRead = false;
    // A streamed body may go out chunked as it is made: not to an HTTP/1.0 client, which
    // could not tell a reply broken off from a complete one, nor to HEAD (the engine would
    // send the last chunk as a body), which gets the whole body's length.
    bool streams = true;
    bool answered = false;
    bool tooLarge = false; // a body streaming in past the limit
    qsizetype dropped = 0;
    // On a database that tells of other processes' changes a moment late, a request that
    // signs in first waits, suspended, until the process is told of every change committed
    // before it came (Store::catchUpThen); the request thread serves others meanwhile.
    enum class CatchUp { NotAsked, Waiting, Covered, NotCovered };
    std::atomic<CatchUp> catchUp = CatchUp::NotAsked;
    bool decoded = false;
    // A heavy page's request while it waits on its queue, and the reply it left.
    PageRequest page;
    Admission admission;
    std::optional<PageReply> ready;
};

PageReply busy(const QString &outcome, const QString &account)
{
    PageReply reply = PageReply::text(QStringLiteral("服务器繁忙，请稍后再试。"), outcome);
    reply.account = account;
    reply.status = 503;
    reply.headers.append(qMakePair(QByteArray("Retry-After"), QByteArray("5")));
    return reply;
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
    if (!isToken(key, keySize) || !onOneLine(key, keySize, value))
        scan->malformed = true;
    scan->bytes += qsizetype(keySize + valueSize + 4); // ": " and CR LF
    scan->headers.append(
        qMakePair(QByteArray(key, qsizetype(keySize)), QByteArray(value, qsizetype(valueSize))));
    return MHD_YES;
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
    std::unique_ptr<HeavyQueue> heavy;
    // Password checks that need the slow hash: apart from the request threads, a bounded
    // number waiting, beyond which the client is told to come back.
    std::unique_ptr<HeavyQueue> slowChecks;
    // Connections suspended while their database catches up.
    std::atomic<int> catchingUp = 0;
    std::unique_ptr<HeavyQueue> diskWaits;
    bool tls = false;
    MHD_Daemon *daemon = nullptr;

    Private(ScoreService &s, FrontOptions o) : service(s), options(std::move(o)) {}

    MHD_Result queue(MHD_Connection *connection, RequestState &state, const char *method, const QString &path,
                     PageReply reply)
    {
        state.answered = true;
        if (tls) {
            markCookiesSecure(reply);
            reply.headers.append(qMakePair(QByteArray("Strict-Transport-Security"), QByteArray(kHsts)));
        }
        MHD_Response *response = reply.source ? streamedResponse(connection, state, method, path, reply)
                                              : bufferResponse(connection, reply);
        if (!response)
            return MHD_NO;
        MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, reply.contentType.constData());
        MHD_add_response_header(response, MHD_HTTP_HEADER_CACHE_CONTROL, "no-store");
        for (const auto &[name, value] : reply.headers)
            MHD_add_response_header(response, name.constData(), value.constData());
        const MHD_Result queued = MHD_queue_response(connection, unsigned(reply.status), response);
        MHD_destroy_response(response);
        log.write(methodLogText(method), path, state.target, reply, state.timer,
                  state.client.isEmpty() ? clientAddressOf(connection) : state.client);
        return queued;
    }

    MHD_Response *bufferResponse(MHD_Connection *connection, const PageReply &reply)
    {
        // By the address of its bytes: a cached reply (a record file) many clients ask for is
        // one buffer, counted once.
        watch.replyQueued(connection, reply.body.isEmpty() ? nullptr : reply.body.constData(),
                          reply.body.size());
        // The engine only reads the bytes: constData, since data() would copy a body that other
        // replies share (a cached record file) for each connection.
        auto *body = new QByteArray(reply.body);
        MHD_Response *response = MHD_create_response_from_buffer_with_free_callback_cls(
            size_t(body->size()), const_cast<char *>(body->constData()),
            [](void *cls) { delete static_cast<QByteArray *>(cls); }, body);
        if (!response)
            delete body;
        return response;
    }

    // Sent chunked as the source gives it, on the connection's thread.
    MHD_Response *streamedResponse(MHD_Connection *connection, const RequestState &state, const char *method,
                                   const QString &path, const PageReply &reply)
    {
        auto *body = new StreamedBody{reply.body, 0, reply.source, {}};
        body->broken = [this, method = QByteArray(methodLogText(method)), path, target = state.target,
                        timer = state.timer,
                        client = state.client.isEmpty() ? clientAddressOf(connection) : state.client](
                           const std::exception &e) {
            PageReply line;
            line.status = 500;
            line.outcome = QStringLiteral("error: broken off: ") + QString::fromUtf8(e.what());
            log.write(method.constData(), path, target, line, timer, client);
        };
        watch.replyQueued(connection, body, kStreamedReplyBytes);
        MHD_Response *response = MHD_create_response_from_callback(
            MHD_SIZE_UNKNOWN, kStreamBlockBytes, &readStreamed, body,
            [](void *cls) { delete static_cast<StreamedBody *>(cls); });
        if (!response)
            delete body;
        return response;
    }

    // The request's headers are in: refuses what is over a limit, else collects them.
    std::optional<PageReply> checkHead(MHD_Connection *connection, const char *method, const char *version,
                                       RequestState &state, HeaderScan *scan)
    {
        MHD_get_connection_values_n(connection, MHD_HEADER_KIND, &collectHeader, scan);
        state.streams = std::strcmp(version, MHD_HTTP_VERSION_1_0) != 0 &&
                        std::strcmp(method, MHD_HTTP_METHOD_HEAD) != 0;
        state.client = clientOf(connection, scan->headers, options.trustedProxies);
        const qsizetype lineBytes =
            qsizetype(std::strlen(method) + std::strlen(version)) + state.target.size() + 4;
        if (lineBytes + scan->bytes > options.maxHeaderBytes)
            return frontRefusal(431, QStringLiteral("请求头过大"), QStringLiteral("headers too large"));
        if (scan->malformed)
            return frontRefusal(400, QStringLiteral("请求头格式错误"), QStringLiteral("malformed header"));
        if (unknownCoding(scan->headers))
            return frontRefusal(501, QStringLiteral("不支持的传输编码"), QStringLiteral("unknown coding"));
        if (ambiguousFraming(scan->headers))
            return frontRefusal(400, QStringLiteral("请求长度不明确"), QStringLiteral("ambiguous length"));
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
                if (!ok || length > kDrainFactor * options.maxBodyBytes)
                    return frontRefusal(413, QStringLiteral("请求内容过大"), QStringLiteral("too large"));
                if (length > options.maxBodyBytes)
                    state.tooLarge = true;
            }
        }
        return std::nullopt;
    }

    bool trustsPeer(MHD_Connection *connection) const
    {
        return !options.trustedProxies.isEmpty() && options.trustedProxies.trusts(peerOf(connection));
    }

    // Runs what may throw StoreError: a failing database answers 500.
    template<typename Step> static PageReply guarded(Step step)
    {
        try {
            return step();
        } catch (const std::exception &e) {
            PageReply reply = PageReply::text(QStringLiteral("服务器内部错误"),
                                              QStringLiteral("error: ") + QString::fromUtf8(e.what()));
            reply.status = 500;
            return reply;
        }
    }

    // A page's own reply, compressed when the client takes it; a streamed body read whole
    // where it may not stream.
    PageReply served(const RequestState &state)
    {
        PageReply reply = runAdmitted(service, state.admission, state.page);
        if (!state.streams)
            reply.takeWhole();
        compressForClient(state.page, reply);
        return reply;
    }

    // Answers a whole request: cheap pages at once on this thread, heavy ones on the heavy
    // queue while the engine holds the connection.
    MHD_Result answer(MHD_Connection *connection, const char *method, const QString &path,
                      RequestState &state)
    {
        // Status 500 when the database failed on the way.
        Store *catchUpApart = nullptr;
        const PageReply admitted = guarded([&] {
            if (!state.decoded) {
                state.decoded = true;
                const qsizetype question = state.target.indexOf('?');
                state.page =
                    decodeRequest(methodOf(method), path,
                                  question < 0 ? QByteArray() : state.target.mid(question + 1), state.body);
                state.page.headers = std::move(state.scan.headers);
                state.page.clientAddress = state.client;
            }
            if (state.catchUp == RequestState::CatchUp::NotAsked) {
                // Only a password's sign-in may be answered from what the process keeps (a
                // browser's session is looked up by itself).
                const Route *route = routeOf(state.page);
                const bool keeps = route && route->credential != Credential::None &&
                                   route->credential != Credential::WebSession;
                if (keeps && service.store().catchesUp()) {
                    catchUpApart = &service.store();
                    return PageReply();
                }
            }
            if (state.catchUp != RequestState::CatchUp::Covered) {
                state.admission = admit(service, state.page, AdmitMode::WithoutSlowHash);
                return PageReply();
            }
            Store &store = service.store();
            store.setCaughtUp(true);
            const auto notAfter = qScopeGuard([&] { store.setCaughtUp(false); });
            state.admission = admit(service, state.page, AdmitMode::WithoutSlowHash);
            return PageReply();
        });
        if (admitted.status != 200)
            return queue(connection, state, method, path, admitted);
        if (catchUpApart) {
            // Suspended before the wait starts: the listening thread resumes the connection,
            // and the engine then calls access() again, which admits it.
            state.catchUp = RequestState::CatchUp::Waiting;
            MHD_suspend_connection(connection);
            catchingUp.fetch_add(1);
            RequestState *held = &state;
            catchUpApart->catchUpThen([this, connection, held](bool covered) {
                held->catchUp = covered ? RequestState::CatchUp::Covered : RequestState::CatchUp::NotCovered;
                MHD_resume_connection(connection);
                catchingUp.fetch_sub(1);
            });
            return MHD_YES;
        }
        // A secret the slow hash must check: admitted again, with the hash, on its queue.
        if (state.admission.needsSlowHash)
            return runApart(*slowChecks, connection, method, path, state, true);
        const unsigned options = state.admission.route ? state.admission.route->options : kPlain;
        // Waiting for the disk on a thread of its own; on this one when they are all taken.
        if ((options & kWaitsForDisk) && diskWaits && diskWaits->hasRoom(state.admission.teacher.id))
            return runApart(*diskWaits, connection, method, path, state, false);
        if (!(options & kHeavy))
            return queue(connection, state, method, path,
                         guarded([&] { return served(state); }));
        return runApart(*heavy, connection, method, path, state, false);
    }

    // Answers the request on the queue's threads, or busy when the queue has no room for it.
    MHD_Result runApart(HeavyQueue &apart, MHD_Connection *connection, const char *method, const QString &path,
                        RequestState &state, bool admitFirst)
    {
        // A full queue is answered at once: the engine may lose a resume that follows its
        // suspend within one call.
        if (!apart.hasRoom(state.admission.teacher.id))
            return queue(connection, state, method, path, busy(QStringLiteral("busy"), state.admission.teacher.account));
        // Suspended before the job is queued: its worker resumes the connection, and the
        // engine then calls access() again, which sends the reply the job left.
        MHD_suspend_connection(connection);
        RequestState *held = &state;
        const bool queued = apart.submit(state.admission.teacher.id, [this, connection, held, admitFirst](bool run) {
            held->ready = run ? guarded([&] {
                if (admitFirst)
                    held->admission = admit(service, held->page);
                return served(*held);
            })
                              : busy(QStringLiteral("stopping"), held->admission.teacher.account);
            MHD_resume_connection(connection);
        });
        if (!queued) {
            state.ready = busy(QStringLiteral("busy"), state.admission.teacher.account);
            MHD_resume_connection(connection);
        }
        return MHD_YES;
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
        if (state->ready) {
            PageReply reply = std::move(*state->ready);
            state->ready.reset();
            return queue(connection, *state, method, path, std::move(reply));
        }
        if (state->answered)
            return MHD_YES;
        if (state->catchUp == RequestState::CatchUp::NotAsked)
            watch.requestRead(connection);
        return answer(connection, method, path, *state);
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
    auto *d = static_cast<HttpFront::Private *>(cls);
    auto &watch = d->watch;
    if (code == MHD_CONNECTION_NOTIFY_STARTED) {
        const MHD_ConnectionInfo *info =
            MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
        const int sendBytes = d->options.socketSendBytes;
        if (info && sendBytes > 0)
            ::setsockopt(info->connect_fd, SOL_SOCKET, SO_SNDBUF, &sendBytes, sizeof sendBytes);
        // A trusted proxy's connections carry many clients: none of them counts against the
        // cap of one address (the proxy keeps its own limits).
        const QByteArray key = d->trustsPeer(connection)
                                   ? "proxy " + QByteArray::number(quintptr(connection))
                                   : addressKey(connection);
        *socketContext = watch.opened(connection, info ? info->connect_fd : -1, key);
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
    unsigned flags =
        MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_EPOLL | MHD_USE_ERROR_LOG | MHD_ALLOW_SUSPEND_RESUME;
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
    d->tls = tls;
    const int threads = o.threads > 0 ? o.threads : qMax(1, QThread::idealThreadCount());
    // The watch keeps the connection limits, pushing out a waiting connection for a newcomer;
    // the engine's own limit only catches a burst faster than the pushed-out ones close.
    const int engineLimit = o.maxConnections + o.maxConnections / 4 + 16;
    // The pool holds the request line, the headers and the reply's headers: the header limit
    // and 8 KiB leave room for the reply while a request at the limit is refused by us, with
    // a reason, rather than by the engine. No larger: the engine clears the whole pool for
    // every request of a kept-alive connection (a 36 KiB pool was half of a small page's cost).
    const size_t pool = size_t(o.maxHeaderBytes + 8192);
    MHD_OptionItem options[] = {
        {MHD_OPTION_SOCK_ADDR, 0, const_cast<sockaddr *>(address)},
        {MHD_OPTION_LISTENING_ADDRESS_REUSE, 1, nullptr},
        {MHD_OPTION_THREAD_POOL_SIZE, threads, nullptr},
        {MHD_OPTION_CONNECTION_LIMIT, engineLimit, nullptr},
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
        {MHD_OPTION_HTTPS_PRIORITIES, 0, const_cast<char *>(kTlsPriorities)},
        {MHD_OPTION_END, 0, nullptr},
    };
    d->watch.start({qint64(o.headerSeconds) * 1000, qint64(o.bodySeconds) * 1000,
                    qint64(o.idleSeconds) * 1000, qint64(o.replySeconds) * 1000, o.maxConnections,
                    o.maxConnectionsPerAddress, o.maxWaitingReplyBytes});
    const int perAccount = qMax(1, o.heavyPerAccount);
    d->heavy = std::make_unique<HeavyQueue>(HeavyQueue::Limits{
        o.heavyThreads > 0 ? o.heavyThreads : qMax(2, threads), perAccount, 4 * perAccount, 256});
    // As many as the hash itself has threads: a check waits here, not in the hash's queue.
    d->slowChecks = std::make_unique<HeavyQueue>(HeavyQueue::Limits{
        qMax(1, QThread::idealThreadCount() / 2), 2, kSlowChecksPerAccount, o.maxSlowChecksWaiting});
    // No share per account: a waiting upload holds nothing another account would get.
    if (const int diskWaits = o.diskWaitThreads; diskWaits > 0)
        d->diskWaits = std::make_unique<HeavyQueue>(
            HeavyQueue::Limits{diskWaits, diskWaits, o.maxConnections, o.maxConnections});
    d->daemon = MHD_start_daemon(flags, o.port, nullptr, nullptr, &onAccess, d.get(), MHD_OPTION_ARRAY,
                                 options, MHD_OPTION_END);
    if (!d->daemon) {
        d->heavy.reset();
        d->slowChecks.reset();
        d->diskWaits.reset();
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
    // The heavy queue first: the engine may not stop while a connection waits on it.
    for (HeavyQueue *apart : {d->heavy.get(), d->slowChecks.get(), d->diskWaits.get()}) {
        if (apart)
            apart->stop();
    }
    // Nor while a connection waits for the database to catch up: each is resumed within
    // the listener's bound.
    for (int i = 0; i < 500 && d->catchingUp.load() > 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (d->daemon) {
        MHD_stop_daemon(d->daemon);
        d->daemon = nullptr;
    }
    d->heavy.reset();
    d->slowChecks.reset();
    d->diskWaits.reset();
    d->watch.stop();
}

} // namespace corvanta::server
