#pragma once

#include "PageRequest.h"
#include "Store.h"

#include "core/Clock.h"

#include <QByteArray>

#include <functional>
#include <optional>

namespace corvanta::server {

// Who a browser is after signing in on the web pages: a random token in a cookie that
// scripts cannot read and other sites do not send. The store keeps only the token's SHA-256,
// so a copy of the database signs no one in; every server process on it knows the session.
class WebSessions
{
public:
    static constexpr qint64 kIdleSeconds = 8 * 60 * 60;
    // A session's last use is written at most this often; it may end this much early.
    static constexpr qint64 kTouchSeconds = 60;
    static constexpr char kCookieName[] = "corvanta_session";

    // `store` gives the calling thread's store (each request thread has its own connection).
    WebSessions(std::function<Store &()> store, const Clock &clock) : m_store(std::move(store)), m_clock(clock) {}

    // Starts a session for the teacher; the Set-Cookie header value that hands it over.
    // A request that came through HTTPS (as a proxy in front says) gets a Secure cookie.
    QByteArray start(qint64 teacher, const PageRequest &request);
    // The teacher whose live session the request's cookie names; counts as a use.
    std::optional<Teacher> teacherOf(const PageRequest &request);
    // Ends the request's session, if any.
    void end(const PageRequest &request);
    // The Set-Cookie header value that makes the browser forget its token.
    static QByteArray forgetCookie();

    // Whether a browser sent the request from a page of this site: its Origin (or, without
    // one, its Referer) names the host it was sent to (Host, or the X-Forwarded-Host of a
    // proxy). Ports do not make sites. A request naming neither is not taken as this site's:
    // every browser names the page of a form it posts, and a page that hides it could be
    // any site's.
    static bool isSameSite(const PageRequest &request);

    // A token of the shape start() hands out; others are not looked up.
    static bool isWellFormed(const QByteArray &token);

private:
    qint64 now() const;
    static QString hashOf(const QByteArray &token);

    std::function<Store &()> m_store;
    const Clock &m_clock;
};

} // namespace corvanta::server
