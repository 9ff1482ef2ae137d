#include "RequestFraming.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

namespace corvanta::server {

bool isToken(const char *text, size_t size)
{
    static constexpr char kMarks[] = "!#$%&'*+-.^_`|~";
    for (size_t i = 0; i < size; ++i) {
        const char c = text[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && !std::strchr(kMarks, c))
            return false;
    }
    return size > 0;
}

bool onOneLine(const char *key, size_t keySize, const char *value)
{
    const char *end = key + keySize;
    if (value <= end || value - end > 4096)
        return false;
    for (const char *c = end + 1; c < value; ++c) {
        if (*c != ' ' && *c != '\t')
            return false;
    }
    return true;
}

bool ambiguousFraming(const HeaderLines &headers)
{
    std::optional<QByteArray> length;
    bool coded = false;
    for (const auto &[name, value] : headers) {
        if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0)
            coded = true;
        if (name.compare("Content-Length", Qt::CaseInsensitive) != 0)
            continue;
        const QByteArray text = value.trimmed();
        if (text.isEmpty() ||
            !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return true;
        if (length && *length != text)
            return true;
        length = text;
    }
    return length && coded;
}

bool unknownCoding(const HeaderLines &headers)
{
    QByteArrayList codings;
    for (const auto &[name, value] : headers) {
        if (name.compare("Transfer-Encoding", Qt::CaseInsensitive) == 0)
            codings += value.split(',');
    }
    return !codings.isEmpty() &&
           (codings.size() != 1 || codings.first().trimmed().compare("chunked", Qt::CaseInsensitive) != 0);
}

void markCookiesSecure(PageReply &reply)
{
    for (auto &[name, value] : reply.headers) {
        if (name.compare("Set-Cookie", Qt::CaseInsensitive) == 0 && !value.toLower().contains("; secure"))
            value += "; Secure";
    }
}

} // namespace corvanta::server
