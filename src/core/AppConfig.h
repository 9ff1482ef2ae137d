#pragma once

#include "core/OutsideRequest.h"

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
    // A wrong address, or a machine-wide settings file that cannot be read, one text each
    // naming where it came from. The tool then talks to no such site (the base stays empty)
    // rather than to a guessed one, and says so when it starts.
    QStringList addressProblems;
    // What a launcher made by the console passes on: the addresses given on the command line
    // or in the environment. Those from the machine-wide file or the build are read afresh at
    // each start, so a launcher follows the administrator's changes.
    QStringList launcherArguments;

    // Options: --data-dir DIR, --server URL, --vendor URL, --contact TEXT, --ca-file FILE
    // (also as --opt=value), --help, --version. Environment: CORVANTA_DATA_DIR,
    // CORVANTA_SERVER, CORVANTA_VENDOR, CORVANTA_CONTACT, CORVANTA_CA_FILE; an option
    // beats its variable, and an empty one counts as absent. The two addresses then come
    // from the machine-wide settings file (machineSettingsFile(machineRoot)), then from the
    // build. Defaults: the per-user application-data folder.
    // Requests for the running tool: --draw [POOL], --show, --hide, or a corvanta: address
    // as the only argument. Unknown options and any other argument are refused.
    // `arguments` starts with the program; Qt's own options (-platform ...) must already be
    // gone, as QApplication::arguments() leaves them.
    static CommandLineResult
    parseCommandLine(const QStringList &arguments,
                     const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
                     const QString &machineRoot = {});

    // Which score server the tool talks to, as the status bar and the login window say it:
    // "服务器:https://score.example.org", or that there is none.
    QString serverLabel() const;

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
    // What to hand to the running tool, or to do once this one has started.
    OutsideRequest request;
};

// "major.minor.revision" of the running program, as the status bar shows it.
QString programVersionText();

QString stripTrailingSlash(QString base);

} // namespace corvanta
