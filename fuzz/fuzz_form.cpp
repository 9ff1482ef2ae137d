// Form bodies and queries: percentDecode and decodeForm on any bytes, and every value
// they give travels through UrlEncode and back unchanged.
#include "FuzzSupport.h"

#include "core/TextCodec.h"
#include "net/Wire.h"

using namespace corvanta;
using corvanta::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::bytesOf(data, size);
    require(percentDecode(bytes).size() <= bytes.size(), "decoding never grows the text");

    const QList<QPair<QString, QString>> fields = decodeForm(bytes);
    require(fields.size() <= bytes.count('&') + 1, "one field at most per piece");
    FormFields again;
    QList<QPair<QString, QString>> expected;
    for (const auto &[name, value] : fields) {
        if (!fitsGbk(value) || value.contains(QChar::ReplacementCharacter))
            continue;
        // Names go out as they are, so only plain ones are sent again.
        const QString plainName = QStringLiteral("f%1").arg(expected.size());
        again.add(plainName, value);
        expected.append({plainName, value});
        require(decodeForm("v=" + UrlEncode(value).toLatin1()).value(0).second == value,
                "a value survives escaping and decoding");
    }
    require(decodeForm(again.encoded()) == expected, "a form body survives encoding and decoding");
    return 0;
}
