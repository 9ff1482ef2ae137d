#include "TextCodec.h"

#include <QLocale>

#include <cmath>
#include <limits>

namespace corvanta {

// toGbk, fromGbk and fitsGbk: Gbk_icu.cpp (Qt with ICU) and Gbk_win.cpp (code page 936).

int gbkCode(QChar c)
{
    if (c.isSurrogate())
        return '?';
    const QByteArray bytes = toGbk(QStringView(&c, 1));
    if (bytes.size() == 2)
        return quint8(bytes[0]) * 256 + quint8(bytes[1]);
    if (bytes.size() == 1)
        return quint8(bytes[0]);
    return '?';
}

namespace {

bool isSkipped(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

// The characters that count for a number, with blanks, tabs and line feeds removed.
QString squeeze(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        if (!isSkipped(c))
            out.append(c);
    }
    return out;
}

double radixNumber(QStringView digits, int radix)
{
    double value = 0;
    for (QChar c : digits) {
        const int d = c.isDigit() ? c.digitValue()
                                  : (radix == 16 && c.toLower() >= u'a' && c.toLower() <= u'f'
                                         ? c.toLower().unicode() - u'a' + 10
                                         : -1);
        if (d < 0 || d >= radix)
            break;
        value = value * radix + d;
    }
    return value;
}

} // namespace

double leadingNumber(QStringView text)
{
    const QString s = squeeze(text);
    if (s.size() >= 2 && s[0] == u'&') {
        const QChar kind = s[1].toUpper();
        if (kind == u'H')
            return radixNumber(QStringView(s).mid(2), 16);
        if (kind == u'O')
            return radixNumber(QStringView(s).mid(2), 8);
        return 0;
    }

    qsizetype i = 0;
    QByteArray number;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-'))
        number.append(char(s[i++].unicode()));
    bool digits = false;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
        number.append(char(s[i++].unicode()));
        digits = true;
    }
    if (i < s.size() && s[i] == u'.') {
        number.append('.');
        ++i;
        while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
            number.append(char(s[i++].unicode()));
            digits = true;
        }
    }
    if (!digits)
        return 0;
    if (i < s.size() && (s[i].toUpper() == u'E' || s[i].toUpper() == u'D')) {
        qsizetype j = i + 1;
        QByteArray exponent("e");
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            exponent.append(char(s[j++].unicode()));
        bool expDigits = false;
        while (j < s.size() && s[j] >= u'0' && s[j] <= u'9' && exponent.size() < 8) {
            exponent.append(char(s[j++].unicode()));
            expDigits = true;
        }
        if (expDigits)
            number.append(exponent);
    }
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return 0;
    return value;
}

QString shortestDecimal(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    if (value == 0)
        return QStringLiteral("0");
    // Fixed notation: 100000 is "100000", never "1e+05".
    return QString::number(value, 'f', QLocale::FloatingPointShortest);
}

} // namespace corvanta
