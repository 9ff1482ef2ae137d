#include "QrCode.h"

#include <qrencode.h>

namespace corvanta::console {

QrMatrix encodeQr(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    QrMatrix matrix;
    if (bytes.isEmpty())
        return matrix;
    QRcode *code = QRcode_encodeString8bit(bytes.constData(), 0, QR_ECLEVEL_M);
    if (!code)
        return matrix;
    matrix.size = code->width;
    matrix.modules.resize(qsizetype(code->width) * code->width);
    for (qsizetype i = 0; i < matrix.modules.size(); ++i)
        matrix.modules[i] = char(code->data[i] & 1);
    QRcode_free(code);
    return matrix;
}

} // namespace corvanta::console
