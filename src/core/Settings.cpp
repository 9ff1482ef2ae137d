#include "Settings.h"

#include <QCoreApplication>
#include <QSettings>

#include <array>

namespace corvanta {

namespace {

struct KeyRow
{
    Settings::Key key;
    const char *path;
    QVariant defaultValue;
};

// The saved account names are texts that are empty when absent; the classroom switches are
// flags.
const std::array<KeyRow, Settings::KeyCount> &keyTable()
{
    static const std::array<KeyRow, Settings::KeyCount> table{{
        {Settings::Key::Username, "Userinfo/Username", QString()},
        {Settings::Key::LastlogUsername, "Userinfo/LastlogUsername", QString()},
        {Settings::Key::ClassroomKeys, "Classroom/Keys", true},
        {Settings::Key::ReadNames, "Classroom/ReadNames", false},
        {Settings::Key::KeyDraw, "Classroom/KeyDraw", QStringLiteral("last")},

        {Settings::Key::ShowWhyChosen, "Classroom/ShowWhy", true},
    }};
    return table;
}

const KeyRow &row(Settings::Key key)
{
    const auto index = static_cast<std::size_t>(key);
    Q_ASSERT(index < keyTable().size() && keyTable()[index].key == key);
    return keyTable()[index];
}

} // namespace

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

QString Settings::path(Key key)
{
    return QString::fromLatin1(row(key).path);
}

QVariant Settings::defaultValue(Key key)
{
    return row(key).defaultValue;
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

QVariant Settings::value(Key key) const
{
    return m_store->value(path(key), defaultValue(key));
}

QString Settings::text(Key key) const
{
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::QString)
        return stored.toString();
    return defaultValue(key).toString();
}

bool Settings::flag(Key key) const
{
    const QVariant stored = value(key);
    if (stored.typeId() == QMetaType::Bool)
        return stored.toBool();
    // The INI store gives back texts.
    const QString text = stored.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return defaultValue(key).toBool();
}

void Settings::setValue(Key key, const QVariant &value)
{
    m_store->setValue(path(key), value);
}

bool Settings::sync()
{
    m_store->sync();
    // A format error is left over from reading a damaged store, which the write replaced.
    return m_store->status() != QSettings::AccessError;
}

} // namespace corvanta
