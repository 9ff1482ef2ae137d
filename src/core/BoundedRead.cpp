#include "BoundedRead.h"

#include <algorithm>

namespace corvanta {

QByteArray readAtMost(QIODevice &device, qint64 maxBytes)
{
    constexpr qint64 kPiece = 64 * 1024;
    QByteArray bytes;
    while (bytes.size() < maxBytes) {
        const QByteArray piece = device.read(std::min(kPiece, maxBytes - bytes.size()));
        if (piece.isEmpty())
            break;
        bytes += piece;
    }
    return bytes;
}

// openRegularFile: RegularFile_unix.cpp and RegularFile_win.cpp.

} // namespace corvanta
