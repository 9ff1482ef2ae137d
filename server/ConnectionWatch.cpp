#include "ConnectionWatch.h"

#include <chrono>

#include <sys/socket.h>

namespace corvanta::server {

qint64 ConnectionWatch::nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void ConnectionWatch::start(qint64 headerMs, qint64 idleMs)
{
    stop();
    m_headerMs = headerMs;
    m_idleMs = idleMs;
    m_running = true;
    m_thread = std::thread([this] { run(); });
}

void ConnectionWatch::stop()
{
    {
        const std::lock_guard lock(m_mutex);
        if (!m_running)
            return;
        m_running = false;
    }
    m_wake.notify_all();
    m_thread.join();
}

void *ConnectionWatch::opened(const void *connection, int socket)
{
    const std::lock_guard lock(m_mutex);
    m_entries.insert(connection, {socket, nowMs() + m_headerMs});
    return const_cast<void *>(connection);
}

void ConnectionWatch::setDeadline(const void *connection, qint64 after)
{
    const std::lock_guard lock(m_mutex);
    const auto entry = m_entries.find(connection);
    if (entry != m_entries.end())
        entry->deadline = after > 0 ? nowMs() + after : 0;
}

void ConnectionWatch::headersRead(const void *connection)
{
    setDeadline(connection, 0);
}

void ConnectionWatch::requestDone(const void *connection)
{
    setDeadline(connection, m_idleMs);
}

void ConnectionWatch::closed(void *token)
{
    // Under the lock, so the watch never shuts a socket number down once it is reused.
    const std::lock_guard lock(m_mutex);
    m_entries.remove(token);
}

void ConnectionWatch::run()
{
    // Checked often enough that a deadline is kept within a tenth of the header limit.
    const auto tick = std::chrono::milliseconds(qBound(qint64(20), m_headerMs / 10, qint64(500)));
    std::unique_lock lock(m_mutex);
    while (m_running) {
        m_wake.wait_for(lock, tick);
        const qint64 now = nowMs();
        for (Entry &entry : m_entries) {
            if (entry.deadline != 0 && entry.deadline < now && entry.socket >= 0) {
                ::shutdown(entry.socket, SHUT_RDWR);
                entry.deadline = 0;
            }
        }
    }
}

} // namespace corvanta::server
