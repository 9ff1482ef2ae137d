#pragma once

#include <QString>

#include <optional>

// What the registration and password-reset windows decide from their boxes alone.
namespace corvanta::account_rules {

inline const QString kBadCharacters = QStringLiteral("非法字符");
inline const QString kNameHint = QStringLiteral("4位以上字母数字_");
inline const QString kChecking = QStringLiteral("正在检查用户名是否可用...");

// The account box as typed: what the status shows at once, and whether the server is to
// be asked about the trimmed name.
struct NameCheckStart
{
    QString status;
    bool askServer = false;
};
NameCheckStart startNameCheck(const QString &typed);

// The boxes of the registration checked in order; the first problem wins.
enum class RegistrationBox { TeacherName, Email, LoginPassword, OperationPassword };
struct RegistrationProblem
{
    QString message;
    RegistrationBox focus;
};
std::optional<RegistrationProblem> registrationProblem(const QString &teacherName, const QString &email,
                                                       const QString &loginPassword,
                                                       const QString &operationPassword);

// The two buttons of the reset window.
struct ResetInputs
{
    QString account;
    QString email;
    QString checkCode;
    bool newLogin = false;
    QString loginPassword;
    bool newOperation = false;
    QString operationPassword;
};
struct ResetButtons
{
    bool sendCode = false; // "发送验证码"
    bool reset = false;    // "重置密码"
};
ResetButtons resetButtons(const ResetInputs &in);

} // namespace corvanta::account_rules
