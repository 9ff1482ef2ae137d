#pragma once

#include <QHash>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace corvanta::server {

// The header time limit, which the HTTP engine does not have: its own limit counts only
// silence, so a client sending one byte every few seconds would hold a connection for
// ever. Each connection gets a deadline by which its request's headers must be in: the
// header limit after it opened, the idle limit after its last reply (a kept-alive
// connection may wait that long and then must have sent its headers). A thread of its own
// shuts down the sockets that miss theirs; the engine then closes them.
class ConnectionWatch
{
public:
    ~ConnectionWatch() { stop(); }

    void start(qint64 headerMs, qint64 idleMs);
    void stop();

    // Called on the connection's own thread: opened returns the token the others take.
    void *opened(const void *connection, int socket);
    void headersRead(const void *connection);
    void requestDone(const void *connection);
    void closed(void *token);

private:
    struct Entry
    {
        int socket = -1;
        qint64 deadline = 0; // milliseconds on the watch's clock; 0: none
    };
    void run();
    void setDeadline(const void *connection, qint64 after);
    static qint64 nowMs();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    QHash<const void *, Entry> m_entries;
    std::thread m_thread;
    bool m_running = false;
    qint64 m_headerMs = 10000;
    qint64 m_idleMs = 30000;
};

} // namespace corvanta::server
