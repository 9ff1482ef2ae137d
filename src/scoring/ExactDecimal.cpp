#include "ExactDecimal.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace corvanta {

namespace {

// Both magnitudes written with the same number of decimals and the same length, so that
// they compare as texts and add digit by digit.
struct Aligned
{
    QByteArray a;
    QByteArray b;
    int scale = 0;
};

Aligned align(const QByteArray &a, int aScale, const QByteArray &b, int bScale)
{
    Aligned out;
    out.scale = std::max(aScale, bScale);
    out.a = a + QByteArray(out.scale - aScale, '0');
    out.b = b + QByteArray(out.scale - bScale, '0');
    const qsizetype length = std::max(out.a.size(), out.b.size());
    out.a.prepend(QByteArray(length - out.a.size(), '0'));
    out.b.prepend(QByteArray(length - out.b.size(), '0'));
    return out;
}

QByteArray addDigits(const QByteArray &a, const QByteArray &b)
{
    QByteArray sum(a.size() + 1, '0');
    int carry = 0;
    for (qsizetype i = a.size() - 1; i >= 0; --i) {
        const int d = (a[i] - '0') + (b[i] - '0') + carry;
        sum[i + 1] = char('0' + d % 10);
        carry = d / 10;
    }
    sum[0] = char('0' + carry);
    return sum;
}

// a - b for a >= b.
QByteArray subtractDigits(const QByteArray &a, const QByteArray &b)
{
    QByteArray difference(a.size(), '0');
    int borrow = 0;
    for (qsizetype i = a.size() - 1; i >= 0; --i) {
        int d = (a[i] - '0') - (b[i] - '0') - borrow;
        borrow = d < 0 ? 1 : 0;
        difference[i] = char('0' + d + 10 * borrow);
    }
    return difference;
}

} // namespace

ExactDecimal ExactDecimal::fromDouble(double value)
{
    ExactDecimal number;
    if (!std::isfinite(value) || value == 0)
        return number;
    // 'f' with the shortest precision: the digits that read back as this double, no exponent.
    const QByteArray text = QByteArray::number(value, 'f', QLocale::FloatingPointShortest);
    const qsizetype point = text.indexOf('.');
    number.m_negative = text.startsWith('-');
    const qsizetype start = number.m_negative ? 1 : 0;
    if (point < 0) {
        number.m_digits = text.mid(start);
    } else {
        number.m_digits = text.mid(start, point - start) + text.mid(point + 1);
        number.m_scale = int(text.size() - point - 1);
    }
    number.normalize();
    return number;
}

void ExactDecimal::normalize()
{
    while (m_scale > 0 && m_digits.endsWith('0')) {
        m_digits.chop(1);
        --m_scale;
    }
    qsizetype zeros = 0;
    while (zeros < m_digits.size() && m_digits[zeros] == '0')
        ++zeros;
    m_digits.remove(0, zeros);
    if (m_digits.isEmpty()) {
        m_scale = 0;
        m_negative = false;
    }
}

ExactDecimal &ExactDecimal::operator+=(const ExactDecimal &other)
{
    const Aligned x = align(m_digits, m_scale, other.m_digits, other.m_scale);
    m_scale = x.scale;
    if (m_negative == other.m_negative) {
        m_digits = addDigits(x.a, x.b);
    } else if (x.a >= x.b) {
        m_digits = subtractDigits(x.a, x.b);
    } else {
        m_digits = subtractDigits(x.b, x.a);
        m_negative = other.m_negative;
    }
    normalize();
    return *this;
}

QString ExactDecimal::text() const
{
    if (isZero())
        return QStringLiteral("0");
    QByteArray digits = m_digits;
    if (m_scale > 0) {
        if (digits.size() <= m_scale)
            digits.prepend(QByteArray(m_scale - digits.size() + 1, '0'));
        digits.insert(digits.size() - m_scale, '.');
    }
    if (m_negative)
        digits.prepend('-');
    return QString::fromLatin1(digits);
}

std::strong_ordering operator<=>(const ExactDecimal &a, const ExactDecimal &b)
{
    if (a.m_negative != b.m_negative)
        return a.m_negative ? std::strong_ordering::less : std::strong_ordering::greater;
    const Aligned x = align(a.m_digits, a.m_scale, b.m_digits, b.m_scale);
    const int magnitude = x.a.compare(x.b);
    const int sign = a.m_negative ? -magnitude : magnitude;
    return sign <=> 0;
}

} // namespace corvanta
