#include "PageRequest.h"

#include "net/AccountPages.h"
#include "net/Wire.h"

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

PageRequest decodeRequest(Method method, const QString &path, const QByteArray &rawQuery,
                          const QByteArray &body)
{
    PageRequest request;
    request.method = method;
    request.path = path;
    if (method == Method::Post)
        request.fields = FieldMap(decodeForm(body));
    request.fields.append(FieldMap(decodeForm(rawQuery)));
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
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

bool isStorableName(const QString &name)
{
    return isStorableText(name) && !name.contains(u'|');
}

bool isValidEmail(const QString &email)
{
    return email.size() <= 254 && account_pages::isEmailAddress(email);
}

} // namespace corvanta::server
