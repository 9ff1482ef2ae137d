// GBK through Qt's ICU converters (Linux).
#include "TextCodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace corvanta {

QByteArray toGbk(QStringView text)
{
    // Opening the converter costs more than encoding a character: one per thread.
    thread_local QStringEncoder encoder("GBK");
    encoder.resetState();
    QByteArray bytes = encoder.encode(text);
    return bytes;
}

QString fromGbk(const QByteArray &bytes)
{
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
