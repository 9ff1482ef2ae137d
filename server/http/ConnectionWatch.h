#pragma once

#include <QByteArray>
#include <QHash>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace corvanta::server {

// The time limits the HTTP engine does not have, and room for new clients. The engine's own
// limit counts only silence, so a client sending one byte every few seconds would hold a
// connection for ever. Here each connection has a deadline for what it is doing: its
// request's headers within the header limit of opening (or the idle limit after its last
// reply, for a kept-alive connection), its body within the body limit of its headers, and its
// reply taken within the reply limit. A thread of its own shuts down the sockets that miss
// theirs; the engine then closes them.
//
// Connections that only wait for their client (for its headers, its body or its next
// request) can be dropped for a newcomer: when all connections, or all of one address, are
// taken, the one that has waited longest goes. So clients that send slowly, however many,
// cost others no more than a reconnection, and a request being answered is never dropped.
//
// Replies waiting for clients that do not take them hold memory: the bytes of the replies
// queued and not yet taken are counted (a reply that many connections share, such as a
// record file cached for its data version, once), and when they pass the limit, the
// connections that have waited longest for their client to take its reply are closed.
class ConnectionWatch
{
public:
    struct Limits
    {
        qint64 headerMs = 10000;
        qint64 bodyMs = 20000;
        qint64 idleMs = 30000;
        qint64 replyMs = 60000;
        int maxConnections = 1000;
        int maxPerAddress = 128;
        qint64 maxReplyBytes = qint64(256) * 1024 * 1024;
    };

    ~ConnectionWatch() { stop(); }

    void start(const Limits &limits);
    void stop();

    // Called on the connection's own thread: opened returns the token the others take.
    void *opened(const void *connection, int socket, const QByteArray &address);
    void headersRead(const void *connection);
    // The whole request is in: it is being answered.
    void requestRead(const void *connection);
    // The reply is queued: it must be taken within the reply limit. Its body is counted until
    // the request is done, under the bytes' address (replies sharing their bytes count once).
    void replyQueued(const void *connection, const void *body, qint64 bytes);
    void requestDone(const void *connection);
    void closed(void *token);

private:
    struct Entry
    {
        int socket = -1;
        QByteArray address;
        qint64 deadline = 0;      // milliseconds on the watch's clock; 0: none
        qint64 waitingSince = -1; // waiting for its client since; -1: busy being answered
        bool dropped = false;     // shut down, the engine has yet to close it
        const void *reply = nullptr; // the body of the reply queued and not yet taken
        qint64 replySince = 0;
    };
    struct Reply
    {
        int connections = 0;
        qint64 bytes = 0;
    };
    // The entry's reply is taken (or will never be).
    void releaseReply(Entry &entry);
    void run();
    void setPhase(const void *connection, qint64 after, bool waiting);
    // Shuts down the connection of those matching that has waited longest; false when none waits.
    template<typename Match> bool dropLongestWaiting(Match match);
    // Shuts the socket down; the entry stays until the engine has closed it.
    void drop(Entry &entry);
    static qint64 nowMs();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    QHash<const void *, Entry> m_entries;
    QHash<QByteArray, int> m_perAddress; // live (not dropped) connections
    QHash<const void *, Reply> m_replies; // bodies queued and not yet taken
    qint64 m_replyBytes = 0;              // theirs, each counted once
    int m_live = 0;
    std::thread m_thread;
    bool m_running = false;
    Limits m_limits;
};

} // namespace corvanta::server
