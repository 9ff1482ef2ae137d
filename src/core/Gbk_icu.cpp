// GBK through Qt's ICU converters (Linux).
#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace corvanta {

namespace {

// GBK keeps ASCII as it is: most texts the server reads and checks (accounts, digests, numbers,
// field names) need no converter.
template <typename Unit>
bool allAscii(const Unit *units, qsizetype size)
{
    for (qsizetype i = 0; i < size; ++i) {
        if (static_cast<unsigned>(units[i]) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

QByteArray toGbk(QStringView text)
{
    if (allAscii(text.utf16(), text.size()))
        return text.toLatin1();
    // Opening the converter costs more than encoding a character: one per thread.
    thread_local QStringEncoder encoder("GBK");
    encoder.resetState();
    QByteArray bytes = encoder.encode(text);
    return bytes;
}

QString fromGbk(const QByteArray &bytes)
{
    if (allAscii(reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size()))
        return QString::fromLatin1(bytes);
    // Opening the converter costs more than decoding a request's fields: one per thread.
    thread_local QStringDecoder decoder("GBK");
    decoder.resetState();
    QString text = decoder.decode(bytes);
    // The decoder keeps a lead byte at the very end for a next call, so a text cut inside a
    // character would lose it without a trace. A line end (never a trail byte) makes it
    // decode as a replacement character; the line end itself is dropped again.
    const QString rest = decoder.decode(QByteArrayView("\n", 1));
    text += QStringView(rest).chopped(1);
    return text;
}

bool fitsGbk(QStringView text)
{
    QStringEncoder encoder("GBK");
    QByteArray bytes = encoder.encode(text);
    return !encoder.hasError();
}

} // namespace corvanta
