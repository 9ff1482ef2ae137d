#include "Draw.h"

namespace corvanta {

void Draw::setPools(const std::array<QStringList, PoolCount> &pools)
{
    m_pools = pools;
    m_copy.clear();
    m_running = -1;
    m_award = -1;
    m_shown.clear();
}

bool Draw::start(int pool)
{
    if (running() || pool < 0 || pool >= PoolCount || m_pools[pool].isEmpty())
        return false;
    m_running = pool;
    m_copy = m_pools[pool];
    m_award = -1;
    m_shown.clear();
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
    // The copy has the pool's order, so the index names the same entry.
    if (pool != 0 && pool != 2 && m_award < m_pools[pool].size() && m_pools[pool][m_award] == chosen)
        m_pools[pool].removeAt(m_award);
    m_award = -1;
    return chosen;
}

void Draw::cancel()
{
    m_running = -1;
    m_award = -1;
    m_copy.clear();
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
    return !m_pools[pool].isEmpty();
}

} // namespace corvanta
