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

qint64 noteCharsOf(const QList<ScoreRecord> &scores)
{
    qint64 chars = 0;
    for (const ScoreRecord &score : scores)
        chars += score.note.size();
    return chars;
}

} // namespace

void ClassScoreLimit::read(Store &store, qint64 teacher, qint64 now)
{
    // Read outside the lock: other teachers' uploads go on meanwhile.
    Counts fresh;
    fresh.readAt = now;
    for (const ClassSummary &summary : store.classSummaries(teacher)) {
        fresh.perClass.insert(summary.name, summary.scores);
        fresh.scores += summary.scores;
    }
    fresh.noteChars = store.noteChars(teacher);
    const std::lock_guard lock(m_mutex);
    if (m_counts.size() > 4096)
        m_counts.clear();
    m_counts.insert(teacher, fresh);
}

QString ClassScoreLimit::overLimit(qint64 teacher, const QList<ScoreRecord> &scores)
{
    const QHash<QString, qint64> adding = perClass(scores);
    const std::lock_guard lock(m_mutex);
    const Counts &counts = m_counts[teacher];
    for (auto it = adding.cbegin(); it != adding.cend(); ++it) {
        if (counts.perClass.value(it.key()) + it.value() > m_limit)
            return QStringLiteral("班级的计分太多：%1 最多 %2 条，请先删除旧的计分！")
                .arg(it.key())
                .arg(m_limit);
    }
    if (counts.scores + scores.size() > m_account.scores)
        return QStringLiteral(
                   "帐号的计分太多：服务器规定每个帐号最多 %1 条计分，请先删除旧的计分或联系管理员！")
            .arg(m_account.scores);
    if (counts.noteChars + noteCharsOf(scores) > m_account.noteChars)
        return QStringLiteral(
                   "帐号的计分说明太多：服务器规定每个帐号的说明共最多 %1 字，请先删除旧的计分或联系管理员！")
            .arg(m_account.noteChars);
    return {};
}

Result ClassScoreLimit::checkRoom(Store &store, qint64 teacher, const QList<ScoreRecord> &scores, qint64 now)
{
    bool fresh = false;
    {
        const std::lock_guard lock(m_mutex);
        const auto known = m_counts.constFind(teacher);
        fresh = known == m_counts.cend() || now - known->readAt >= 60;
    }
    if (fresh)
        read(store, teacher, now);
    QString over = overLimit(teacher, scores);
    if (!over.isEmpty() && !fresh) {
        read(store, teacher, now);
        over = overLimit(teacher, scores);
    }
    if (over.isEmpty())
        return Result::success();
    return Result::failure(over);
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
    known->scores += scores.size();
    known->noteChars += noteCharsOf(scores);
}

} // namespace corvanta::server
