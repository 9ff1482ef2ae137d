#pragma once

#include "core/AppConfig.h"
#include "core/Result.h"
#include "net/PageCall.h"

#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

namespace corvanta {

// A request sent without waiting. Cancelling it (or dropping the handle) breaks the
// transfer off and its callback never runs. Move-only.
class PendingRequest
{
public:
    PendingRequest() = default;
    PendingRequest(PendingRequest &&other) noexcept;
    PendingRequest &operator=(PendingRequest &&other) noexcept;
    PendingRequest(const PendingRequest &) = delete;
    PendingRequest &operator=(const PendingRequest &) = delete;
    ~PendingRequest();

    void cancel();
    // True until the callback has run or the request was cancelled.
    bool active() const;

private:
    friend class ServerLink;
    explicit PendingRequest(QObject *watch) : m_watch(watch) {}
    QPointer<QObject> m_watch; // child of the reply; owns the callback's connections
};

// Every request the tool sends goes through this one object. Requests wait for their
// reply while the event loop keeps running (timers keep ticking); each has a 30-second
// limit, after which it counts as failed. No reply is ever taken from a cache.
// This is transport only: what a page sends and how its reply reads is in the page
// builders (ScoreRequests.h and the like).
class ServerLink : public QObject
{
    Q_OBJECT
public:
    explicit ServerLink(const AppConfig &config, QObject *parent = nullptr);
    ~ServerLink() override;

    const AppConfig &config() const { return m_config; }

    // The address of a page call (with its fields as the query), for a GET or the browser.
    QUrl address(const PageCall &call) const;
    // Sends the call as its method says and waits for the reply.
    HttpResult send(const PageCall &call);
    // Sends the call and returns at once; `done` runs with the result when the reply has
    // come (or failed, or hit a limit), on this thread, unless the request was cancelled.
    // Such requests do not count as waiting (busy()).
    PendingRequest sendAsync(const PageCall &call, std::function<void(const HttpResult &)> done);
    // GETs the call into a file; see DownloadToFile.
    Result download(const PageCall &call, const QString &filePath,
                    const std::function<Result(const QByteArray &)> &accept = {});

    // Full address of a page path: the base, the path as given, and the query with every
    // value escaped by UrlEncode (kept byte for byte on the wire).
    QUrl serverUrl(const QString &path, const FormFields &query = {}) const;
    QUrl vendorUrl(const QString &path, const FormFields &query = {}) const;

    // Generic requests.
    HttpResult PostForm(const QUrl &address, const FormFields &body);
    QString HttpGetText(const QUrl &address); // empty unless a complete 200 reply came
    HttpResult HttpGetRaw(const QUrl &address);
    // Replaces the file only with a complete 200 reply that passes `accept`
    // (written to a temporary file, then renamed over the old one); otherwise the old
    // file stays and the result says why.
    Result DownloadToFile(const QUrl &address, const QString &filePath,
                          const std::function<Result(const QByteArray &)> &accept = {});

    // True while a request of this link waits for its reply.
    bool busy() const { return m_pending > 0; }

    // Milliseconds before a request counts as failed (tests shorten it).
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    // Largest reply body accepted; a longer one is broken off and counts as failed.
    void setMaxReplyBytes(qint64 bytes) { m_maxReplyBytes = bytes; }

signals:
    void busyChanged(bool busy);

private:
    struct RawReply
    {
        int status = 0; // 0 unless the whole reply arrived
        QByteArray body;
        QString error; // why nothing usable came
    };
    QNetworkRequest makeRequest(const QUrl &address) const;
    QNetworkReply *start(const PageCall &call);
    QNetworkReply *startPost(const QUrl &address, const FormFields &body);
    // Breaks the reply off at the time or size limit; the flag then says so. The
    // connections live as long as `context`.
    std::shared_ptr<bool> watchLimits(QNetworkReply *reply, QObject *context) const;
    RawReply readReply(QNetworkReply *reply, bool cutOff) const;
    RawReply waitFor(QNetworkReply *reply);
    static HttpResult toResult(const RawReply &raw);

    AppConfig m_config;
    QNetworkAccessManager *m_manager;
    // The system's certificate authorities and the configured one, for https:// addresses.
    QSslConfiguration m_tls;
    int m_pending = 0;
    int m_timeoutMs = 30000;
    qint64 m_maxReplyBytes = 64 * 1024 * 1024;
};

} // namespace corvanta
