#pragma once

#include <QHash>
#include <QList>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace corvanta::server {

// Threads of their own for the requests that read a lot (a class's every score), so that
// the request threads stay free for the cheap ones, and a bound on what one account may
// ask for at once: at most `perAccountRunning` of its jobs run while others wait, at most
// `perAccountWaiting` wait, and the queue as a whole holds at most `maxWaiting`. A job
// beyond is not taken; the caller answers "busy".
class HeavyQueue
{
public:
    struct Limits
    {
        int workers = 2;
        int perAccountRunning = 2;
        int perAccountWaiting = 8;
        int maxWaiting = 256;
    };
    // Runs the request (true) or, when the queue stops before its turn, answers it as not
    // run (false). Called once, on a worker thread or on the thread that calls stop().
    using Job = std::function<void(bool run)>;

    explicit HeavyQueue(Limits limits);
    ~HeavyQueue();
    HeavyQueue(const HeavyQueue &) = delete;
    HeavyQueue &operator=(const HeavyQueue &) = delete;

    // False, and the job dropped, when the account has its share or the queue is full or
    // stopped.
    bool submit(qint64 account, Job job);
    // Whether submit() would take a job of the account now.
    bool hasRoom(qint64 account);
    // Lets the running jobs finish, hands every waiting one false, ends the workers.
    void stop();

private:
    struct Waiting
    {
        qint64 account;
        Job job;
    };
    void work();
    bool roomFor(qint64 account) const; // with m_mutex held

    const Limits m_limits;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    QList<Waiting> m_waiting;
    QHash<qint64, int> m_running;      // account -> jobs running
    QHash<qint64, int> m_waitingCount; // account -> jobs waiting
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};

} // namespace corvanta::server
