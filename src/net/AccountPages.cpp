#include "AccountPages.h"

#include "net/PagePaths.h"

#include <QRegularExpression>

namespace corvanta::account_pages {

bool isAccountNameText(const QString &text)
{
    // Anchored on the whole text: "$" alone would also let a final line break through.
    static const QRegularExpression rule(QRegularExpression::anchoredPattern(QStringLiteral("^[a-z0-9_]*$")),
                                         QRegularExpression::CaseInsensitiveOption);
    return rule.match(text).hasMatch();
}

bool isEmailAddress(const QString &text)
{
    // "\w" stays ASCII: no Unicode properties option.
    static const QRegularExpression rule(QRegularExpression::anchoredPattern(
        QStringLiteral(R"(^\w+([\-+.]\w+)*@\w+([\-.]\w+)*\.\w+([\-.]\w+)*$)")));
    return rule.match(text).hasMatch();
}

PageCall checkUsername(const QString &trimmedName)
{
    return PageCall::get(pages::kCheckUsername, FormFields().add(QStringLiteral("u"), trimmedName));
}

PageCall regTeacher(const Registration &r)
{
    return PageCall::post(pages::kRegTeacher,
                          FormFields()
                              .add(QStringLiteral("username"), r.username.trimmed())
                              .add(QStringLiteral("teachername"), r.teacherName.trimmed())
                              .add(QStringLiteral("password"), r.loginPassword.trimmed())
                              .add(QStringLiteral("superpassword"), r.operationPassword.trimmed())
                              .add(QStringLiteral("email"), r.email.trimmed())
                              .add(QStringLiteral("mb"), r.mobile.trimmed())
                              .add(QStringLiteral("tel"), r.phone.trimmed())
                              .add(QStringLiteral("qq"), r.qq.trimmed()));
}

PageCall getPswdCode(const QString &username, const QString &email)
{
    return PageCall::get(
        pages::kGetPswdCode,
        FormFields().add(QStringLiteral("username"), username).add(QStringLiteral("email"), email));
}

PageCall setPassword(const QString &username, const QString &checkCode, const QString &newLoginPassword,
                     const QString &newOperationPassword)
{
    return PageCall::post(pages::kSetPassword,
                          FormFields()
                              .add(QStringLiteral("username"), username)
                              .add(QStringLiteral("checkcode"), checkCode.trimmed())
                              .add(QStringLiteral("newpswd"), newLoginPassword.trimmed())
                              .add(QStringLiteral("newsuperpswd"), newOperationPassword.trimmed()));
}

} // namespace corvanta::account_pages
