#pragma once

#include <QByteArray>
#include <QStringList>

// Writes ReadingInitialsTable.inc, the initials of every GBK character's Mandarin readings,
// from Unicode's Unihan_Readings.txt. Run by scripts/generate-reading-initials.sh; a test
// checks that the committed table is what the generator makes of the installed data.
namespace corvanta {

struct GeneratedReadingTable
{
    QByteArray source;     // the text of ReadingInitialsTable.inc
    QStringList unreadable; // GBK ideographs that no reading covers, as "U+XXXX (GBK code)"
    int characters = 0;     // GBK characters given readings
};

// unihan: the whole of Unihan_Readings.txt (UTF-8).
GeneratedReadingTable generateReadingTable(const QByteArray &unihan);

} // namespace corvanta
