#include "HeavyQueue.h"

namespace corvanta::server {

HeavyQueue::HeavyQueue(Limits limits) : m_limits(limits)
{
    for (int i = 0; i < qMax(1, m_limits.workers); ++i)
        m_workers.emplace_back([this] { work(); });
}

HeavyQueue::~HeavyQueue()
{
    stop();
}

bool HeavyQueue::roomFor(qint64 account) const
{
    return !m_stopping && m_waiting.size() < m_limits.maxWaiting &&
           m_waitingCount.value(account) < m_limits.perAccountWaiting;
}

bool HeavyQueue::hasRoom(qint64 account)
{
    const std::lock_guard lock(m_mutex);
    return roomFor(account);
}

bool HeavyQueue::submit(qint64 account, Job job)
{
    {
        const std::lock_guard lock(m_mutex);
        if (!roomFor(account))
            return false;
        m_waiting.append({account, std::move(job)});
        ++m_waitingCount[account];
    }
    // Every worker may have to look: the first may find only accounts at their share.
    m_wake.notify_all();
    return true;
}

void HeavyQueue::stop()
{
    QList<Waiting> left;
    {
        const std::lock_guard lock(m_mutex);
        if (m_stopping && m_workers.empty())
            return;
        m_stopping = true;
        left.swap(m_waiting);
        m_waitingCount.clear();
    }
    m_wake.notify_all();
    for (Waiting &waiting : left)
        waiting.job(false);
    for (std::thread &worker : m_workers)
        worker.join();
    m_workers.clear();
}

void HeavyQueue::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        // The oldest job whose account is below its share of running jobs: one account's
        // pile never holds back another account's request.
        qsizetype next = -1;
        m_wake.wait(lock, [&] {
            if (m_stopping)
                return true;
            for (qsizetype i = 0; i < m_waiting.size(); ++i) {
                if (m_running.value(m_waiting[i].account) < m_limits.perAccountRunning) {
                    next = i;
                    return true;
                }
            }
            return false;
        });
        if (m_stopping)
            return;
        Waiting taken = m_waiting.takeAt(next);
        if (--m_waitingCount[taken.account] <= 0)
            m_waitingCount.remove(taken.account);
        ++m_running[taken.account];
        lock.unlock();
        taken.job(true);
        lock.lock();
        if (--m_running[taken.account] <= 0)
            m_running.remove(taken.account);
        // A job of this account may wait for the share just freed.
        m_wake.notify_all();
    }
}

} // namespace corvanta::server
