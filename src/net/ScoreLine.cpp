#include "ScoreLine.h"

#include "Wire.h"

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

std::optional<double> scoreTextNumber(QStringView text)
{
    const auto digit = [&](qsizetype i) { return i < text.size() && text[i] >= u'0' && text[i] <= u'9'; };
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        ++i;
    const qsizetype whole = i;
    while (digit(i))
        ++i;
    bool digits = i > whole;
    if (i < text.size() && text[i] == u'.' && digit(i + 1)) {
        i += 1;
        while (digit(i))
            ++i;
        digits = true;
    }
    if (!digits)
        return std::nullopt;
    if (i < text.size()) {
        const char16_t next = text[i].unicode();
        if (next == u'.' || next == u'_' || (next < 0x80 && QChar::isLetter(next)))
            return std::nullopt;
    }
    bool ok = false;
    const double value = text.sliced(start, i - start).toDouble(&ok);
    return ok ? std::optional(value) : std::nullopt;
}

bool isScoreTimeInRange(qint64 seconds)
{
    static const qint64 first = DateTextToSeconds(QStringLiteral("2000-01-01 00:00:00"));
    static const qint64 last = DateTextToSeconds(QStringLiteral("2099-12-31 23:59:59"));
    return seconds >= first && seconds <= last;
}

} // namespace corvanta
