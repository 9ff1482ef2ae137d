#include "Pages.h"
#include "Routes.h"

#include "core/TextCodec.h"
#include "net/FieldLimits.h"
#include "net/OutgoingText.h"
#include "net/ScoreLine.h"
#include "net/ScoreRequests.h"
#include "net/Wire.h"

#include <QSet>

#include <algorithm>

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

namespace {

// The score and the time of an upload line, into s: a score text that starts with a number
// (and only a number), a time in the years a score can have.
Result checkScoreValues(const ScoreLine &line, qsizetype lineNo, ScoreRecord *s)
{
    const std::optional<double> score = scoreTextNumber(line.score);
    if (!score || !isSaneScore(*score))
        return Result::failure(QStringLiteral("第%1行分数不正确：").arg(lineNo) + line.score);
    s->score = *score;
    if (s->time == 0)
        return Result::failure(QStringLiteral("第%1行时间不正确：").arg(lineNo) + line.time);
    if (!isScoreTimeInRange(s->time))
        return Result::failure(QStringLiteral("第%1行时间不正确：").arg(lineNo) + line.time + QString::fromUtf16(kScoreYearsNote));
    return Result::success();
}

} // namespace

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
    s.time = DateTextToSeconds(parsed->time);
    s.note = parsed->standard;
    if (Result length = checkLength(QStringLiteral("第%1行说明").arg(lineNo), s.note, limits::kNoteChars); !length)
        return length;
    if (Result values = checkScoreValues(*parsed, lineNo, &s); !values)
        return values;
    return std::optional(s);
}

namespace {

using score_pages::RefusedLine;
namespace partial_upload = score_pages::partial_upload;

QString unknownName(const ScoreRecord &score, bool unknownClass)
{
    if (unknownClass)
        return QStringLiteral("班级不存在：") + score.className;
    return QStringLiteral("学生不存在：") + score.className + QStringLiteral(" ") + score.student;
}

} // namespace

PageReply upload(const PageContext &call)
{
    const QString topic = call.field(field::kKeti);
    if (Result filled = outgoing::checkFilled(topic, QStringLiteral("课题")); !filled)
        return refused(filled.error());
    if (Result length = checkLength(QStringLiteral("课题"), topic, limits::kNameChars); !length)
        return refused(length.error());
    if (!isStorableText(topic))
        return refused(QStringLiteral("课题含有不允许的字符！"));

    // A tool that reads the answer line by line has the lines stored that can be; older
    // tools get all or nothing, as they always did.
    const bool partial = !call.field(field::kPartial).isEmpty();
    QList<RefusedLine> refusedLines;
    QList<ScoreRecord> scores;
    QList<int> lineOf; // of each score, its line number in the upload
    const QStringList lines = splitList(call.field(field::kScore));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        Expected<std::optional<ScoreRecord>> score = parseUploadLine(lines[i], i + 1);
        if (!score && partial) {
            refusedLines.append({int(i + 1), score.error()});
            continue;
        }
        if (!score)
            return refused(score.error());
        if (!score.value())
            continue; // a blank line
        score.value()->topic = topic;
        scores.append(*score.value());
        lineOf.append(int(i + 1));
    }
    if (scores.isEmpty() && refusedLines.isEmpty())
        return refused(QStringLiteral("没有要上传的计分！"));
    if (!scores.isEmpty()) {
        // Refused whole before anything is written: a disk that fills in the middle of a write
        // would fail it anyway, and the server would have no room left for anything else.
        if (const std::optional<qint64> free = call.store().freeDiskBytes();
            free && *free < call.service.limits().minFreeDiskBytes)
            return refused(QStringLiteral("服务器的磁盘快满了，计分未上传（仍保存在本机）。请告诉管理员！"));
        ClassScoreLimit &limit = call.service.scoreLimit();
        if (Result room = limit.checkRoom(call.store(), call.teacher.id, scores, call.service.now()); !room)
            return refused(room.error());
        const AddScoresResult result =
            call.store().addScores(call.teacher.id, scores, call.service.now(),
                                   partial ? UnknownNames::Skip : UnknownNames::RefuseAll);
        if (result.result != StoreResult::Done)
            return refused(unknownName(scores[result.failedIndex], result.unknownClass));
        for (const SkippedScore &skipped : result.skipped)
            refusedLines.append(
                {lineOf[skipped.index], unknownName(scores[skipped.index], skipped.unknownClass)});
        limit.added(call.teacher.id, scores);
    }
    if (refusedLines.isEmpty())
        return accepted();
    std::sort(refusedLines.begin(), refusedLines.end(),
              [](const RefusedLine &a, const RefusedLine &b) { return a.line < b.line; });
    return PageReply::text(partial_upload::reply(refusedLines), QStringLiteral("partial"));
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
        {page::kUpload, &upload, kWaitsForDisk},
        {page::kGroup, &group},
    };
}

} // namespace corvanta::server::scores
