#include "AccountRequests.h"

#include "net/PageDescriptor.h"

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
    return page::kCheckUsername.call({trimmedName});
}

PageCall regTeacher(const Registration &r)
{
    return page::kRegTeacher.call({r.username.trimmed(), r.teacherName.trimmed(), r.loginPassword.trimmed(),
                                   r.operationPassword.trimmed(), r.email.trimmed(), r.mobile.trimmed(),
                                   r.phone.trimmed(), r.qq.trimmed()});
}

PageCall getPswdCode(const QString &username, const QString &email)
{
    return page::kGetPswdCode.call({username, email});
}

PageCall setPassword(const QString &username, const QString &checkCode, const QString &newLoginPassword,
                     const QString &newOperationPassword)
{
    return page::kSetPassword.call(
        {username, checkCode.trimmed(), newLoginPassword.trimmed(), newOperationPassword.trimmed()});
}

} // namespace corvanta::account_pages
