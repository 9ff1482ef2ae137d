#include "Pages.h"
#include "Routes.h"

#include "core/TextCodec.h"
#include "net/FieldLimits.h"
#include "net/ScoreLine.h"
#include "net/Wire.h"

#include <QSet>

namespace corvanta::server::scores {

PageReply record(const PageContext &call)
{
    PageReply reply;
    reply.contentType = "text/plain; charset=GBK";
    reply.body = call.service.recordFile(call.teacher);
    return reply;
}

PageReply serverTime(const PageContext &call)
{
    return PageReply::text(QString::number(call.service.now()));
}

Expected<std::optional<ScoreRecord>> parseUploadLine(QString line, qsizetype lineNo)
{
    while (line.endsWith(u'\r') || line.endsWith(u'\n'))
        line.chop(1);
    if (line.isEmpty())
        return std::optional<ScoreRecord>();
    // The tool keeps a line pending only when the same rule takes it.
    const std::optional<ScoreLine> parsed = ScoreLine::parse(line);
    if (!parsed)
        return Result::failure(QStringLiteral("第%1行格式不正确：").arg(lineNo) + line);
    ScoreRecord s;
    s.className = parsed->className;
    s.student = parsed->student;
    s.score = leadingNumber(parsed->score);
    s.time = DateTextToSeconds(parsed->time);
    s.note = parsed->standard;
    if (Result length = checkLength(QStringLiteral("第%1行说明").arg(lineNo), s.note, limits::kNoteChars); !length)
        return length;
    if (!isSaneScore(s.score))
        return Result::failure(QStringLiteral("第%1行分数不正确：").arg(lineNo) + parsed->score);
    if (s.time == 0)
        return Result::failure(QStringLiteral("第%1行时间不正确：").arg(lineNo) + parsed->time);
    return std::optional(s);
}

PageReply upload(const PageContext &call)
{
    const QString topic = call.field(field::kKeti);
    if (Result length = checkLength(QStringLiteral("课题"), topic, limits::kNameChars); !length)
        return refused(length.error());
    if (!isStorableText(topic))
        return refused(QStringLiteral("课题含有不允许的字符！"));

    QList<ScoreRecord> scores;
    const QStringList lines = splitList(call.field(field::kScore));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        Expected<std::optional<ScoreRecord>> score = parseUploadLine(lines[i], i + 1);
        if (!score)
            return refused(score.error());
        if (!score.value())
            continue; // a blank line
        score.value()->topic = topic;
        scores.append(*score.value());
    }
    if (scores.isEmpty())
        return refused(QStringLiteral("没有要上传的计分！"));
    // Refused whole before anything is written: a disk that fills in the middle of a write
    // would fail it anyway, and the server would have no room left for anything else.
    if (const std::optional<qint64> free = call.store().freeDiskBytes();
        free && *free < call.service.limits().minFreeDiskBytes)
        return refused(QStringLiteral("服务器的磁盘快满了，计分未上传（仍保存在本机）。请告诉管理员！"));
    ClassScoreLimit &limit = call.service.scoreLimit();
    if (Result room = limit.checkRoom(call.store(), call.teacher.id, scores, call.service.now()); !room)
        return refused(room.error());
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

PageReply group(const PageContext &call)
{
    const QString className = call.field(field::kClass);
    const auto students = call.store().students(call.teacher.id, className);
    if (!students)
        return refused(QStringLiteral("班级不存在：") + className);
    QSet<QString> known;
    for (const auto &s : *students)
        known.insert(s.first);
    QList<QPair<QString, int>> groups;
    for (int g = 0; g < field::kGroupFields; ++g) {
        for (const QString &name : splitList(call.request.fields.value(field::group(g)))) {
            if (!known.contains(name))
                return refused(QStringLiteral("学生不在本班：") + name);
            groups.append({name, g});
        }
    }
    if (call.store().setGroups(call.teacher.id, className, groups) != StoreResult::Done)
        return refused(QStringLiteral("班级不存在：") + className);
    return accepted();
}

QList<Route> routes()
{
    return {
        {page::kRecord, &record},
        {page::kServerTime, &serverTime},
        {page::kUpload, &upload},
        {page::kGroup, &group},
    };
}

} // namespace corvanta::server::scores
