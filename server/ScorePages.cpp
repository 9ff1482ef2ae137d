#include "Pages.h"

#include "core/TextCodec.h"
#include "net/FieldLimits.h"
#include "net/ScoreLine.h"
#include "net/Wire.h"

#include <QSet>

namespace corvanta::server::scores {

PageReply record(const PageCall &call)
{
    PageReply reply;
    reply.contentType = "text/plain; charset=GBK";
    reply.body = call.service.recordFile(call.teacher);
    return reply;
}

PageReply serverTime(const PageCall &call)
{
    return PageReply::text(QString::number(call.service.now()));
}

std::optional<ScoreRecord> parseUploadLine(QString line, qsizetype lineNo, QString *refusal)
{
    while (line.endsWith(u'\r') || line.endsWith(u'\n'))
        line.chop(1);
    if (line.isEmpty())
        return std::nullopt;
    // The tool keeps a line pending only when the same rule takes it.
    const std::optional<ScoreLine> parsed = ScoreLine::parse(line);
    if (!parsed) {
        *refusal = QStringLiteral("第%1行格式不正确：").arg(lineNo) + line;
        return std::nullopt;
    }
    ScoreRecord s;
    s.className = parsed->className;
    s.student = parsed->student;
    s.score = leadingNumber(parsed->score);
    s.time = DateTextToSeconds(parsed->time);
    s.note = parsed->standard;
    if (const QString tooLong = lengthRefusal(QStringLiteral("第%1行说明").arg(lineNo), s.note, limits::kNoteChars);
        !tooLong.isEmpty()) {
        *refusal = tooLong;
        return std::nullopt;
    }
    if (!isSaneScore(s.score)) {
        *refusal = QStringLiteral("第%1行分数不正确：").arg(lineNo) + parsed->score;
        return std::nullopt;
    }
    if (s.time == 0) {
        *refusal = QStringLiteral("第%1行时间不正确：").arg(lineNo) + parsed->time;
        return std::nullopt;
    }
    return s;
}

PageReply upload(const PageCall &call)
{
    const QString topic = call.field("keti");
    if (const QString tooLong = lengthRefusal(QStringLiteral("课题"), topic, limits::kNameChars); !tooLong.isEmpty())
        return refused(tooLong);
    if (!isStorableText(topic))
        return refused(QStringLiteral("课题含有不允许的字符！"));

    QList<ScoreRecord> scores;
    const QStringList lines = splitList(call.field("score"));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString refusal;
        std::optional<ScoreRecord> score = parseUploadLine(lines[i], i + 1, &refusal);
        if (!score && refusal.isEmpty())
            continue; // a blank line
        if (!score)
            return refused(refusal);
        score->topic = topic;
        scores.append(*score);
    }
    if (scores.isEmpty())
        return refused(QStringLiteral("没有要上传的计分！"));
    ClassScoreLimit &limit = call.service.scoreLimit();
    const QString full = limit.overfull(call.store(), call.teacher.id, scores, call.service.now());
    if (!full.isEmpty())
        return refused(
            QStringLiteral("班级的计分太多：%1 最多 %2 条，请先删除旧的计分！").arg(full).arg(limit.limit()));
    const AddScoresResult result = call.store().addScores(call.teacher.id, scores, call.service.now());
    if (result.result != StoreResult::Done) {
        const ScoreRecord &bad = scores[result.failedIndex];
        if (result.unknownClass)
            return refused(QStringLiteral("班级不存在：") + bad.className);
        return refused(QStringLiteral("学生不存在：") + bad.className + QStringLiteral(" ") + bad.student);
    }
    limit.added(call.teacher.id, scores);
    return accepted();
}

PageReply group(const PageCall &call)
{
    const QString className = call.field("class");
    const auto students = call.store().students(call.teacher.id, className);
    if (!students)
        return refused(QStringLiteral("班级不存在：") + className);
    QSet<QString> known;
    for (const auto &s : *students)
        known.insert(s.first);
    QList<QPair<QString, int>> groups;
    for (int g = 0; g < 16; ++g) {
        for (const QString &name : splitList(call.request.fields.value(QStringLiteral("group[%1]").arg(g)))) {
            if (!known.contains(name))
                return refused(QStringLiteral("学生不在本班：") + name);
            groups.append({name, g});
        }
    }
    if (call.store().setGroups(call.teacher.id, className, groups) != StoreResult::Done)
        return refused(QStringLiteral("班级不存在：") + className);
    return accepted();
}

} // namespace corvanta::server::scores
