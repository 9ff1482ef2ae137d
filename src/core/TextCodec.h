#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Text as it is stored in the tool's files and travels on the wire: GBK (code page 936).
namespace corvanta {

// GBK bytes of a text; a character GBK cannot hold becomes "?".
QByteArray toGbk(QStringView text);
// Text of GBK bytes; a byte sequence that is not GBK never fails, it only decodes to
// replacement characters.
QString fromGbk(const QByteArray &bytes);
// True when every character of the text has a GBK form.
bool fitsGbk(QStringView text);
// The GBK code of one character: lead byte * 256 + trail byte, or the single byte; "?" for a
// character GBK cannot hold (and for half of a surrogate pair).
int gbkCode(QChar c);

// Reads the number a text starts with, the way every field of the class record file,
// the clock reply and the score texts are read: blanks, tabs and line feeds are skipped
// wherever they stand; then an optional sign, digits, at most one decimal point and an
// optional exponent (E or D); or a hexadecimal (&H) or octal (&O) number. Anything after
// the number is ignored; no number at all reads as 0.
double leadingNumber(QStringView text);

// The shortest decimal text of a number: 5 -> "5", 4.5 -> "4.5", 0.1 -> "0.1"; never an
// exponent (100000 -> "100000").
QString shortestDecimal(double value);

} // namespace corvanta
