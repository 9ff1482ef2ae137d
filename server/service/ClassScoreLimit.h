#pragma once

#include "Store.h"

#include "core/Result.h"

#include <QHash>
#include <QString>

#include <mutex>

namespace corvanta::server {

// At most so many scores in one class: a class read whole (the console's score list, the
// class pages) stays within what the tool and the server carry in a moment. And at most so
// many scores, and so many characters of notes, in one account: one account cannot fill the
// server's disk. Counting on every upload would cost a query each, so the counts are kept
// here as an upper bound (uploads add to them, deletions do not subtract) and read again from
// the store when an upload would cross a limit by them, or when they are a minute old
// (another server process may have added to them).
class ClassScoreLimit
{
public:
    static constexpr int kMaxScoresPerClass = 100000;

    void setLimit(int limit) { m_limit = limit; }
    int limit() const { return m_limit; }
    struct AccountLimits
    {
        qint64 scores = 2000000;
        qint64 noteChars = 50000000;
    };
    void setAccountLimits(const AccountLimits &limits) { m_account = limits; }

    // Fails, naming the first class the scores would take over the limit, unless all fit.
    Result checkRoom(Store &store, qint64 teacher, const QList<ScoreRecord> &scores, qint64 now);
    // Counts scores just stored.
    void added(qint64 teacher, const QList<ScoreRecord> &scores);

private:
    struct Counts
    {
        qint64 readAt = 0;
        QHash<QString, qint64> perClass;
        qint64 scores = 0; // of all classes
        qint64 noteChars = 0;
    };
    void read(Store &store, qint64 teacher, qint64 now);
    // What the scores would cross, said to the teacher; empty when they fit.
    QString overLimit(qint64 teacher, const QList<ScoreRecord> &scores);

    int m_limit = kMaxScoresPerClass;
    AccountLimits m_account;
    std::mutex m_mutex;
    QHash<qint64, Counts> m_counts; // teacher -> counts
};

} // namespace corvanta::server
