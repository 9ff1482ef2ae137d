#pragma once

#include <QByteArray>
#include <QString>

namespace corvanta::console {

// The modules of a QR code: size x size, row by row, 1 for a dark module.
struct QrMatrix
{
    int size = 0;
    QByteArray modules;
    bool dark(int x, int y) const { return modules.at(y * size + x) != 0; }
    bool isEmpty() const { return size == 0; }
};

// The QR code of a text (UTF-8 bytes, error correction level M); empty when the text
// does not fit a QR code.
QrMatrix encodeQr(const QString &text);

} // namespace corvanta::console
