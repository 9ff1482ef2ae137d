#pragma once

#include "Store.h"

#include <QHash>
#include <QString>

#include <mutex>
#include <optional>

namespace corvanta::server {

// The teachers of the sign-ins that passed lately, so that the next request of the same
// account, kind of secret and client address (a class's record file, an upload) costs no
// database read. Each is kept under the store's change count it was read at
// (Store::changeCount) and only while that count stands: any change of the database since,
// in any process, leaves it unused. Only a sign-in that passed with nothing counted against
// it (no failures, no lock) is kept; the secret is checked again on every request, against
// what the password check remembers of the teacher's stored hash. Safe from several threads.
class TeacherCache
{
public:
    std::optional<Teacher> find(const QString &key, quint64 count)
    {
        const std::lock_guard lock(m_mutex);
        const auto kept = m_entries.constFind(key);
        if (kept == m_entries.cend() || kept->count != count)
            return std::nullopt;
        return kept->teacher;
    }

    void keep(const QString &key, quint64 count, const Teacher &teacher)
    {
        const std::lock_guard lock(m_mutex);
        const auto kept = m_entries.constFind(key);
        if (kept != m_entries.cend() && kept->count > count)
            return; // a request that read later kept its own
        if (m_entries.size() >= kCapacity && kept == m_entries.cend())
            m_entries.clear(); // a bound; each is read again at its next request
        m_entries.insert(key, {count, teacher});
    }

private:
    static constexpr qsizetype kCapacity = 4096;
    struct Entry
    {
        quint64 count = 0;
        Teacher teacher;
    };
    std::mutex m_mutex;
    QHash<QString, Entry> m_entries;
};

} // namespace corvanta::server
