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
    return QStringList{className, student, score, time, standard}.join(kTab);
}

std::optional<ScoreLine> ScoreLine::parse(QString line)
{
    while (line.endsWith(u'\r') || line.endsWith(u'\n'))
        line.chop(1);
    QStringList fields = line.split(kTab);
    if (fields.size() == 4)
        fields.append(QString());
    if (fields.size() != 5)
        return std::nullopt;
    for (const QString &field : fields) {
        if (!plainField(field))
            return std::nullopt;
    }
    return ScoreLine{fields[0], fields[1], fields[2], fields[3], fields[4]};
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
