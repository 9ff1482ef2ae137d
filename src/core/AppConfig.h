#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace corvanta {

struct CommandLineResult;

// Where the tool keeps its files and which servers it talks to. Built once at start from
// the command line and the environment; everything else asks this object.
struct AppConfig
{
    QString dataDir;    // class record file, daily logs, pending scores
    QString serverBase; // score server: scheme, host and port, no trailing "/"
    QString vendorBase; // vendor web site: scheme, host and port, no trailing "/"
    // Where teachers who registered no e-mail address turn for a new password.
    QString contactAddress;
    // A PEM file of certificate authorities trusted besides the system's (a school's own,
    // for an https:// server); empty for none.
    QString caFile;

    // Options: --data-dir DIR, --server URL, --vendor URL, --contact TEXT, --ca-file FILE
    // (also as --opt=value), --help, --version. Environment: CORVANTA_DATA_DIR,
    // CORVANTA_SERVER, CORVANTA_VENDOR, CORVANTA_CONTACT, CORVANTA_CA_FILE; an option
    // beats its variable, and an empty one counts as absent. Defaults: the per-user
    // application-data folder and the build's base addresses. Unknown options and any other
    // argument are refused. `arguments` starts with the program; Qt's own options
    // (-platform ...) must already be gone, as QApplication::arguments() leaves them.
    static CommandLineResult
    parseCommandLine(const QStringList &arguments,
                     const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

    // A file in the data folder.
    QString dataFile(const QString &name) const;
    // The class record file "ServerRec.cvd".
    QString recordFile() const;
    // Creates the data folder when missing; false when it cannot be made.
    bool ensureDataDir() const;
};

// What the command line asks for: run with `config`, or print `text` and end the program
// with `exitCode` (0 for --help and --version, on standard output; 2 for refused
// arguments, on standard error).
struct CommandLineResult
{
    AppConfig config;
    bool run = true;
    QString text;
    int exitCode = 0;
};

// "major.minor.revision" of the running program, as the status bar shows it.
QString programVersionText();

QString stripTrailingSlash(QString base);

} // namespace corvanta
