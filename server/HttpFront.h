#pragma once

#include "ScoreService.h"
#include "TrustedProxies.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>

#include <memory>

namespace corvanta::server {

// What one client may cost the server. Every limit is there so that a slow or greedy
// client cannot starve the others: memory per connection is bounded by the header and
// body limits, time by the two time limits, connections by the two caps.
struct FrontOptions
{
    QHostAddress host = QHostAddress(QHostAddress::LocalHost);
    quint16 port = 8080;
    int threads = 0; // request threads; 0: one per core
    // Request line and headers; beyond, 431.
    qsizetype maxHeaderBytes = 16 * 1024;
    // A body; 413. One whose Content-Length is over four times this is refused before it is
    // read; a smaller one, or a chunked one, is read without being kept and refused at its end
    // (so that a client still sending sees the reply), or cut off at four times this.
    qsizetype maxBodyBytes = 1024 * 1024;
    // The query of a page address; 414.
    qsizetype maxQueryBytes = 8 * 1024;
    // A new connection has this long to send its request's headers, and then this long for
    // its body.
    int headerSeconds = 10;
    int bodySeconds = 20;
    // A kept-alive connection has this long to send its next request's headers; a connection
    // that sends or takes nothing for this long is closed.
    int idleSeconds = 30;
    // A reply must be taken within this long.
    int replySeconds = 60;
    // When all connections, or all of one address, are taken, a newcomer pushes out the one
    // that has waited longest for its client (see ConnectionWatch).
    int maxConnections = 1000;
    int maxConnectionsPerAddress = 128;
    // Bytes of replies queued for clients that have not taken them yet (a reply many share
    // counted once); beyond, the connections whose replies have waited longest are closed.
    qint64 maxWaitingReplyBytes = qint64(256) * 1024 * 1024;
    // The kernel's send buffer of a connection (SO_SNDBUF; the kernel doubles it). Left to
    // itself it grows to megabytes for a client that does not read, per connection; the
    // rest of a reply waits in the server, where it is shared and counted.
    int socketSendBytes = 128 * 1024;
    // Threads for the pages that read a lot; 0: as many as request threads (at least two).
    int heavyThreads = 0;
    // Such pages at once per account; more wait, up to four times this, and beyond get 503.
    int heavyPerAccount = 2;
    // Password checks waiting for the slow hash, of all accounts together (each account has
    // room for a few); beyond, 503. Few: each waits for all before it, one hash (10 ms
    // optimised, far more in a sanitizer build) per core at a time.
    int maxSlowChecksWaiting = 16;
    // Threads for the pages that wait for their change to reach the disk (uploads): the
    // database flushes the changes of all that wait at once together, so the more wait at
    // once, the more are stored per flush, while the request threads serve the rest. A
    // waiting thread costs next to nothing: a bell's worth of uploads at once. 0: none, the
    // uploads wait on the request threads.
    int diskWaitThreads = 64;
    // Proxies whose X-Forwarded-For names the client; none: the header is ignored.
    TrustedProxies trustedProxies;
    // PEM texts; with both, HTTPS.
    QByteArray tlsCertificate;
    QByteArray tlsKey;
};

// The HTTP side, on libmicrohttpd: a pool of request threads reads each request within
// the limits above, turns it into a PageRequest, runs the route table, writes the reply
// and one log line. Pages that read a lot run on threads of their own (HeavyQueue), so a
// cheap request never waits behind them.
class HttpFront
{
public:
    HttpFront(ScoreService &service, FrontOptions options);
    ~HttpFront();
    HttpFront(const HttpFront &) = delete;
    HttpFront &operator=(const HttpFront &) = delete;

    // Starts listening; the port listened on (the free one picked for port 0), or 0 and
    // *error.
    quint16 start(QString *error);
    // Stops accepting and ends every connection; waits for the request threads.
    void stop();

    // Log lines go to standard error unless switched off.
    void setLogging(bool on);

    struct Private;

private:
    std::unique_ptr<Private> d;
};

} // namespace corvanta::server
