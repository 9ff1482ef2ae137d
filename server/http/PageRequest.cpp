#include "PageRequest.h"

#include "core/TextCodec.h"
#include "net/AccountRequests.h"
#include "net/RecordFormat.h"
#include "net/Wire.h"

#include <cmath>

namespace corvanta::server {

bool FieldMap::has(const QString &name) const
{
    for (const auto &field : m_fields) {
        if (field.first == name)
            return true;
    }
    return false;
}

QString FieldMap::value(const QString &name) const
{
    for (const auto &field : m_fields) {
        if (field.first == name)
            return field.second;
    }
    return {};
}

void FieldMap::append(const FieldMap &other)
{
    m_fields.append(other.m_fields);
}

QByteArray PageRequest::header(const QByteArray &name) const
{
    for (const auto &[n, value] : headers) {
        if (n.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QByteArray PageRequest::cookie(const QByteArray &name) const
{
    // "a=1; b=2"; a browser may also send several Cookie headers.
    for (const auto &[n, value] : headers) {
        if (n.compare("cookie", Qt::CaseInsensitive) != 0)
            continue;
        for (const QByteArray &pair : value.split(';')) {
            const qsizetype eq = pair.indexOf('=');
            if (eq > 0 && pair.left(eq).trimmed() == name)
                return pair.mid(eq + 1).trimmed();
        }
    }
    return {};
}

PageRequest decodeRequest(Method method, const QString &path, const QByteArray &rawQuery,
                          const QByteArray &body)
{
    PageRequest request;
    request.method = method;
    request.path = path;
    request.fields = FieldMap(decodeForm(method == Method::Post ? body : rawQuery));
    return request;
}

QStringList splitList(const QString &value)
{
    QStringList out;
    for (const QString &piece : value.split(u'|')) {
        if (!piece.isEmpty())
            out.append(piece);
    }
    return out;
}

bool splitIds(const QString &value, QList<qint64> *ids)
{
    ids->clear();
    for (const QString &piece : value.split(u'|')) {
        const QString trimmed = piece.trimmed();
        if (trimmed.isEmpty())
            continue;
        bool ok = false;
        const qint64 id = trimmed.toLongLong(&ok);
        if (!ok || id <= 0)
            return false;
        ids->append(id);
    }
    return true;
}

bool isStorableText(const QString &text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::ReplacementCharacter)
            return false;
    }
    return fitsGbk(text);
}

bool isStorableName(const QString &name)
{
    return isStorableText(name) && !name.contains(u'|') && name != QLatin1String(kClassListMarker) &&
           !name.startsWith(QLatin1String(kTopicMarker));
}

Result checkLength(const QString &what, const QString &text, int most)
{
    if (text.size() <= most)
        return Result::success();
    return Result::failure(what + QStringLiteral("太长：最多 %1 个字，收到 %2 个字！").arg(most).arg(text.size()));
}

bool isSaneScore(double score)
{
    return std::isfinite(score) && std::fabs(score) <= kMaxScoreMagnitude;
}

bool isValidEmail(const QString &email)
{
    return email.size() <= 254 && account_pages::isEmailAddress(email);
}

} // namespace corvanta::server
