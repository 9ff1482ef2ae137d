#pragma once

#include <QString>
#include <QStringList>

namespace corvanta {

// Where the tool keeps its files and which servers it talks to. Built once at start from
// the command line and the environment; everything else asks this object.
struct AppConfig
{
    QString dataDir;    // class record file, daily logs, pending scores
    QString serverBase; // score server: scheme, host and port, no trailing "/"
    QString vendorBase; // vendor web site: scheme, host and port, no trailing "/"
    // Where teachers who registered no e-mail address turn for a new password.
    QString contactAddress;

    // Options: --data-dir DIR, --server URL, --vendor URL, --contact TEXT (also as
    // --opt=value). Environment: CORVANTA_DATA_DIR, CORVANTA_SERVER, CORVANTA_VENDOR,
    // CORVANTA_CONTACT. Defaults: the per-user application-data folder, the build's base
    // addresses and contact (when the build names none, the vendor site's host).
    // Unknown arguments are left for others (Qt's own options, for instance).
    static AppConfig fromArguments(const QStringList &arguments);

    // A file in the data folder.
    QString dataFile(const QString &name) const;
    // The class record file "ServerRec.cvd".
    QString recordFile() const;
    // Creates the data folder when missing; false when it cannot be made.
    bool ensureDataDir() const;
};

// "major.minor.revision" of the running program, as the status bar shows it.
QString programVersionText();

QString stripTrailingSlash(QString base);

} // namespace corvanta
