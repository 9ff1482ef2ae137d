// Requests as a page sees them: decodeRequest on any query and body, and the list and
// record-number fields of the console read from what it gives.
// Input: the method on the first line, the raw query on the second, the body after it.
#include "FuzzSupport.h"

#include "PageRequest.h"
#include "net/Wire.h"

using namespace corvanta::server;
using corvanta::fuzz::require;

namespace {

Method methodOf(const QByteArray &word)
{
    if (word == "GET")
        return Method::Get;
    if (word == "POST")
        return Method::Post;
    return Method::Other;
}

void readField(const QString &value)
{
    for (const QString &piece : splitList(value))
        require(!piece.isEmpty() && !piece.contains(u'|'), "a list piece is one non-empty name");
    QList<qint64> ids;
    if (splitIds(value, &ids)) {
        for (qint64 id : ids)
            require(id > 0, "a record number is positive");
    }
    if (isStorableName(value))
        require(isStorableText(value) && !value.contains(u'|'), "a storable name is storable text");
    isValidEmail(value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = corvanta::fuzz::bytesOf(data, size);
    const qsizetype firstEnd = input.indexOf('\n');
    const qsizetype secondEnd = firstEnd < 0 ? -1 : input.indexOf('\n', firstEnd + 1);
    const QByteArray word = firstEnd < 0 ? input : input.left(firstEnd);
    const QByteArray query = firstEnd < 0    ? QByteArray()
                             : secondEnd < 0 ? input.mid(firstEnd + 1)
                                             : input.mid(firstEnd + 1, secondEnd - firstEnd - 1);
    const QByteArray body = secondEnd < 0 ? QByteArray() : input.mid(secondEnd + 1);

    const Method method = methodOf(word);
    const PageRequest request = decodeRequest(method, QStringLiteral("/score/index.php"), query, body);
    const qsizetype bodyFields = method == Method::Post ? corvanta::decodeForm(body).size() : 0;
    require(request.fields.size() >= bodyFields &&
                request.fields.size() <= bodyFields + corvanta::decodeForm(query).size(),
            "every field of a body is seen, none twice");
    for (const auto &[name, value] : corvanta::decodeForm(method == Method::Post ? body : query)) {
        require(request.fields.has(name), "a decoded field is there");
        readField(request.fields.value(name));
        readField(name);
    }
    return 0;
}
