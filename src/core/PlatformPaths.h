#pragma once

#include <QString>

// Where Linux and Windows keep what the tool looks for outside its own folders: one file per
// platform (PlatformPaths_unix.cpp, PlatformPaths_win.cpp).
namespace corvanta {

// The machine-wide settings file under `root` (empty: this computer; tests give a folder of
// their own). Linux: ROOT/etc/corvanta/corvanta.conf. Windows: corvanta.ini beside
// corvanta.exe, or ROOT/corvanta.ini.
QString machineSettingsFile(const QString &root = {});

// The local socket (Windows: pipe) on which this user's running tool takes requests; no other
// user of the computer reaches it.
QString instanceSocketName();

} // namespace corvanta
