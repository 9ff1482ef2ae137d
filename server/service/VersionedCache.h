#pragma once

#include <QHash>
#include <QSet>

#include <condition_variable>
#include <mutex>
#include <optional>

namespace corvanta::server {

// What a process keeps of a teacher's data between requests, each value under the teacher's
// data version it was read at: a request whose teacher shows another version reads afresh,
// so a change made through another process (which bumps the version in the database) is seen
// at once. Safe from several request threads; values are made outside the lock, so other
// teachers' requests are served meanwhile. One make per key at a time: the requests that ask
// for a key meanwhile (a whole class's computers at the bell) wait for it and share its value
// instead of each reading and holding a copy.
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
        std::unique_lock lock(m_mutex);
        for (;;) {
            const auto kept = m_entries.constFind(key);
            if (kept != m_entries.cend() && kept->version == version)
                return kept->value;
            if (!m_making.contains(key))
                break;
            m_made.wait(lock);
        }
        m_making.insert(key);
        lock.unlock();
        const auto done = [&] {
            lock.lock();
            m_making.remove(key);
            m_made.notify_all();
        };
        std::optional<Value> made;
        try {
            made = make();
        } catch (...) {
            done();
            throw;
        }
        done();
        if (!made)
            return made;
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
    QSet<Key> m_making; // keys whose value a request is making
    std::condition_variable m_made;
};

} // namespace corvanta::server
