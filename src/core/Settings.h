#pragma once

#include <QObject>
#include <QString>

#include <concepts>
#include <memory>

class QSettings;

namespace corvanta {

// One setting: its path in the store, its type, and its value while none (or none readable)
// is stored.
template <typename T> struct Setting
{
    const char *path;
    T defaultValue;
};

// The tool's per-user settings store. Nothing else opens QSettings for them; a value that
// cannot be read, or a store that cannot, gives the setting's default.
class Settings : public QObject
{
    Q_OBJECT
public:
    // Every setting the tool keeps, one declaration each. Stores written by earlier versions
    // are read as they are: never change a path or the type of a stored value.
    // "|A|B": every account that logged in online.
    inline static const Setting<QString> Username{"Userinfo/Username", QString()};
    // The last account that logged in online.
    inline static const Setting<QString> LastlogUsername{"Userinfo/LastlogUsername", QString()};
    // Space, clicker, digits and Esc act on the main window.
    inline static const Setting<bool> ClassroomKeys{"Classroom/Keys", true};
    // The chosen student's name is read aloud.
    inline static const Setting<bool> ReadNames{"Classroom/ReadNames", false};
    // What Space and the clicker draw from: "fair" the fair draw always, "last" the pool of
    // the last draw button (the fair draw until one was pressed).
    inline static const Setting<QString> KeyDraw{"Classroom/KeyDraw", QStringLiteral("last")};
    // Why a drawn student was chosen shows under the name.
    inline static const Setting<bool> ShowWhyChosen{"Classroom/ShowWhy", true};

    // The names the store is filed under (also the application's own names).
    static QString organisationName();
    static QString applicationName();
    // Gives the running application those names; call before anything asks
    // QStandardPaths for a per-user folder.
    static void setApplicationNames();

    // Points every per-user and system store at a folder of its own, so a test neither
    // reads nor overwrites the real ones. Settings made afterwards use that folder.
    static void redirectForTests(const QString &folder);

    Settings();
    ~Settings() override;

    // A text: the default when the stored value is not a text.
    QString value(const Setting<QString> &setting) const;
    // A switch: the default when the stored value is neither true nor false.
    bool value(const Setting<bool> &setting) const;
    void setValue(const Setting<QString> &setting, const QString &value);
    void setValue(const Setting<bool> &setting, std::same_as<bool> auto on) { setFlag(setting, on); }
    // Writes pending changes to disk; false when the store could not be written.
    bool sync();

    // Calls onChange(newValue) each time a value set through this object changes the
    // setting's value, while `receiver` lives.
    template <typename T, typename F>
    QMetaObject::Connection watch(const Setting<T> &setting, const QObject *receiver, F onChange)
    {
        return connect(this, &Settings::changed, receiver, [this, setting, onChange](const QString &path) {
            if (path == QLatin1StringView(setting.path))
                onChange(value(setting));
        });
    }

signals:
    // A value set through this object changed the setting filed under `path`.
    void changed(const QString &path);

private:
    void setFlag(const Setting<bool> &setting, bool on);
    template <typename T> void write(const Setting<T> &setting, const T &newValue);

    std::unique_ptr<QSettings> m_store;
};

} // namespace corvanta
