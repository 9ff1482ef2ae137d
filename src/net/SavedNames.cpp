#include "SavedNames.h"

#include <QSettings>

namespace corvanta {

namespace {

const QString kGroup = QStringLiteral("Userinfo");
const QString kUsername = QStringLiteral("Username");
const QString kLast = QStringLiteral("LastlogUsername");

QString readText(const QString &key)
{
    QSettings settings(SavedNames::organisationName(), SavedNames::applicationName());
    settings.beginGroup(kGroup);
    const QVariant value = settings.value(key);
    return value.canConvert<QString>() ? value.toString() : QString();
}

void writeTexts(const QString &username, const QString &last)
{
    QSettings settings(SavedNames::organisationName(), SavedNames::applicationName());
    settings.beginGroup(kGroup);
    settings.setValue(kUsername, username);
    settings.setValue(kLast, last);
    settings.sync();
}

} // namespace

QString SavedNames::usernameValue() const
{
    return readText(kUsername);
}

QString SavedNames::lastLogin() const
{
    return readText(kLast);
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
