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
    // Local time to seconds costs more than the rest; an upload's lines mostly share their
    // hours. An hour is kept only when its last second is 3599 after its first: no change of
    // the UTC offset within it, so any time in it is its start plus minutes and seconds.
    struct Hour
    {
        QDate date;
        int hour = -1;
        qint64 start = 0;
    };
    thread_local Hour kept;
    if (kept.hour == hour && kept.date == date)
        return kept.start + minute * 60 + second;
    const qint64 start = QDateTime(date, QTime(hour, 0)).toSecsSinceEpoch();
    if (QDateTime(date, QTime(hour, 59, 59)).toSecsSinceEpoch() - start != 3599)
        return QDateTime(date, time).toSecsSinceEpoch();
    kept = {date, hour, start};
    return start + minute * 60 + second;
}

QString SecondsToDateText(qint64 seconds)
{
    // Beyond year 9999 the text would no longer read as a date.
    if (seconds < -62135596800LL || seconds > 253402300799LL)
        return {};
    return QDateTime::fromSecsSinceEpoch(seconds).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

} // namespace corvanta
