#pragma once

#include <QString>

// Initials of every Mandarin reading of a character: 单 reads dan, shan and chan, so a teacher
// may type D, S or C for it.
namespace corvanta {

// A set of upper-case letters, bit 0 for A up to bit 25 for Z.
using InitialSet = quint32;

// The letter's bit; none for anything but A to Z.
constexpr InitialSet initialBit(char16_t letter)
{
    return letter >= u'A' && letter <= u'Z' ? InitialSet(1) << (letter - u'A') : 0;
}

// The initials of all readings of a GBK character (from Unicode's Unihan readings); none for
// other characters and for the few GBK characters without a Mandarin reading.
InitialSet readingInitials(QChar c);

// The letters of a set in alphabetical order ("CDS"), and the set of a text's letters.
QString initialLetters(InitialSet set);
InitialSet initialSetOf(QStringView letters);

} // namespace corvanta
