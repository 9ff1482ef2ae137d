// Reads Unihan_Readings.txt on standard input and writes ReadingInitialsTable.inc to standard
// output; the GBK ideographs left without readings go to standard error.
#include "pinyin/ReadingTableGenerator.h"

#include <QFile>
#include <QTextStream>

int main()
{
    QFile in;
    QFile out;
    if (!in.open(stdin, QIODevice::ReadOnly) || !out.open(stdout, QIODevice::WriteOnly))
        return 1;
    const corvanta::GeneratedReadingTable table = corvanta::generateReadingTable(in.readAll());
    if (table.characters == 0) {
        QTextStream(stderr) << "No readings found: is the input Unihan_Readings.txt?\n";
        return 1;
    }
    out.write(table.source);
    QTextStream err(stderr);
    err << table.characters << " GBK characters with readings\n";
    for (const QString &code : table.unreadable)
        err << "no reading: " << code << "\n";
    return 0;
}
