#pragma once

#include <QHash>

#include <mutex>
#include <optional>

namespace corvanta::server {

// What a process keeps of a teacher's data between requests, each value under the teacher's
// data version it was read at: a request whose teacher shows another version reads afresh,
// so a change made through another process (which bumps the version in the database) is seen
// at once. Safe from several request threads; values are made outside the lock, so other
// teachers' requests are served meanwhile.
template <typename Key, typename Value>
class VersionedCache
{
public:
    explicit VersionedCache(qsizetype capacity) : m_capacity(capacity) {}

    // The value kept for key at version, or else what make() gives; nullopt from make() (a
    // class that does not exist, say) is passed on and not kept, so made-up names fill nothing.
    template <typename Make>
    std::optional<Value> get(const Key &key, qint64 version, Make &&make)
    {
        {
            const std::lock_guard lock(m_mutex);
            const auto kept = m_entries.constFind(key);
            if (kept != m_entries.cend() && kept->version == version)
                return kept->value;
        }
        std::optional<Value> made = make();
        if (!made)
            return made;
        const std::lock_guard lock(m_mutex);
        const auto kept = m_entries.constFind(key);
        if (kept != m_entries.cend() && kept->version > version)
            return made; // a request that saw a newer version filled it meanwhile
        if (m_entries.size() >= m_capacity)
            m_entries.clear();
        m_entries.insert(key, {version, *made});
        return made;
    }

private:
    struct Entry
    {
        qint64 version = 0;
        Value value;
    };
    const qsizetype m_capacity;
    std::mutex m_mutex;
    QHash<Key, Entry> m_entries;
};

} // namespace corvanta::server
