#include "ScoreCorrection.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

namespace corvanta {

namespace {

// A TAB or a line break would split the line; any other control character or a "|" (which
// joins the lines of an upload) would make the server refuse the whole upload.
bool breaksLine(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == u'|')
            return true;
    }
    return false;
}

bool isScoreText(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^[+-]?[0-9]+(\.[0-9]+)?分$)"));
    return pattern.match(text).hasMatch();
}

bool isTimeText(const QString &text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^([0-9]{4})-([0-9]{2})-([0-9]{2}) ([0-9]{2}):([0-9]{2}):([0-9]{2})$)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return false;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    return date.isValid() && time.isValid();
}

ScoreCorrection refused(const QString &message)
{
    return ScoreCorrection::failure(message);
}

} // namespace

Result checkScoreText(const QString &text)
{
    if (!isScoreText(text))
        return Result::failure(QStringLiteral("计分格式不正确，应为数字后加“分”，例如“4分”或“4.5分”！"));
    return Result::success();
}

QString scoreBoxText(const QString &typed)
{
    static const QRegularExpression number(QStringLiteral(R"(^[+-]?[0-9]+(\.[0-9]+)?$)"));
    const QString trimmed = typed.trimmed();
    return number.match(trimmed).hasMatch() ? trimmed + QStringLiteral("分") : typed;
}

bool correctable(const ScoreLine &pending)
{
    return !pending.standardCut;
}

ScoreCorrection correctScoreLine(const ScoreLine &boxes)
{
    const struct
    {
        const QString &text;
        const char16_t *label;
    } fields[] = {{boxes.className, u"班级"},
                  {boxes.student, u"姓名"},
                  {boxes.score, u"计分"},
                  {boxes.time, u"时间"},
                  {boxes.standard, u"标准"}};
    for (const auto &field : fields) {
        if (breaksLine(field.text))
            return refused(QString::fromUtf16(field.label) +
                           QStringLiteral("中不能含有制表符、换行或“|”，请修改后再确定！"));
    }
    if (const Result score = checkScoreText(boxes.score); !score)
        return refused(score.error());
    if (!isTimeText(boxes.time))
        return refused(
            QStringLiteral("时间格式不正确，应为“年-月-日 时:分:秒”，例如“2026-03-05 09:07:02”！"));
    ScoreLine corrected = boxes;
    corrected.standardCut = false;
    return corrected;
}

} // namespace corvanta
