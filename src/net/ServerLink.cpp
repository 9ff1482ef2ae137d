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

ServerLink::ServerLink(const AppConfig &config, LoginState &login, RandomSource &random, QObject *parent)
    : QObject(parent), m_config(config), m_login(login), m_random(random),
      m_manager(new QNetworkAccessManager(this))
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
    }
    disconnect(sizeWatch); // it refers to this frame
    reply->deleteLater();

    if (--m_pending == 0)
        emit busyChanged(false);
    return raw;
}

HttpResult ServerLink::toResult(const RawReply &raw)
{
    return {raw.status, raw.status == 0 ? QString() : fromGbk(raw.body)};
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

bool ServerLink::DownloadToFile(const QUrl &address, const QString &filePath,
                                const std::function<bool(const QByteArray &)> &accept)
{
    const RawReply raw = waitFor(m_manager->get(makeRequest(address)));
    if (raw.status != 200 || (accept && !accept(raw.body)))
        return false;
    // Written beside the old file and renamed over it: a failed write keeps the old copy.
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(raw.body) != raw.body.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool ServerLink::looksLikeRecordFile(const QByteArray &body)
{
    static const QByteArray marker("Class_Is_Ready");
    for (qsizetype from = 0; from >= 0 && from < body.size();) {
        if (QByteArrayView(body).sliced(from).startsWith(marker))
            return true;
        const qsizetype next = body.indexOf('\n', from);
        from = next < 0 ? -1 : next + 1;
    }
    return false;
}

HttpResult ServerLink::checkPassword(const QString &username, const QString &password)
{
    // The name goes as typed; the password without the blanks around it.
    return PostForm(serverUrl(QStringLiteral("/score/checkpassword.php")),
                    FormFields()
                        .add(QStringLiteral("username"), username)
                        .add(QStringLiteral("password"), password.trimmed()));
}

bool ServerLink::RefreshRecordCache(const QString &username)
{
    if (!m_config.ensureDataDir())
        return false;
    const QUrl address = serverUrl(
        QStringLiteral("/score/record.php"),
        FormFields().add(QStringLiteral("t"), username).add(QStringLiteral("mp"), m_login.LoginDigest));
    return DownloadToFile(address, m_config.recordFile(), &ServerLink::looksLikeRecordFile);
}

HttpResult ServerLink::uploadScores(const QString &password, const QString &keti, const QStringList &lines)
{
    return PostForm(serverUrl(QStringLiteral("/score/index.php")),
                    FormFields()
                        .add(QStringLiteral("username"), m_login.LoginUser)
                        .add(QStringLiteral("password"), password)
                        .add(QStringLiteral("keti"), keti)
                        .add(QStringLiteral("score"), lines.join(u'|')));
}

QUrl ServerLink::recentScoresPage(int count) const
{
    return serverUrl(QStringLiteral("/score/"), FormFields()
                                                    .add(QStringLiteral("t"), m_login.LoginUser)
                                                    .add(QStringLiteral("n"), QString::number(count))
                                                    .add(QStringLiteral("mp"), m_login.LoginDigest));
}

HttpResult ServerLink::serverTime()
{
    return HttpGetRaw(serverUrl(QStringLiteral("/score/servertime.php"),
                                FormFields().add(QStringLiteral("t"), randomAddressValue(m_random))));
}

HttpResult ServerLink::versionQuery()
{
    return HttpGetRaw(vendorUrl(QStringLiteral("/version.php"),
                                FormFields()
                                    .add(QStringLiteral("s"), QStringLiteral("Selvane"))
                                    .add(QStringLiteral("t"), randomAddressValue(m_random))));
}

QUrl ServerLink::vendorUpdatePage() const
{
    return vendorUrl(QStringLiteral("/soft/update.php"),
                     FormFields().add(QStringLiteral("sort"), QStringLiteral("Selvane")));
}

QUrl ServerLink::vendorHomePage() const
{
    return QUrl::fromEncoded(m_config.vendorBase.toUtf8(), QUrl::TolerantMode);
}

} // namespace corvanta
