#pragma once

#include <QByteArray>
#include <QIODevice>

namespace corvanta {

// Reads until the end of the device or maxBytes, whichever comes first. The buffer grows
// with what arrives, so a small file costs a small buffer however high the limit (a plain
// read(maxBytes) sets the whole limit aside first). Read errors end the read early; the
// device's error() tells them apart from the end.
QByteArray readAtMost(QIODevice &device, qint64 maxBytes);

} // namespace corvanta
