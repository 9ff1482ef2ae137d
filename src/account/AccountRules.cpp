#include "AccountRules.h"

#include "net/AccountRequests.h"
#include "net/OutgoingText.h"

namespace corvanta::account_rules {

NameCheckStart startNameCheck(const QString &typed)
{
    // The character rule looks at the text as typed: a blank is a bad character too.
    if (!account_pages::isAccountNameText(typed))
        return {kBadCharacters, false};
    if (typed.trimmed().size() < account_pages::kMinAccountName)
        return {kNameHint, false};
    return {kChecking, true};
}

std::optional<RegistrationProblem> registrationProblem(const QString &teacherName, const QString &email,
                                                       const QString &loginPassword,
                                                       const QString &operationPassword)
{
    if (teacherName.trimmed().isEmpty())
        return RegistrationProblem{QStringLiteral("请输入教师姓名！"), RegistrationBox::TeacherName};
    if (const Result sendable = outgoing::checkText(teacherName, outgoing::TextKind::Name); !sendable)
        return RegistrationProblem{sendable.error(), RegistrationBox::TeacherName};
    if (email.isEmpty())
        return RegistrationProblem{QStringLiteral("请输入Email地址！"), RegistrationBox::Email};
    // The address as typed: blanks around it make it wrong, they are not trimmed away.
    if (!account_pages::isEmailAddress(email))
        return RegistrationProblem{QStringLiteral("Email地址不正确！"), RegistrationBox::Email};
    if (loginPassword.trimmed().isEmpty())
        return RegistrationProblem{QStringLiteral("请输入登录密码！"), RegistrationBox::LoginPassword};
    if (operationPassword.trimmed().isEmpty())
        return RegistrationProblem{QStringLiteral("请输入操作密码！"), RegistrationBox::OperationPassword};
    return std::nullopt;
}

ResetButtons resetButtons(const ResetInputs &in)
{
    const auto filled = [](const QString &text) { return !text.trimmed().isEmpty(); };
    ResetButtons out;
    out.sendCode = filled(in.account) && filled(in.email);
    out.reset = filled(in.account) && filled(in.checkCode) && (in.newLogin || in.newOperation) &&
                (!in.newLogin || filled(in.loginPassword)) &&
                (!in.newOperation || filled(in.operationPassword));
    return out;
}

} // namespace corvanta::account_rules
