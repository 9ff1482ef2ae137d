#pragma once

#include <QByteArray>
#include <QString>

#include <compare>

namespace corvanta {

// A decimal number of any size kept digit by digit, so that sums of scores are exact:
// 2.5 + 2.5 is 5 and 0.1 + 0.2 is 0.3, and no total ever wraps around.
class ExactDecimal
{
public:
    ExactDecimal() = default;
    // The number as its shortest decimal text shows it (0.1 stays 0.1); 0 for NaN and infinities.
    static ExactDecimal fromDouble(double value);

    ExactDecimal &operator+=(const ExactDecimal &other);
    bool isZero() const { return m_digits.isEmpty(); }
    // The shortest plain decimal text, never an exponent: "9", "7.5", "-0.25", "1000000".
    QString text() const;

    friend std::strong_ordering operator<=>(const ExactDecimal &a, const ExactDecimal &b);
    friend bool operator==(const ExactDecimal &a, const ExactDecimal &b) = default;

private:
    // Value = (m_negative ? -1 : 1) x m_digits / 10^m_scale. m_digits holds '0'..'9' without
    // leading zeros (empty for zero) and, when m_scale > 0, without a trailing zero.
    bool m_negative = false;
    QByteArray m_digits;
    int m_scale = 0;

    void normalize();
};

} // namespace corvanta
