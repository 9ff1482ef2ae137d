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

void ConnectionWatch::start(const Limits &limits)
{
    stop();
    m_limits = limits;
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

void ConnectionWatch::releaseReply(Entry &entry)
{
    if (!entry.reply)
        return;
    const auto reply = m_replies.find(entry.reply);
    entry.reply = nullptr;
    if (reply == m_replies.end() || --reply->connections > 0)
        return;
    m_replyBytes -= reply->bytes;
    m_replies.erase(reply);
}

void ConnectionWatch::drop(Entry &entry)
{
    releaseReply(entry);
    if (entry.socket >= 0)
        ::shutdown(entry.socket, SHUT_RDWR);
    entry.deadline = 0;
    entry.dropped = true;
    --m_live;
    --m_perAddress[entry.address];
}

template<typename Match> bool ConnectionWatch::dropLongestWaiting(Match match)
{
    Entry *longest = nullptr;
    for (Entry &entry : m_entries) {
        if (!entry.dropped && entry.waitingSince >= 0 && match(entry) &&
            (!longest || entry.waitingSince < longest->waitingSince))
            longest = &entry;
    }
    if (!longest)
        return false;
    drop(*longest);
    return true;
}

void *ConnectionWatch::opened(const void *connection, int socket, const QByteArray &address)
{
    const std::lock_guard lock(m_mutex);
    const qint64 now = nowMs();
    Entry &entry = m_entries[connection];
    entry = {socket, address, now + m_limits.headerMs, now, false};
    ++m_live;
    int &fromAddress = m_perAddress[address];
    ++fromAddress;
    // The newcomer waits too, for the shortest time: it goes only when nobody else waits.
    if (fromAddress > m_limits.maxPerAddress)
        dropLongestWaiting([&address](const Entry &e) { return e.address == address; });
    if (m_live > m_limits.maxConnections)
        dropLongestWaiting([](const Entry &) { return true; });
    return const_cast<void *>(connection);
}

void ConnectionWatch::setPhase(const void *connection, qint64 after, bool waiting)
{
    const std::lock_guard lock(m_mutex);
    const auto entry = m_entries.find(connection);
    if (entry == m_entries.end() || entry->dropped)
        return;
    const qint64 now = nowMs();
    entry->deadline = after > 0 ? now + after : 0;
    if (!waiting)
        entry->waitingSince = -1;
    else if (entry->waitingSince < 0)
        entry->waitingSince = now;
}

void ConnectionWatch::headersRead(const void *connection)
{
    setPhase(connection, m_limits.bodyMs, true);
}

void ConnectionWatch::requestRead(const void *connection)
{
    setPhase(connection, 0, false);
}

void ConnectionWatch::replyQueued(const void *connection, const void *body, qint64 bytes)
{
    setPhase(connection, m_limits.replyMs, false);
    if (!body || bytes <= 0)
        return;
    const std::lock_guard lock(m_mutex);
    const auto entry = m_entries.find(connection);
    if (entry == m_entries.end() || entry->dropped)
        return;
    releaseReply(*entry);
    Reply &reply = m_replies[body];
    if (reply.connections++ == 0) {
        reply.bytes = bytes;
        m_replyBytes += bytes;
    }
    entry->reply = body;
    entry->replySince = nowMs();
    // Over the limit: the replies that have waited longest go first. The newest stays, even
    // alone over the limit: it has had no time yet to be taken.
    while (m_replyBytes > m_limits.maxReplyBytes) {
        Entry *oldest = nullptr;
        for (Entry &e : m_entries) {
            if (!e.dropped && e.reply && &e != &*entry && (!oldest || e.replySince < oldest->replySince))
                oldest = &e;
        }
        if (!oldest)
            break;
        drop(*oldest);
    }
}

void ConnectionWatch::requestDone(const void *connection)
{
    {
        const std::lock_guard lock(m_mutex);
        const auto entry = m_entries.find(connection);
        if (entry != m_entries.end())
            releaseReply(*entry);
    }
    setPhase(connection, m_limits.idleMs, true);
}

void ConnectionWatch::closed(void *token)
{
    // Under the lock, so the watch never shuts a socket number down once it is reused.
    const std::lock_guard lock(m_mutex);
    const auto entry = m_entries.find(token);
    if (entry == m_entries.end())
        return;
    releaseReply(*entry);
    if (!entry->dropped) {
        --m_live;
        if (--m_perAddress[entry->address] <= 0)
            m_perAddress.remove(entry->address);
    } else if (m_perAddress.value(entry->address) <= 0) {
        m_perAddress.remove(entry->address);
    }
    m_entries.erase(entry);
}

void ConnectionWatch::run()
{
    // Checked often enough that a deadline is kept within a tenth of the header limit.
    const auto tick = std::chrono::milliseconds(qBound(qint64(20), m_limits.headerMs / 10, qint64(500)));
    std::unique_lock lock(m_mutex);
    while (m_running) {
        m_wake.wait_for(lock, tick);
        const qint64 now = nowMs();
        for (Entry &entry : m_entries) {
            if (!entry.dropped && entry.deadline != 0 && entry.deadline < now)
                drop(entry);
        }
    }
}

} // namespace corvanta::server
