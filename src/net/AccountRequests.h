#pragma once

#include "net/PageCall.h"

// Requests to the account pages: the name check, registration, the check code and the password reset,
// with the account-name and e-mail rules both the tool and the server apply.
namespace corvanta::account_pages {

// The replies these pages are read by.
inline const QString kNameFree = QStringLiteral("√");
inline const QString kRegistered = QStringLiteral("Success!");
inline const QString kResetSuccess = QStringLiteral("success");
inline const QString kResetFailure = QStringLiteral("failure");

// Only a to z (either case), 0 to 9 and "_"; the empty text passes.
bool isAccountNameText(const QString &text);
// The shortest account name, counted after trimming blanks.
inline constexpr int kMinAccountName = 4;
// The whole text must be an address: word characters (ASCII letters, digits, "_") in
// parts joined by "-", "+" or "." before the "@", by "-" or "." after it, and at least one
// "." in the domain. Nothing around it, not even a blank or a line break.
bool isEmailAddress(const QString &text);

// Is this name free? (GET; the reply is shown as it comes, "√" when free.)
PageCall checkUsername(const QString &trimmedName);

struct Registration
{
    QString username;
    QString teacherName;
    QString loginPassword;
    QString operationPassword;
    QString email;
    QString mobile;
    QString phone;
    QString qq;
};
// A new teacher account (POST). Every value trimmed; the passwords as typed, not digested.
// Success word "Success!".
PageCall regTeacher(const Registration &r);

// Mail a check code to the account's address (GET, both values as given). Replies
// "success" or "failure".
PageCall getPswdCode(const QString &username, const QString &email);

// New login and/or operation password for the check code (POST: they never travel in an
// address). An empty new password leaves that password as it is. Replies "success" or
// "failure".
PageCall setPassword(const QString &username, const QString &checkCode, const QString &newLoginPassword,
                     const QString &newOperationPassword);

} // namespace corvanta::account_pages
