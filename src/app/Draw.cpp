#include "Draw.h"

namespace corvanta {

void Draw::setPools(const std::array<QStringList, PoolCount> &pools)
{
    m_pools = pools;
    m_absent.clear();
    m_copy.clear();
    m_copyRows.clear();
    m_running = -1;
    m_award = -1;
    m_shown.clear();
}

void Draw::setAbsent(const QSet<QString> &absent)
{
    m_absent = absent;
}

template <typename Take> void Draw::begin(int pool, Take take)
{
    m_running = pool;
    m_copy.clear();
    m_copyRows.clear();
    const QStringList &names = m_pools[pool];
    for (int row = 0; row < names.size(); ++row) {
        if (!m_absent.contains(names[row]) && take(names[row])) {
            m_copy.append(names[row]);
            m_copyRows.append(row);
        }
    }
    m_award = -1;
    m_shown.clear();
}

bool Draw::start(int pool)
{
    if (running() || !buttonEnabled(pool))
        return false;
    m_lastPool = pool;
    m_fair = false;
    begin(pool, [](const QString &) { return true; });
    return true;
}

int Draw::fairPool() const
{
    const QSet<QString> called(m_pools[2].cbegin(), m_pools[2].cend());
    for (int pool = 3; pool <= 7; ++pool) {
        for (const QString &name : m_pools[pool]) {
            if (!m_absent.contains(name) && !called.contains(name))
                return pool;
        }
    }
    return buttonEnabled(0) ? 0 : -1;
}

bool Draw::startFair()
{
    if (running())
        return false;
    const int pool = fairPool();
    if (pool < 0)
        return false;
    m_fair = true;
    // Only from the counts' pools do the students called in this lesson stay out; once
    // every student present has been called, everyone present is drawn again.
    const QSet<QString> called(m_pools[2].cbegin(), m_pools[2].cend());
    begin(pool, [&](const QString &name) { return pool == 0 || !called.contains(name); });
    return true;
}

QString Draw::step(RandomSource &random)
{
    if (!running() || m_copy.isEmpty())
        return m_shown;
    m_award = fairIndex(random.next(), int(m_copy.size()));
    m_shown = m_copy[m_award];
    return m_shown;
}

QString Draw::stop()
{
    if (!running())
        return {};
    const int pool = m_running;
    m_running = -1;
    if (m_award < 0)
        return {};
    const QString chosen = m_copy[m_award];
    if (!m_pools[2].contains(chosen))
        m_pools[2].append(chosen);
    // The copy keeps where each name stands in the pool, so the entry shown is the one taken.
    const int row = m_copyRows[m_award];
    if (pool != 0 && pool != 2 && row < m_pools[pool].size() && m_pools[pool][row] == chosen)
        m_pools[pool].removeAt(row);
    m_award = -1;
    return chosen;
}

void Draw::cancel()
{
    m_running = -1;
    m_award = -1;
    m_copy.clear();
    m_copyRows.clear();
}

bool Draw::pick(const QString &name)
{
    const qsizetype at = m_pools[1].indexOf(name);
    if (at < 0)
        return false;
    m_pools[1].removeAt(at);
    if (!m_pools[2].contains(name))
        m_pools[2].append(name);
    return true;
}

bool Draw::buttonEnabled(int pool) const
{
    if (pool < 0 || pool >= PoolCount)
        return false;
    if (running())
        return pool == m_running;
    if (m_absent.isEmpty())
        return !m_pools[pool].isEmpty();
    for (const QString &name : m_pools[pool]) {
        if (!m_absent.contains(name))
            return true;
    }
    return false;
}

} // namespace corvanta
