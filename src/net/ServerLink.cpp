#include "ServerLink.h"

#include "core/TextCodec.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSaveFile>
#include <QSslCertificate>
#include <QTimer>

#include <utility>

namespace corvanta {

namespace {

// Escapes what UrlEncode lets through but an address cannot carry as it is ("#" would
// start a fragment, a space ends the request line); everything else stays byte for byte.
QByteArray addressSafe(const QByteArray &encoded)
{
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(encoded.size());
    for (char c : encoded) {
        const auto b = static_cast<unsigned char>(c);
        const bool plain = b > 0x20 && b < 0x7F && !QByteArrayView("#\"<>\\^`{|}").contains(c);
        if (plain) {
            out.append(c);
        } else {
            out.append('%');
            out.append(hex[b >> 4]);
            out.append(hex[b & 0x0F]);
        }
    }
    return out;
}

QUrl buildUrl(const QString &base, const QString &path, const FormFields &query)
{
    QByteArray text = base.toUtf8() + addressSafe(path.toUtf8());
    const QByteArray encodedQuery = query.encoded();
    if (!encodedQuery.isEmpty())
        text += '?' + addressSafe(encodedQuery);
    return QUrl::fromEncoded(text, QUrl::StrictMode);
}

// Status codes only count when the reply came whole: a transport error after the
// headers (peer gone, time-out, size limit) leaves a body that must not be trusted.
bool transportFailed(QNetworkReply::NetworkError error)
{
    if (error == QNetworkReply::NoError)
        return false;
    const int code = static_cast<int>(error);
    const bool contentError = code >= 201 && code <= 299; // 4xx statuses
    const bool serverError = code >= 401 && code <= 499;  // 5xx statuses
    return !(contentError || serverError);
}

} // namespace

ServerLink::ServerLink(const AppConfig &config, QObject *parent)
    : QObject(parent), m_config(config), m_manager(new QNetworkAccessManager(this))
{
    // No cache object at all: every answer comes from the server.
    m_manager->setCache(nullptr);
    m_manager->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    m_tls = QSslConfiguration::defaultConfiguration();
    // Naming any authority ends the system's being loaded on demand: name them all.
    if (!config.caFile.isEmpty())
        m_tls.setCaCertificates(QSslConfiguration::systemCaCertificates() +
                                QSslCertificate::fromPath(config.caFile, QSsl::Pem));
}

ServerLink::~ServerLink() = default;

QUrl ServerLink::serverUrl(const QString &path, const FormFields &query) const
{
    return buildUrl(m_config.serverBase, path, query);
}

QUrl ServerLink::vendorUrl(const QString &path, const FormFields &query) const
{
    return buildUrl(m_config.vendorBase, path, query);
}

QUrl ServerLink::address(const PageCall &call) const
{
    const QString &base = call.site == Site::Vendor ? m_config.vendorBase : m_config.serverBase;
    if (call.method == PageMethod::Post)
        return buildUrl(base, call.path, {});
    return buildUrl(base, call.path, call.fields);
}

HttpResult ServerLink::send(const PageCall &call)
{
    return toResult(waitFor(start(call)));
}

QNetworkReply *ServerLink::start(const PageCall &call)
{
    if (call.method == PageMethod::Post)
        return startPost(address(call), call.fields);
    return m_manager->get(makeRequest(address(call)));
}

QNetworkReply *ServerLink::startPost(const QUrl &address, const FormFields &body)
{
    QNetworkRequest request = makeRequest(address);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    return m_manager->post(request, body.encoded());
}

Result ServerLink::download(const PageCall &call, const QString &filePath,
                            const std::function<Result(const QByteArray &)> &accept)
{
    return DownloadToFile(address(call), filePath, accept);
}

QNetworkRequest ServerLink::makeRequest(const QUrl &address) const
{
    QNetworkRequest request(address);
    if (address.scheme() == u"https")
        request.setSslConfiguration(m_tls);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setRawHeader("If-Modified-Since", "0");
    return request;
}

std::shared_ptr<bool> ServerLink::watchLimits(QNetworkReply *reply, QObject *context) const
{
    auto cutOff = std::make_shared<bool>(false);
    auto cut = [reply, cutOff] {
        *cutOff = true;
        if (!reply->isFinished())
            reply->abort();
    };
    const qint64 maxBytes = m_maxReplyBytes;
    connect(reply, &QNetworkReply::downloadProgress, context, [cut, maxBytes](qint64 received, qint64) {
        if (received > maxBytes)
            cut();
    });
    if (!reply->isFinished()) {
        auto *limit = new QTimer(context);
        limit->setSingleShot(true);
        connect(limit, &QTimer::timeout, context, cut);
        connect(reply, &QNetworkReply::finished, limit, &QTimer::stop);
        limit->start(m_timeoutMs);
    }
    return cutOff;
}

ServerLink::RawReply ServerLink::readReply(QNetworkReply *reply, bool cutOff) const
{
    RawReply raw;
    if (!cutOff && !transportFailed(reply->error()) && reply->bytesAvailable() <= m_maxReplyBytes) {
        raw.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        raw.body = reply->readAll();
    } else if (cutOff) {
        raw.error = QStringLiteral("服务器没有及时回应，或回应过大");
    } else {
        raw.error = reply->errorString();
    }
    return raw;
}

ServerLink::RawReply ServerLink::waitFor(QNetworkReply *reply)
{
    if (++m_pending == 1)
        emit busyChanged(true);

    // Time-out or size limit: the reply counts as missing. A reply that finished while a
    // nested wait held this loop stands as it came.
    RawReply raw;
    {
        QObject context;
        const std::shared_ptr<bool> cutOff = watchLimits(reply, &context);
        QEventLoop loop;
        connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        if (!reply->isFinished())
            loop.exec(QEventLoop::AllEvents);
        raw = readReply(reply, *cutOff);
    }
    reply->deleteLater();

    if (--m_pending == 0)
        emit busyChanged(false);
    return raw;
}

PendingRequest ServerLink::sendAsync(const PageCall &call, std::function<void(const HttpResult &)> done)
{
    QNetworkReply *reply = start(call);
    auto *watch = new QObject(reply);
    const std::shared_ptr<bool> cutOff = watchLimits(reply, watch);
    connect(reply, &QNetworkReply::finished, watch, [this, reply, watch, cutOff, done = std::move(done)] {
        const HttpResult result = toResult(readReply(reply, *cutOff));
        // This closure goes with the watch: nothing of it is used after the delete.
        QNetworkReply *const finished = reply;
        const auto callback = done;
        delete watch; // the handle reads "no longer active" from here on
        finished->deleteLater();
        callback(result);
    });
    return PendingRequest(watch);
}

PendingRequest::PendingRequest(PendingRequest &&other) noexcept
    : m_watch(std::exchange(other.m_watch, nullptr))
{
}

PendingRequest &PendingRequest::operator=(PendingRequest &&other) noexcept
{
    if (this != &other) {
        cancel();
        m_watch = std::exchange(other.m_watch, nullptr);
    }
    return *this;
}

PendingRequest::~PendingRequest()
{
    cancel();
}

bool PendingRequest::active() const
{
    return !m_watch.isNull();
}

void PendingRequest::cancel()
{
    QObject *watch = m_watch.data();
    m_watch = nullptr;
    if (!watch)
        return;
    // Dropping the watch drops the callback before the abort can report "finished".
    auto *reply = qobject_cast<QNetworkReply *>(watch->parent());
    delete watch;
    if (reply) {
        reply->abort();
        reply->deleteLater();
    }
}

HttpResult ServerLink::toResult(const RawReply &raw)
{
    return {raw.status, raw.status == 0 ? QString() : fromGbk(raw.body), raw.error};
}

HttpResult ServerLink::PostForm(const QUrl &address, const FormFields &body)
{
    return toResult(waitFor(startPost(address, body)));
}

QString ServerLink::HttpGetText(const QUrl &address)
{
    const HttpResult result = HttpGetRaw(address);
    return result.status == 200 ? result.text : QString();
}

HttpResult ServerLink::HttpGetRaw(const QUrl &address)
{
    return toResult(waitFor(m_manager->get(makeRequest(address))));
}

Result ServerLink::DownloadToFile(const QUrl &address, const QString &filePath,
                                  const std::function<Result(const QByteArray &)> &accept)
{
    const RawReply raw = waitFor(m_manager->get(makeRequest(address)));
    if (raw.status == 0)
        return Result::failure(raw.error);
    if (raw.status != 200)
        return Result::failure(QStringLiteral("服务器回应 %1").arg(raw.status));
    if (accept) {
        if (Result usable = accept(raw.body); !usable)
            return usable;
    }
    // Written beside the old file and renamed over it: a failed write keeps the old copy.
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return Result::failure(file.errorString());
    if (file.write(raw.body) != raw.body.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return Result::failure(why);
    }
    if (!file.commit())
        return Result::failure(file.errorString());
    return Result::success();
}

} // namespace corvanta
