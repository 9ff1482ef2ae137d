#pragma once

#include "app/Pools.h"
#include "core/Clock.h"

#include <QSet>

#include <array>

namespace corvanta {

// The draw over the twelve pools: idle, or running on one pool while names flash.
// Pure state; the main window maps it onto its buttons and the name display.
class Draw
{
public:
    // New pools (a class was chosen): nobody is absent until setAbsent says so.
    void setPools(const std::array<QStringList, PoolCount> &pools);
    // Students left out of every draw; a pool of only absent students is drawn like an
    // empty one. A draw already running keeps the names it started with.
    void setAbsent(const QSet<QString> &absent);
    const QStringList &pool(int index) const { return m_pools[index]; }
    const std::array<QStringList, PoolCount> &pools() const { return m_pools; }

    bool running() const { return m_running >= 0; }
    int runningPool() const { return m_running; }
    // The running draw is the fair one (startFair).
    bool fairRunning() const { return m_running >= 0 && m_fair; }
    // The pool the last draw by start() began on; -1 before any.
    int lastPool() const { return m_lastPool; }
    // The names the running draw flashes (the pool less the absent).
    const QStringList &drawing() const { return m_copy; }

    // Starts drawing from the pool; false when it is empty, out of range or a draw runs.
    bool start(int pool);
    // The pool the fair draw takes from: never called first, then the least called. The
    // first of 从未, 很少, 较少, 较多, 很多 that holds a student present and not yet called in
    // this lesson; 所有 when every student present has been called; -1 when nobody is.
    int fairPool() const;
    // Starts the fair draw on fairPool(), over its students present and not yet called in
    // this lesson; a stop then works as on that pool. lastPool() stays as it was.
    bool startFair();
    // One animation step: the name now shown ("" when the copy is empty).
    QString step(RandomSource &random);
    const QString &shown() const { return m_shown; }
    // Index, in the pool's copy, of the name shown last; -1 before the first step.
    int award() const { return m_award; }

    // Ends the draw; the name shown last is the chosen one. It joins pool 2 (once) and
    // leaves the pool drawn from unless that is pool 0 or 2. Returns the chosen name,
    // "" when no name was shown.
    QString stop();
    // Ends the draw without choosing anyone (a name was picked by hand meanwhile): the
    // pools stay as they are.
    void cancel();

    // A name picked by hand rather than drawn: its first line in pool 1 leaves it and the
    // name joins pool 2 (once). A name not in pool 1 changes nothing; false then.
    bool pick(const QString &name);

    // Which of the draw buttons 0..11 may be pressed.
    bool buttonEnabled(int pool) const;

private:
    // Copies the pool's names that pass the test into the draw and starts it.
    template <typename Take> void begin(int pool, Take take);

    std::array<QStringList, PoolCount> m_pools;
    QStringList m_copy;    // the pool being drawn from, as it was at the start
    QList<int> m_copyRows; // where each name of the copy stands in its pool
    QSet<QString> m_absent;
    int m_lastPool = -1;
    int m_running = -1;
    bool m_fair = false;
    int m_award = -1; // index in m_copy of the name shown last
    QString m_shown;
};

} // namespace corvanta
