#pragma once

#include "core/Settings.h"

#include <QString>
#include <QStringList>

namespace corvanta {

// Account names that logged in online on this computer, kept in two keys of the settings
// store: "Username" holds "|A|B" in order of first login, "LastlogUsername" the last one.
// A store that cannot be read counts as empty.
class SavedNames
{
public:
    static QString organisationName() { return Settings::organisationName(); }
    static QString applicationName() { return Settings::applicationName(); }

    QString usernameValue() const;
    QString lastLogin() const;
    // The non-empty elements of "Username", in order.
    QStringList names() const;

    // After an online login: adds the name unless it is there already (exact,
    // case-sensitive), and makes it the last one.
    void remember(const QString &name);
    // Both keys saved as empty texts.
    void clear();
};

} // namespace corvanta
