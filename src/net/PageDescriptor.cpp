#include "PageDescriptor.h"

namespace corvanta {

QString field::group(int index)
{
    return QStringLiteral("group[%1]").arg(index);
}

const char *accountField(Credential credential)
{
    return credential == Credential::LoginDigest ? field::kAccount : field::kUsername;
}

const char *secretField(Credential credential)
{
    return credential == Credential::LoginDigest ? field::kDigest : field::kPassword;
}

PageCall PageDescriptor::call(std::initializer_list<QString> values) const
{
    // More values than fields, or a required field left off, is a slip of a builder, not of
    // its input: the wire tests catch it.
    Q_ASSERT(values.size() <= size_t(fieldCount()));
    FormFields form;
    int i = 0;
    for (const QString &value : values)
        form.add(QLatin1String(fields[i++].name), value);
    for (; i < fieldCount(); ++i)
        Q_ASSERT(!fields[i].required);
    return {site, method, QString::fromLatin1(path), std::move(form)};
}

} // namespace corvanta
