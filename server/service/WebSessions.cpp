#include "WebSessions.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QUrl>

#include <cctype>

namespace corvanta::server {

namespace {

constexpr int kTokenBytes = 32;
// Base64url without padding of kTokenBytes bytes.
constexpr qsizetype kTokenLength = (kTokenBytes * 4 + 2) / 3;

QByteArray cookieAttributes()
{
    // Path "/score": the vendor pages on the same host never see it. No Max-Age: the browser
    // forgets it when it closes, the server after kIdleSeconds without use.
    return QByteArrayLiteral("; Path=/score; HttpOnly; SameSite=Strict");
}

} // namespace

qint64 WebSessions::now() const
{
    return m_clock.now().toSecsSinceEpoch();
}

bool WebSessions::isWellFormed(const QByteArray &token)
{
    if (token.size() != kTokenLength)
        return false;
    for (const char c : token) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'))
            return false;
    }
    return true;
}

QString WebSessions::hashOf(const QByteArray &token)
{
    return QString::fromLatin1(QCryptographicHash::hash(token, QCryptographicHash::Sha256).toHex());
}

QByteArray WebSessions::start(qint64 teacher, const PageRequest &request)
{
    QByteArray random(kTokenBytes, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(random.data()), kTokenBytes / 4);
    const QByteArray token = random.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
    const qint64 t = now();
    m_store().startSession(hashOf(token), teacher, t, t - kIdleSeconds);
    QByteArray cookie = QByteArray(kCookieName) + '=' + token + cookieAttributes();
    if (request.header("X-Forwarded-Proto").trimmed().toLower() == "https")
        cookie += "; Secure";
    return cookie;
}

std::optional<Teacher> WebSessions::teacherOf(const PageRequest &request)
{
    const QByteArray token = request.cookie(kCookieName);
    if (!isWellFormed(token))
        return std::nullopt;
    const QString hash = hashOf(token);
    const std::optional<StoredSession> session = m_store().session(hash);
    if (!session)
        return std::nullopt;
    const qint64 t = now();
    if (session->lastUsed <= t - kIdleSeconds) {
        m_store().endSession(hash);
        return std::nullopt;
    }
    if (session->lastUsed <= t - kTouchSeconds)
        m_store().touchSession(hash, t);
    return session->teacher;
}

void WebSessions::end(const PageRequest &request)
{
    const QByteArray token = request.cookie(kCookieName);
    if (isWellFormed(token))
        m_store().endSession(hashOf(token));
}

bool WebSessions::isSameSite(const PageRequest &request)
{
    QByteArray from = request.header("Origin").trimmed();
    if (from.isEmpty())
        from = request.header("Referer").trimmed();
    // "null": a sandboxed or privacy-minded page that hides where it is.
    const QString fromHost = QUrl::fromEncoded(from, QUrl::StrictMode).host().toLower();
    if (fromHost.isEmpty())
        return false;
    const auto hostOf = [](const QByteArray &value) {
        // A proxy may list several; the first is the one the browser named.
        const QByteArray first = value.split(',').first().trimmed();
        return first.isEmpty() ? QString() : QUrl::fromEncoded("http://" + first, QUrl::StrictMode).host().toLower();
    };
    for (const QByteArray &name : {QByteArrayLiteral("Host"), QByteArrayLiteral("X-Forwarded-Host")}) {
        const QString host = hostOf(request.header(name));
        if (!host.isEmpty() && host == fromHost)
            return true;
    }
    return false;
}

QByteArray WebSessions::forgetCookie()
{
    return QByteArray(kCookieName) + "=" + cookieAttributes() + "; Max-Age=0";
}

} // namespace corvanta::server
