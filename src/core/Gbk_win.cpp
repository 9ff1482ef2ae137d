// GBK through Windows' code page 936 (Qt for Windows is built without ICU).
#include "TextCodec.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace corvanta {

namespace {

constexpr UINT kGbk = 936;

// The bytes of the text; usedDefault tells whether a character had no GBK form ("?").
QByteArray encode(QStringView text, BOOL *usedDefault)
{
    QByteArray bytes;
    if (text.isEmpty())
        return bytes;
    const auto *wide = reinterpret_cast<const wchar_t *>(text.utf16());
    // No "best fit" (a for ä): what GBK cannot hold becomes "?", as with ICU.
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    qsizetype done = 0;
    // The calls take int lengths: a huge text goes in pieces, never split inside a pair.
    while (done < text.size()) {
        qsizetype piece = std::min<qsizetype>(text.size() - done, INT_MAX / 4);
        if (done + piece < text.size() && QChar::isHighSurrogate(text.at(done + piece - 1).unicode()))
            --piece;
        BOOL pieceDefault = FALSE;
        const int needed = WideCharToMultiByte(kGbk, flags, wide + done, int(piece), nullptr, 0, "?",
                                               &pieceDefault);
        const qsizetype at = bytes.size();
        bytes.resize(at + needed);
        WideCharToMultiByte(kGbk, flags, wide + done, int(piece), bytes.data() + at, needed, "?",
                            &pieceDefault);
        if (usedDefault && pieceDefault)
            *usedDefault = TRUE;
        done += piece;
    }
    return bytes;
}

// One character's bytes (a single byte or a lead and trail byte) as text; U+FFFD when the
// code page has no character there.
void decodeOne(const char *bytes, int length, QString &out)
{
    wchar_t wide[2];
    const int n = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes, length, wide, 2);
    if (n <= 0)
        out.append(QChar::ReplacementCharacter);
    else
        out.append(QStringView(reinterpret_cast<const char16_t *>(wide), n));
}

bool isLead(unsigned char b)
{
    return b >= 0x81 && b <= 0xFE;
}

} // namespace

QByteArray toGbk(QStringView text)
{
    return encode(text, nullptr);
}

bool fitsGbk(QStringView text)
{
    BOOL usedDefault = FALSE;
    encode(text, &usedDefault);
    return !usedDefault;
}

QString fromGbk(const QByteArray &bytes)
{
    QString text;
    if (bytes.isEmpty())
        return text;
    // Well-formed text in one call; anything else character by character, so that a bad
    // sequence (or a lead byte cut off at the end) becomes one replacement character.
    if (bytes.size() < INT_MAX / 2) {
        const int n = MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes.constData(), int(bytes.size()),
                                          nullptr, 0);
        if (n > 0) {
            text.resize(n);
            MultiByteToWideChar(kGbk, MB_ERR_INVALID_CHARS, bytes.constData(), int(bytes.size()),
                                reinterpret_cast<wchar_t *>(text.data()), n);
            return text;
        }
    }
    text.reserve(bytes.size());
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            text.append(QChar(b));
            ++i;
        } else if (isLead(b) && i + 1 < size) {
            const auto trail = static_cast<unsigned char>(bytes[i + 1]);
            if (trail >= 0x40 && trail != 0x7F && trail != 0xFF) {
                decodeOne(bytes.constData() + i, 2, text);
                i += 2;
            } else {
                text.append(QChar::ReplacementCharacter);
                ++i;
            }
        } else {
            decodeOne(bytes.constData() + i, 1, text);
            ++i;
        }
    }
    return text;
}

} // namespace corvanta
