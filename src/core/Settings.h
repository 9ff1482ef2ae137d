#pragma once

#include <QString>
#include <QVariant>

#include <memory>

class QSettings;

namespace corvanta {

// The tool's per-user settings store. Every key it keeps is a row of one table (path in
// the store and default); nothing else opens QSettings, so a new setting is one new row.
// A store or value that cannot be read gives the key's default.
class Settings
{
public:
    enum class Key {
        Username,        // "Userinfo/Username": "|A|B", every account that logged in online
        LastlogUsername, // "Userinfo/LastlogUsername": the last account that logged in online
        ClassroomKeys,   // "Classroom/Keys": Space, clicker, digits and Esc act on the main window (on)
        ReadNames,       // "Classroom/ReadNames": the chosen student's name is read aloud (off)
        KeyDraw,         // "Classroom/KeyDraw": what Space and the clicker draw from: "fair" the fair
                         // draw always, "last" the pool of the last draw button (the fair draw
                         // until one was pressed) ("last")
        ShowWhyChosen,   // "Classroom/ShowWhy": why a drawn student was chosen shows under the name (on)
    };
    static constexpr int KeyCount = 6;

    // The names the store is filed under (also the application's own names).
    static QString organisationName();
    static QString applicationName();
    // Gives the running application those names; call before anything asks
    // QStandardPaths for a per-user folder.
    static void setApplicationNames();

    static QString path(Key key);
    static QVariant defaultValue(Key key);

    // Points every per-user and system store at a folder of its own, so a test neither
    // reads nor overwrites the real ones. Settings made afterwards use that folder.
    static void redirectForTests(const QString &folder);

    Settings();
    ~Settings();
    Settings(const Settings &) = delete;
    Settings &operator=(const Settings &) = delete;

    QVariant value(Key key) const;
    // The value as text; the default when the stored value is not a text.
    QString text(Key key) const;
    // The value as a switch; the default when the stored value is neither true nor false.
    bool flag(Key key) const;
    void setValue(Key key, const QVariant &value);
    // Writes pending changes to disk; false when the store could not be written.
    bool sync();

private:
    std::unique_ptr<QSettings> m_store;
};

} // namespace corvanta
