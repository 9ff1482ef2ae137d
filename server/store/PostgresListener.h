#pragma once

#include "DatabaseUrl.h"
#include "SqlStore.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct pg_conn;

namespace corvanta::server {

// Tells a process of the changes other processes make to a PostgreSQL database: every change
// that decides a sign-in or a record file (a teacher's row, its failure counts and lock-outs)
// sends a notice from the database itself (triggers, see SqlSchema.cpp) on commit. A thread of
// its own listens on a connection of its own and counts each notice in the process's change
// count, so the request threads learn of them with no table read.
//
// A notice reaches the listeners a moment after its commit was answered: a request could come
// in between. So a request asks caughtUp() first: the listening connection sends an empty
// statement and the request waits for its answer. The database sends a listener every notice
// of a commit finished before it read that statement ahead of the answer, so once the answer
// is in, every change committed before the request came is counted. One statement serves
// every request that asked while the one before was on its way.
//
// While the connection is lost, notices go unheard: caughtUp() is false until it listens
// again, which counts a change for whatever it missed meanwhile.
class PostgresListener
{
public:
    static constexpr const char *kChannel = "corvanta_teacher";

    PostgresListener(const DatabaseUrl &url, std::shared_ptr<SqlStore::ChangeCount> changes);
    ~PostgresListener();
    PostgresListener(const PostgresListener &) = delete;
    PostgresListener &operator=(const PostgresListener &) = delete;

    // True once every notice of a commit that finished before the call is counted; false when
    // the connection is lost or no answer came within timeoutMs.
    bool caughtUp(int timeoutMs = 2000);
    // The same without a waiting thread: done(true) on the listening thread once every such
    // notice is counted; done(false) when the connection is lost first, or no answer came
    // within kCatchUpTimeout, or the listener stops.
    void whenCaughtUp(std::function<void(bool covered)> done);
    // Whether the connection listens now.
    bool listening();

    static constexpr std::chrono::milliseconds kCatchUpTimeout{2000};

private:
    void run();
    // Listens on a new connection until it is lost or the listener stops.
    void serve(pg_conn *connection);
    // Waits up to ms or until stopped; true when stopped.
    bool stopWithin(int ms);
    void wake();
    // Asks for a statement after those sent so far; with m_mutex held.
    quint64 wantStatement();
    // Hands the callbacks their answer: those the statements answered so far covered, or
    // all (not covered) when `all`, or those past their time.
    void answerCallbacks(bool all);

    const DatabaseUrl m_url;
    const std::shared_ptr<SqlStore::ChangeCount> m_changes;
    int m_wake = -1; // an eventfd that ends the thread's wait

    std::mutex m_mutex;
    std::condition_variable m_answered;
    bool m_stopping = false;
    quint64 m_connection = 0; // the listening connection's number; odd while it listens
    quint64 m_sent = 0;       // empty statements sent on it, and answered
    quint64 m_done = 0;
    bool m_wanted = false; // a request waits for a statement not sent yet
    struct Callback
    {
        quint64 statement; // covered once this one is answered
        std::chrono::steady_clock::time_point deadline;
        std::function<void(bool covered)> done;
    };
    std::vector<Callback> m_callbacks;
    std::thread m_thread;
};

} // namespace corvanta::server
