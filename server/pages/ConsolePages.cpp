#include "Pages.h"
#include "Routes.h"

#include "core/TextCodec.h"
#include "net/FieldLimits.h"
#include "net/OutgoingText.h"
#include "net/ScoreLine.h"
#include "net/Wire.h"

#include <QSet>

namespace corvanta::server::console {

namespace {

enum ListKind { Classes, Students, Topics };

// Names of a list field: pieces in order, the first of equal names kept.
QStringList uniqueNames(const QString &value)
{
    QStringList out;
    QSet<QString> seen;
    for (const QString &name : splitList(value)) {
        if (!seen.contains(name)) {
            seen.insert(name);
            out.append(name);
        }
    }
    return out;
}

// The reading pages answer one record a line.
PageReply lines(const QStringList &lines)
{
    return PageReply::text(lines.join(QStringLiteral("\r\n")));
}

QString scoreLine(const ScoreRecord &r)
{
    const QString tab = QStringLiteral("\t");
    return QString::number(r.id) + tab + r.student + tab + shortestDecimal(r.score) + tab +
           SecondsToDateText(r.time) + tab + r.topic + tab + r.note;
}

// A scale text becomes one field of a "|"-separated list in the record file, so "|" would
// break every later upload naming it.
Result checkScaleText(const QString &text)
{
    if (Result filled = outgoing::checkFilled(text, QStringLiteral("评分标准")); !filled)
        return filled;
    if (Result length = checkLength(QStringLiteral("评分标准"), text, limits::kScaleTextChars); !length)
        return length;
    if (!isStorableName(text))
        return Result::failure(QStringLiteral("评分标准含有不允许的字符：") + text);
    return Result::success();
}

// A name of a list: one the tool can read back from the class record file.
Result checkName(const QString &name)
{
    if (Result length = checkLength(QStringLiteral("名称"), name, limits::kNameChars); !length)
        return length;
    if (!isStorableName(name))
        return Result::failure(QStringLiteral("名称含有不允许的字符：") + name);
    return Result::success();
}

PageReply deleteIds(const PageContext &call, void (Store::*remove)(qint64, const QList<qint64> &))
{
    QList<qint64> ids;
    if (!splitIds(call.field(field::kDelId), &ids))
        return refused(QStringLiteral("记录编号不正确！"));
    if (!ids.isEmpty())
        (call.store().*remove)(call.teacher.id, ids);
    return accepted();
}

PageReply listReplace(const PageContext &call, const char *listField, ListKind kind)
{
    // A class list or topic list names each once however often it came; a student named
    // twice, or by blanks, is more likely a typing slip the teacher should see.
    if (kind == Students) {
        if (Result check = outgoing::checkStudentList(splitList(call.field(listField))); !check)
            return refused(check.error());
    }
    const QStringList names = uniqueNames(call.field(listField));
    const int most = kind == Classes  ? call.service.limits().classes
                     : kind == Topics ? kMaxTopics
                                      : kMaxStudentsPerClass;
    if (names.size() > most)
        return refused(QStringLiteral("名单太长：最多 %1 项，收到 %2 项！").arg(QString::number(most),
                                                                              QString::number(names.size())));
    for (const QString &name : names) {
        if (Result check = checkName(name); !check)
            return refused(check.error());
    }
    const qint64 teacher = call.teacher.id;
    if (kind == Classes) {
        call.store().replaceClasses(teacher, names);
    } else if (kind == Topics) {
        call.store().replaceTopics(teacher, names);
    } else {
        const QString className = call.field(field::kClass);
        if (call.store().replaceStudents(teacher, className, names) != StoreResult::Done)
            return refused(QStringLiteral("班级不存在：") + className);
    }
    return accepted();
}

PageReply rename(const PageContext &call, const char *oldField, const char *newField, ListKind kind)
{
    const QString from = call.field(oldField);
    const QString to = call.field(newField);
    if (to.isEmpty())
        return refused(QStringLiteral("新名称不能为空！"));
    if (Result check = checkName(to); !check)
        return refused(check.error());
    const qint64 teacher = call.teacher.id;
    StoreResult result = StoreResult::NotFound;
    QString notFound;
    if (kind == Classes) {
        result = call.store().renameClass(teacher, from, to);
        notFound = QStringLiteral("班级不存在：") + from;
    } else if (kind == Topics) {
        result = call.store().renameTopic(teacher, from, to);
        notFound = QStringLiteral("课题不存在：") + from;
    } else {
        const QString className = call.field(field::kClass);
        result = call.store().renameStudent(teacher, className, from, to);
        notFound = QStringLiteral("学生不存在：") + className + QStringLiteral(" ") + from;
    }
    switch (result) {
    case StoreResult::Done:
        return accepted();
    case StoreResult::NameTaken:
        return refused(QStringLiteral("名称已被使用：") + to);
    default:
        return refused(notFound);
    }
}

} // namespace

// --- teacher ---

PageReply getTeacher(const PageContext &call)
{
    const Teacher &t = call.teacher;
    return PageReply::text(t.name + QStringLiteral("\r\n") + t.account + QStringLiteral("\r\n") + t.email);
}

PageReply setTeacher(const PageContext &call)
{
    const QString email = call.field(field::kEmail).trimmed();
    if (!isValidEmail(email))
        return refused(QStringLiteral("Email地址不正确！"));
    const QString newLogin = call.field(field::kNewLogPassword).trimmed();
    const QString newOperation = call.field(field::kNewSuperPassword).trimmed();
    call.store().updateTeacher(
        call.teacher.id, email, call.service.newLoginVerifier(call.teacher, newLogin),
        newOperation.isEmpty() ? std::nullopt : std::optional(hashOperationPassword(newOperation)));
    return accepted();
}

// --- classes, students, topics ---

PageReply setClass(const PageContext &call)
{
    return listReplace(call, field::kClass, Classes);
}

PageReply renameClass(const PageContext &call)
{
    return rename(call, field::kOldClassName, field::kNewClassName, Classes);
}

PageReply student(const PageContext &call)
{
    return listReplace(call, field::kStudent, Students);
}

PageReply renameStudent(const PageContext &call)
{
    return rename(call, field::kOldStuName, field::kNewStuName, Students);
}

PageReply setKeti(const PageContext &call)
{
    return listReplace(call, field::kKeti, Topics);
}

PageReply renameKeti(const PageContext &call)
{
    return rename(call, field::kOldKeti, field::kNewKeti, Topics);
}

// --- scales ---

PageReply getScale(const PageContext &call)
{
    QStringList out;
    if (const auto scales = call.store().scales(call.teacher.id, call.field(field::kKeti))) {
        for (const Scale &s : *scales)
            out.append(QString::number(s.id) + u'\t' + s.text + u'\t' + shortestDecimal(s.score));
    }
    return lines(out);
}

PageReply newScale(const PageContext &call)
{
    const QStringList texts = call.field(field::kNewScale).split(u'\t');
    const QStringList scores = call.field(field::kNewScore).split(u'\t');
    QList<Scale> scales;
    for (qsizetype i = 0; i < qMax(texts.size(), scores.size()); ++i) {
        const QString text = i < texts.size() ? texts[i] : QString();
        const QString score = i < scores.size() ? scores[i] : QString();
        if (text.trimmed().isEmpty() && score.trimmed().isEmpty())
            continue;
        if (Result check = checkScaleText(text); !check)
            return refused(check.error());
        if (!isSaneScore(leadingNumber(score)))
            return refused(QStringLiteral("评分不正确：") + score);
        scales.append({0, text, leadingNumber(score)});
    }
    if (scales.isEmpty())
        return refused(QStringLiteral("至少填写一个标准或评分！"));
    const QString topic = call.field(field::kKeti);
    const auto existing = call.store().scales(call.teacher.id, topic);
    if (existing && existing->size() + scales.size() > kMaxScalesPerTopic)
        return refused(QStringLiteral("一个课题最多 %1 条评分标准！").arg(kMaxScalesPerTopic));
    if (call.store().addScales(call.teacher.id, topic, scales) != StoreResult::Done)
        return refused(QStringLiteral("课题不存在：") + topic);
    return accepted();
}

PageReply editScale(const PageContext &call)
{
    bool ok = false;
    const qint64 id = call.field(field::kScaleId).trimmed().toLongLong(&ok);
    const QString text = call.field(field::kScale);
    if (Result check = checkScaleText(text); !check)
        return refused(check.error());
    const double score = leadingNumber(call.field(field::kScore));
    if (!isSaneScore(score))
        return refused(QStringLiteral("评分不正确：") + call.field(field::kScore));
    if (!ok || call.store().editScale(call.teacher.id, id, text, score) != StoreResult::Done)
        return refused(QStringLiteral("评分标准不存在！"));
    return accepted();
}

PageReply delScale(const PageContext &call)
{
    return deleteIds(call, &Store::deleteScales);
}

// --- score records ---

PageReply getScore(const PageContext &call)
{
    QStringList out;
    if (const auto records = call.store().scoresOfClass(call.teacher.id, call.field(field::kClass))) {
        for (const ScoreRecord &r : *records)
            out.append(scoreLine(r));
    }
    return lines(out);
}

PageReply editScore(const PageContext &call)
{
    ScoreRecord record;
    bool ok = false;
    record.id = call.field(field::kScoreId).trimmed().toLongLong(&ok);
    if (!ok)
        return refused(QStringLiteral("计分记录不存在！"));
    const std::optional<double> score = scoreTextNumber(call.field(field::kScore));
    if (!score || !isSaneScore(*score))
        return refused(QStringLiteral("分数不正确：") + call.field(field::kScore));
    record.score = *score;
    record.time = call.field(field::kTime).trimmed().toLongLong(&ok);
    // Time 0 is what the tool sends for a text that is not a date.
    if (!ok || record.time <= 0)
        return refused(QStringLiteral("时间不正确！"));
    if (!isScoreTimeInRange(record.time))
        return refused(QStringLiteral("时间不正确：") + SecondsToDateText(record.time) + QString::fromUtf16(kScoreYearsNote));
    record.topic = call.field(field::kKeti);
    record.note = call.field(field::kNote);
    for (const Result &length : {checkLength(QStringLiteral("课题"), record.topic, limits::kNameChars),
                                 checkLength(QStringLiteral("说明"), record.note, limits::kNoteChars)}) {
        if (!length)
            return refused(length.error());
    }
    if (!isStorableText(record.topic) || !isStorableText(record.note))
        return refused(QStringLiteral("课题或说明含有不允许的字符！"));
    switch (call.store().editScore(call.teacher.id, record)) {
    case StoreResult::Done:
        return accepted();
    case StoreResult::Duplicate:
        return refused(QStringLiteral("与已有的计分记录相同！"));
    default:
        return refused(QStringLiteral("计分记录不存在！"));
    }
}

PageReply delScore(const PageContext &call)
{
    return deleteIds(call, &Store::deleteScores);
}

QList<Route> routes()
{
    return {
        {page::kGetTeacher, &getTeacher},
        {page::kSetTeacher, &setTeacher},
        {page::kSetClass, &setClass},
        {page::kRenameClass, &renameClass},
        {page::kStudent, &student},
        {page::kRenameStudent, &renameStudent},
        {page::kSetKeti, &setKeti},
        {page::kRenameKeti, &renameKeti},
        {page::kGetScale, &getScale},
        {page::kNewScale, &newScale},
        {page::kEditScale, &editScale},
        {page::kDelScale, &delScale},
        {page::kGetScore, &getScore, kHeavy},
        {page::kEditScore, &editScore},
        {page::kDelScore, &delScore},
    };
}

} // namespace corvanta::server::console
