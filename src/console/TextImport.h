#pragma once

#include "core/Result.h"

#include <QByteArray>
#include <QString>

namespace corvanta::console {

// The largest student list file the import takes.
inline constexpr qint64 kMaxImportBytes = 1024 * 1024;

struct TextFileRead
{
    Result result = Result::success();
    QString text; // line ends as LF
};

// Reads a student list file: a missing file gives empty text; a file over 1 MB or one
// that cannot be read is refused with a message and gives no text.
TextFileRead ReadTextFile(const QString &path);

// Text of a student list file's bytes: a UTF-8 or UTF-16 byte-order mark decides, else
// valid UTF-8 is read as UTF-8 when it is not valid GBK or when it reads as names only
// (CJK ideographs, letters, digits, "·", spaces), and anything else as GBK. CR LF, LF and lone CR all
// become LF.
QString decodeTextFile(const QByteArray &bytes);

} // namespace corvanta::console
