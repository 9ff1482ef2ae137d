#pragma once

#include <QByteArray>
#include <QString>

namespace corvanta {

// What a school's administrator sets for every user of a computer, in a file the tool only
// reads: "server=URL" and "vendor=URL" lines. Blank lines, lines starting with "#" or ";"
// and "[section]" lines are skipped (an .ini written by an installer or by hand reads the
// same); keys ignore case and spaces around them; other keys are left for later versions.
struct MachineSettings
{
    QString file;   // where they were read from
    QString server; // empty when the file does not say
    QString vendor;
    QString error; // the file is there but cannot be read; empty otherwise

    // The file's text (UTF-8, with or without a byte-order mark).
    static MachineSettings parse(const QByteArray &text);
    // A missing file sets nothing and is no error.
    static MachineSettings read(const QString &file);
};

} // namespace corvanta
