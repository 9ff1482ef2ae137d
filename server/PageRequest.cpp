#include "PageRequest.h"

#include "core/TextCodec.h"
#include "net/AccountPages.h"
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
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
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

bool isSaneScore(double score)
{
    return std::isfinite(score) && std::fabs(score) <= kMaxScoreMagnitude;
}

bool isValidEmail(const QString &email)
{
    return email.size() <= 254 && account_pages::isEmailAddress(email);
}

} // namespace corvanta::server
