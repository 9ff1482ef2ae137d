#pragma once

#include "DatabaseUrl.h"
#include "SqlStore.h"

#include <QHash>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

struct pg_conn;

namespace corvanta::server {

// Tells a process of the changes other processes make to a PostgreSQL database: every change
// that decides a sign-in or a record file (a teacher's row, its failure counts and lock-outs)
// sends a notice from the database itself (triggers, see SqlSchema.cpp) on commit. A thread of
// its own listens on a connection of its own and counts each notice in the process's change
// count, so the request threads learn of them without a round trip. While that connection is
// lost, notices go unheard: the process then cannot tell (upToDate() is false) until it
// listens again, and counts a change for whatever it missed meanwhile.
class PostgresListener
{
public:
    static constexpr const char *kChannel = "corvanta_teacher";

    PostgresListener(const DatabaseUrl &url, std::shared_ptr<SqlStore::ChangeCount> changes);
    ~PostgresListener();
    PostgresListener(const PostgresListener &) = delete;
    PostgresListener &operator=(const PostgresListener &) = delete;

    // True when every notice that has reached this process is counted: the connection listens
    // and has nothing unread. One poll of its socket, no round trip.
    bool upToDate() const;

    // The notices taken so far, for awaitNoticeFrom: taken before a commit that sends one.
    quint64 noticesTaken() const;
    // Waits, at most timeoutMs, until a notice of the database connection whose backend is
    // backendPid was taken after `after` notices: the commit that sent it has reached this
    // process, and with it (sent at the same moment) every other listening process. False
    // when none came (the connection is lost, or the database is slow to tell).
    bool awaitNoticeFrom(int backendPid, quint64 after, int timeoutMs);

private:
    void run();
    void takeNotices(pg_conn *connection);
    // Waits up to ms or until stopped; true when stopped.
    bool stopWithin(int ms);

    const DatabaseUrl m_url;
    const std::shared_ptr<SqlStore::ChangeCount> m_changes;
    // The listening connection's number times two, plus one while it listens: a request
    // that sees the same value before and after its look at the socket looked at that one.
    std::atomic<quint64> m_state = 0;
    std::atomic<int> m_socket = -1;
    int m_wake = -1; // an eventfd that ends the thread's wait
    std::atomic<bool> m_stopping = false;
    // Of the notices taken: how many, and when (by that count) the last of each backend.
    mutable std::mutex m_takenMutex;
    std::condition_variable m_took;
    quint64 m_taken = 0;
    QHash<int, quint64> m_lastTakenFrom;
    std::thread m_thread;
};

} // namespace corvanta::server
