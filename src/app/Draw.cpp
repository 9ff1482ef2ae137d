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

bool Draw::start(int pool)
{
    if (running() || !buttonEnabled(pool))
        return false;
    m_running = pool;
    m_lastPool = pool;
    m_copy.clear();
    m_copyRows.clear();
    const QStringList &names = m_pools[pool];
    for (int row = 0; row < names.size(); ++row) {
        if (!m_absent.contains(names[row])) {
            m_copy.append(names[row]);
            m_copyRows.append(row);
        }
    }
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
