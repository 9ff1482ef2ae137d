#include "Settings.h"

#include <QCoreApplication>
#include <QSettings>

namespace corvanta {

QString Settings::organisationName()
{
    return QStringLiteral("Corvanta");
}

QString Settings::applicationName()
{
    return QStringLiteral("Corvanix");
}

void Settings::setApplicationNames()
{
    QCoreApplication::setOrganizationName(organisationName());
    QCoreApplication::setApplicationName(applicationName());
}

void Settings::redirectForTests(const QString &folder)
{
    // The machine-wide store is read behind the user's one: give it an empty folder too.
    for (const QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat}) {
        QSettings::setPath(format, QSettings::UserScope, folder);
        QSettings::setPath(format, QSettings::SystemScope, folder + QStringLiteral("/system"));
    }
}

Settings::Settings() : m_store(std::make_unique<QSettings>(organisationName(), applicationName())) {}

Settings::~Settings() = default;

QString Settings::value(const Setting<QString> &setting) const
{
    const QVariant stored = m_store->value(QLatin1StringView(setting.path));
    if (stored.typeId() == QMetaType::QString)
        return stored.toString();
    return setting.defaultValue;
}

bool Settings::value(const Setting<bool> &setting) const
{
    const QVariant stored = m_store->value(QLatin1StringView(setting.path));
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    // The INI store gives back texts.
    const QString text = stored.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return setting.defaultValue;
}

template <typename T> void Settings::write(const Setting<T> &setting, const T &newValue)
{
    const T before = value(setting);
    m_store->setValue(QLatin1StringView(setting.path), newValue);
    if (value(setting) != before)
        emit changed(QString::fromLatin1(setting.path));
}

void Settings::setValue(const Setting<QString> &setting, const QString &value)
{
    write(setting, value);
}

void Settings::setFlag(const Setting<bool> &setting, bool on)
{
    write(setting, on);
}

bool Settings::sync()
{
    m_store->sync();
    // A format error is left over from reading a damaged store, which the write replaced.
    return m_store->status() != QSettings::AccessError;
}

} // namespace corvanta
