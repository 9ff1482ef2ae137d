#include "SavedNames.h"

namespace corvanta {

namespace {

void writeTexts(const QString &username, const QString &last)
{
    Settings settings;
    settings.setValue(Settings::Key::Username, username);
    settings.setValue(Settings::Key::LastlogUsername, last);
    settings.sync();
}

} // namespace

QString SavedNames::usernameValue() const
{
    return Settings().text(Settings::Key::Username);
}

QString SavedNames::lastLogin() const
{
    return Settings().text(Settings::Key::LastlogUsername);
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
