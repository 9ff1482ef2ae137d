#include "Wire.h"

#include "core/TextCodec.h"

#include <QCryptographicHash>
#include <QDateTime>

namespace corvanta {

namespace {

void appendEscaped(QString &out, unsigned char byte)
{
    static const char hex[] = "0123456789ABCDEF";
    out.append(u'%');
    out.append(QLatin1Char(hex[byte >> 4]));
    out.append(QLatin1Char(hex[byte & 0x0F]));
}

bool mustEscapeAscii(char16_t c)
{
    return c < 0x20 || c == 0x7F || c == u'&' || c == u'=' || c == u'%' || c == u'+';
}

} // namespace

QString UrlEncode(const QString &value)
{
    QString out;
    out.reserve(value.size() * 3);
    qsizetype i = 0;
    while (i < value.size()) {
        const char16_t c = value[i].unicode();
        if (c < 0x80) {
            if (mustEscapeAscii(c))
                appendEscaped(out, static_cast<unsigned char>(c));
            else
                out.append(QChar(c));
            ++i;
            continue;
        }
        // One character, which may be a surrogate pair.
        const qsizetype len = (QChar::isHighSurrogate(c) && i + 1 < value.size()) ? 2 : 1;
        const QStringView ch = QStringView(value).mid(i, len);
        i += len;
        if (!fitsGbk(ch)) {
            out.append(u'?');
            continue;
        }
        const QByteArray bytes = toGbk(ch);
        for (char b : bytes)
            appendEscaped(out, static_cast<unsigned char>(b));
    }
    return out;
}

FormFields &FormFields::add(const QString &name, const QString &value)
{
    m_fields.append({name, value});
    return *this;
}

QByteArray FormFields::encoded() const
{
    QString out;
    for (const auto &[name, value] : m_fields) {
        if (!out.isEmpty())
            out.append(u'&');
        out.append(name);
        out.append(u'=');
        out.append(UrlEncode(value));
    }
    return out.toLatin1();
}

QByteArray percentDecode(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    auto hexValue = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+') {
            out.append(' ');
        } else if (c == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 &&
                   hexValue(text[i + 2]) >= 0) {
            out.append(char(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2])));
            i += 2;
        } else {
            out.append(c);
        }
    }
    return out;
}

QList<QPair<QString, QString>> decodeForm(const QByteArray &body)
{
    QList<QPair<QString, QString>> fields;
    if (body.isEmpty())
        return fields;
    for (const QByteArray &part : body.split('&')) {
        if (part.isEmpty())
            continue;
        const qsizetype eq = part.indexOf('=');
        const QByteArray name = eq < 0 ? part : part.left(eq);
        const QByteArray value = eq < 0 ? QByteArray() : part.mid(eq + 1);
        fields.append({fromGbk(percentDecode(name)), fromGbk(percentDecode(value))});
    }
    return fields;
}

ReplyOutcome classifyReply(int status, const QString &reply, const QString &successWord)
{
    if (status != 200)
        return ReplyOutcome::Failed;
    return reply == successWord ? ReplyOutcome::Accepted : ReplyOutcome::Rejected;
}

QString Md5Hex(const QString &password)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(toGbk(password.trimmed()), QCryptographicHash::Md5).toHex());
}

QString randomAddressValue(RandomSource &random)
{
    return QString::number(static_cast<float>(random.next()), 'g', 7);
}

namespace {

// Score times are wall-clock texts: the seconds count calendar seconds from "1970-01-01
// 08:00:00" as written, the same in every time zone and on the days clocks change (on a
// computer on China time they equal Unix time, which older peers rely on).
constexpr qint64 kBaseJulianDay = 2440588; // 1970-01-01
constexpr qint64 kBaseOffset = 8 * 3600;

qint64 wallSeconds(const QDate &date, const QTime &time)
{
    return (date.toJulianDay() - kBaseJulianDay) * 86400 + time.msecsSinceStartOfDay() / 1000 - kBaseOffset;
}

} // namespace

qint64 DateTextToSeconds(const QString &text)
{
    // Read by hand (an upload reads one per line; a regular expression cost several times
    // the rest of the line): "yyyy[-/]M[-/]d", then optionally one or more of ' ' and 'T' and
    // "H:m[:s]", with ASCII blanks around.
    const char16_t *p = reinterpret_cast<const char16_t *>(text.utf16());
    const char16_t *const end = p + text.size();
    const auto blank = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    const auto number = [&](const char16_t *&at, int least, int most, int *value) {
        int n = 0;
        *value = 0;
        for (; at < end && n < most && *at >= u'0' && *at <= u'9'; ++at, ++n)
            *value = *value * 10 + (*at - u'0');
        return n >= least;
    };
    const auto onlyBlanks = [&](const char16_t *at) {
        while (at < end && blank(*at))
            ++at;
        return at == end;
    };
    while (p < end && blank(*p))
        ++p;
    int year = 0, month = 0, day = 0;
    if (!number(p, 4, 4, &year) || p == end || (*p != u'-' && *p != u'/') || !number(++p, 1, 2, &month) ||
        p == end || (*p != u'-' && *p != u'/') || !number(++p, 1, 2, &day))
        return 0;
    int hour = 0, minute = 0, second = 0;
    if (!onlyBlanks(p)) {
        const char16_t *t = p;
        while (t < end && (*t == u' ' || *t == u'T'))
            ++t;
        if (t == p || !number(t, 1, 2, &hour) || t == end || *t != u':' || !number(++t, 1, 2, &minute))
            return 0;
        if (t < end && *t == u':' && !number(++t, 1, 2, &second))
            return 0;
        if (!onlyBlanks(t))
            return 0;
    }
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return 0;
    return wallSeconds(date, time);
}

QString SecondsToDateText(qint64 seconds)
{
    // Beyond year 9999 the text would no longer read as a date.
    if (seconds < -62135596800LL - kBaseOffset || seconds > 253402300799LL - kBaseOffset)
        return {};
    const qint64 wall = seconds + kBaseOffset;
    const qint64 days = wall >= 0 ? wall / 86400 : -((-wall + 86399) / 86400);
    const QDate date = QDate::fromJulianDay(kBaseJulianDay + days);
    const QTime time = QTime::fromMSecsSinceStartOfDay(int(wall - days * 86400) * 1000);
    return date.toString(QStringLiteral("yyyy-MM-dd")) + u' ' + time.toString(QStringLiteral("hh:mm:ss"));
}

QString LocalTimeText(qint64 unixSeconds)
{
    if (unixSeconds < -62135596800LL || unixSeconds > 253402300799LL)
        return {};
    return QDateTime::fromSecsSinceEpoch(unixSeconds).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace corvanta
