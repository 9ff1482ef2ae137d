#pragma once

#include "core/AppConfig.h"
#include "core/Clock.h"
#include "net/LoginState.h"
#include "net/Wire.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;

namespace corvanta {

// Status and text of one reply. status 0: no reply (no connection, time-out, refused,
// transfer broken off).
struct HttpResult
{
    int status = 0;
    QString text; // reply body decoded as GBK

    ReplyOutcome outcome(const QString &successWord = QStringLiteral("Success!")) const
    {
        return classifyReply(status, text, successWord);
    }
};

// Every request the tool sends goes through this one object. Requests wait for their
// reply while the event loop keeps running (timers keep ticking); each has a 30-second
// limit, after which it counts as failed. No reply is ever taken from a cache.
// Pages are added here as the windows that use them need them.
class ServerLink : public QObject
{
    Q_OBJECT
public:
    ServerLink(const AppConfig &config, LoginState &login, RandomSource &random, QObject *parent = nullptr);
    ~ServerLink() override;

    const AppConfig &config() const { return m_config; }
    LoginState &login() { return m_login; }

    // Full address of a page path: the base, the path as given, and the query with every
    // value escaped by UrlEncode (kept byte for byte on the wire).
    QUrl serverUrl(const QString &path, const FormFields &query = {}) const;
    QUrl vendorUrl(const QString &path, const FormFields &query = {}) const;

    // Generic requests.
    HttpResult PostForm(const QUrl &address, const FormFields &body);
    QString HttpGetText(const QUrl &address); // empty unless a complete 200 reply came
    HttpResult HttpGetRaw(const QUrl &address);
    // Replaces the file only with a complete 200 reply that passes `accept`
    // (written to a temporary file, then renamed over the old one).
    bool DownloadToFile(const QUrl &address, const QString &filePath,
                        const std::function<bool(const QByteArray &)> &accept = {});

    // True while a request of this link waits for its reply.
    bool busy() const { return m_pending > 0; }

    // Pages.
    HttpResult checkPassword(const QString &username, const QString &password);
    // Class record file into the data folder; false when the old copy was kept.
    bool RefreshRecordCache(const QString &username);
    HttpResult uploadScores(const QString &password, const QString &keti, const QStringList &lines);
    QUrl recentScoresPage(int count) const; // "/score/?t=&n=&mp="
    HttpResult serverTime();
    HttpResult versionQuery();
    QUrl vendorUpdatePage() const; // download page of the newest version
    QUrl vendorHomePage() const;

    // Milliseconds before a request counts as failed (tests shorten it).
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    // Largest reply body accepted; a longer one is broken off and counts as failed.
    void setMaxReplyBytes(qint64 bytes) { m_maxReplyBytes = bytes; }

    // True when a body holds a line starting with the class list marker "Class_Is_Ready".
    static bool looksLikeRecordFile(const QByteArray &body);

signals:
    void busyChanged(bool busy);

private:
    struct RawReply
    {
        int status = 0; // 0 unless the whole reply arrived
        QByteArray body;
    };
    QNetworkRequest makeRequest(const QUrl &address) const;
    RawReply waitFor(QNetworkReply *reply);
    static HttpResult toResult(const RawReply &raw);

    AppConfig m_config;
    LoginState &m_login;
    RandomSource &m_random;
    QNetworkAccessManager *m_manager;
    int m_pending = 0;
    int m_timeoutMs = 30000;
    qint64 m_maxReplyBytes = 64 * 1024 * 1024;
};

} // namespace corvanta
