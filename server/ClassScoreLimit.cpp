#include "ClassScoreLimit.h"

namespace corvanta::server {

namespace {

QHash<QString, qint64> perClass(const QList<ScoreRecord> &scores)
{
    QHash<QString, qint64> counts;
    for (const ScoreRecord &score : scores)
        ++counts[score.className];
    return counts;
}

} // namespace

void ClassScoreLimit::read(Store &store, qint64 teacher, qint64 now)
{
    // Read outside the lock: other teachers' uploads go on meanwhile.
    Counts fresh;
    fresh.readAt = now;
    for (const ClassSummary &summary : store.classSummaries(teacher))
        fresh.perClass.insert(summary.name, summary.scores);
    const std::lock_guard lock(m_mutex);
    if (m_counts.size() > 4096)
        m_counts.clear();
    m_counts.insert(teacher, fresh);
}

Result ClassScoreLimit::checkRoom(Store &store, qint64 teacher, const QList<ScoreRecord> &scores, qint64 now)
{
    const QHash<QString, qint64> adding = perClass(scores);
    const auto firstOver = [&]() -> QString {
        const std::lock_guard lock(m_mutex);
        const Counts &counts = m_counts[teacher];
        for (auto it = adding.cbegin(); it != adding.cend(); ++it) {
            if (counts.perClass.value(it.key()) + it.value() > m_limit)
                return it.key();
        }
        return {};
    };
    bool fresh = false;
    {
        const std::lock_guard lock(m_mutex);
        const auto known = m_counts.constFind(teacher);
        fresh = known == m_counts.cend() || now - known->readAt >= 60;
    }
    if (fresh)
        read(store, teacher, now);
    QString over = firstOver();
    if (!over.isEmpty() && !fresh) {
        read(store, teacher, now);
        over = firstOver();
    }
    if (over.isEmpty())
        return Result::success();
    return Result::failure(
        QStringLiteral("班级的计分太多：%1 最多 %2 条，请先删除旧的计分！").arg(over).arg(m_limit));
}

void ClassScoreLimit::added(qint64 teacher, const QList<ScoreRecord> &scores)
{
    const QHash<QString, qint64> adding = perClass(scores);
    const std::lock_guard lock(m_mutex);
    const auto known = m_counts.find(teacher);
    if (known == m_counts.end())
        return;
    for (auto it = adding.cbegin(); it != adding.cend(); ++it)
        known->perClass[it.key()] += it.value();
}

} // namespace corvanta::server
