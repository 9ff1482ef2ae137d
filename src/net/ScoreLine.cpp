#include "ScoreLine.h"

#include <QStringList>

namespace corvanta {

namespace {

const QChar kTab = u'\t';

bool plainField(const QString &field)
{
    for (const QChar c : field) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == u'|' || c == QChar::ReplacementCharacter)
            return false;
    }
    return true;
}

} // namespace

QString ScoreLine::text() const
{
    QStringList fields{className, student, score, time};
    if (!standardCut || !standard.isEmpty())
        fields.append(standard);
    return fields.join(kTab);
}

std::optional<ScoreLine> ScoreLine::parse(QString line)
{
    while (line.endsWith(u'\r') || line.endsWith(u'\n'))
        line.chop(1);
    QStringList fields = line.split(kTab);
    const bool cut = fields.size() == 4;
    if (cut)
        fields.append(QString());
    if (fields.size() != 5)
        return std::nullopt;
    for (const QString &field : fields) {
        if (!plainField(field))
            return std::nullopt;
    }
    return ScoreLine{.className = fields[0],
                     .student = fields[1],
                     .score = fields[2],
                     .time = fields[3],
                     .standard = fields[4],
                     .standardCut = cut};
}

QStringList scoreTexts(const QList<ScoreLine> &scores)
{
    QStringList texts;
    texts.reserve(scores.size());
    for (const ScoreLine &score : scores)
        texts.append(score.text());
    return texts;
}

bool isValidScoreLine(const QString &line)
{
    return ScoreLine::parse(line).has_value();
}

QString scoreTimeText(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace corvanta
