#include "SavedNames.h"

namespace corvanta {

namespace {

void writeTexts(const QString &username, const QString &last)
{
    Settings settings;
    settings.setValue(Settings::Username, username);
    settings.setValue(Settings::LastlogUsername, last);
    settings.sync();
}

} // namespace

QString SavedNames::usernameValue() const
{
    return Settings().value(Settings::Username);
}

QString SavedNames::lastLogin() const
{
    return Settings().value(Settings::LastlogUsername);
}

QStringList SavedNames::names() const
{
    return usernameValue().split(u'|', Qt::SkipEmptyParts);
}

void SavedNames::remember(const QString &name)
{
    QString value = usernameValue();
    if (!value.split(u'|').contains(name, Qt::CaseSensitive))
        value += u'|' + name;
    writeTexts(value, name);
}

void SavedNames::clear()
{
    writeTexts(QString(), QString());
}

} // namespace corvanta
