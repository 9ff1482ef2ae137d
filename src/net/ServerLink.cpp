#include "ServerLink.h"

#include "core/TextCodec.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QSaveFile>
#include <QTimer>

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
    if (call.method == PageMethod::Post)
        return PostForm(address(call), call.fields);
    return HttpGetRaw(address(call));
}

Result ServerLink::download(const PageCall &call, const QString &filePath,
                            const std::function<Result(const QByteArray &)> &accept)
{
    return DownloadToFile(address(call), filePath, accept);
}

QNetworkRequest ServerLink::makeRequest(const QUrl &address) const
{
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setRawHeader("If-Modified-Since", "0");
    return request;
}

ServerLink::RawReply ServerLink::waitFor(QNetworkReply *reply)
{
    if (++m_pending == 1)
        emit busyChanged(true);

    // Time-out or size limit: the reply counts as missing. A reply that finished while a
    // nested wait held this loop stands as it came.
    bool cutOff = false;
    auto cut = [reply, &cutOff] {
        cutOff = true;
        if (!reply->isFinished())
            reply->abort();
    };
    auto watchSize = [this, cut](qint64 received, qint64) {
        if (received > m_maxReplyBytes)
            cut();
    };
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(&limit, &QTimer::timeout, reply, cut);
    const QMetaObject::Connection sizeWatch =
        connect(reply, &QNetworkReply::downloadProgress, reply, watchSize);
    connect(reply, &QNetworkReply::finished, &limit, &QTimer::stop);
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        limit.start(m_timeoutMs);
        loop.exec(QEventLoop::AllEvents);
    }
    limit.stop();

    RawReply raw;
    if (!cutOff && !transportFailed(reply->error()) && reply->bytesAvailable() <= m_maxReplyBytes) {
        raw.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        raw.body = reply->readAll();
    } else if (cutOff) {
        raw.error = QStringLiteral("服务器没有及时回应，或回应过大");
    } else {
        raw.error = reply->errorString();
    }
    disconnect(sizeWatch); // it refers to this frame
    reply->deleteLater();

    if (--m_pending == 0)
        emit busyChanged(false);
    return raw;
}

HttpResult ServerLink::toResult(const RawReply &raw)
{
    return {raw.status, raw.status == 0 ? QString() : fromGbk(raw.body), raw.error};
}

HttpResult ServerLink::PostForm(const QUrl &address, const FormFields &body)
{
    QNetworkRequest request = makeRequest(address);
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/x-www-form-urlencoded"));
    return toResult(waitFor(m_manager->post(request, body.encoded())));
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
