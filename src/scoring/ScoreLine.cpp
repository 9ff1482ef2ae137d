#include "ScoreLine.h"

#include "core/TextCodec.h"

namespace corvanta {

namespace {
const QChar kTab = u'\t';
}

QString ScoreLine::text() const
{
    return QStringList{className, student, score, time, standard}.join(kTab);
}

std::optional<ScoreLine> ScoreLine::parse(const QString &line)
{
    const QStringList fields = line.split(kTab);
    if (fields.size() < 5)
        return std::nullopt;
    ScoreLine score;
    score.className = fields[0];
    score.student = fields[1];
    score.score = fields[2];
    score.time = fields[3];
    score.standard = fields.mid(4).join(kTab);
    return score;
}

QString scoreTimeText(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

bool standardGiven(const QString &standardsLine)
{
    return standardsLine.contains(QStringLiteral("分]√\t"));
}

std::optional<StandardScore> scoreFromStandardLine(const QString &standardsLine)
{
    const qsizetype tab = standardsLine.indexOf(kTab);
    if (tab < 0 || standardGiven(standardsLine))
        return std::nullopt;

    const QString head = standardsLine.left(tab);
    QString number = head;
    number.remove(u'[');

    StandardScore given;
    given.score = shortestDecimal(leadingNumber(number)) + QStringLiteral("分");
    given.standard = standardsLine.section(kTab, 1, 1);
    // Only the score field carries the mark: a "]" inside the standard text stays as written.
    QString markedHead = head;
    markedHead.replace(u']', QStringLiteral("]√"));
    given.markedLine = markedHead + standardsLine.mid(tab);
    return given;
}

} // namespace corvanta
