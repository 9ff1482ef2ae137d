#pragma once

#include <QString>

namespace corvanta {

// Who is logged in, for the life of the process; never written to disk.
struct LoginState
{
    static QString offlineUser() { return QStringLiteral("离线用户"); }

    QString LoginUser;   // account name, "离线用户", or empty before any login
    QString LoginDigest; // Md5Hex of the login password; kept by an offline login

    bool isOnline() const { return !LoginUser.isEmpty() && LoginUser != offlineUser(); }
};

} // namespace corvanta
