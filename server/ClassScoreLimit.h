#pragma once

#include "Store.h"

#include "core/Result.h"

#include <QHash>
#include <QString>

#include <mutex>

namespace corvanta::server {

// At most so many scores in one class: a class read whole (the console's score list, the
// class pages) stays within what the tool and the server carry in a moment. Counting a
// class on every upload would cost a query each, so the counts are kept here as an upper
// bound (uploads add to them, deletions do not subtract) and read again from the store when
// an upload would cross the limit by them, or when they are a minute old (another server
// process may have added to the class).
class ClassScoreLimit
{
public:
    static constexpr int kMaxScoresPerClass = 100000;

    void setLimit(int limit) { m_limit = limit; }
    int limit() const { return m_limit; }

    // Fails, naming the first class the scores would take over the limit, unless all fit.
    Result checkRoom(Store &store, qint64 teacher, const QList<ScoreRecord> &scores, qint64 now);
    // Counts scores just stored.
    void added(qint64 teacher, const QList<ScoreRecord> &scores);

private:
    struct Counts
    {
        qint64 readAt = 0;
        QHash<QString, qint64> perClass;
    };
    void read(Store &store, qint64 teacher, qint64 now);

    int m_limit = kMaxScoresPerClass;
    std::mutex m_mutex;
    QHash<qint64, Counts> m_counts; // teacher -> counts
};

} // namespace corvanta::server
