#include "Pages.h"
#include "Routes.h"

#include "net/AccountRequests.h"
#include "net/Wire.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <functional>

namespace corvanta::server::account {

namespace {

using account_pages::kResetFailure;
using account_pages::kResetSuccess;

bool validAccountName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_]{4,64}$"));
    return pattern.match(name).hasMatch();
}

QString checkCodeHash(const QString &code)
{
    return QString::fromLatin1(QCryptographicHash::hash(code.toUtf8(), QCryptographicHash::Sha256).toHex());
}

// Both check-code pages count against one lock per account and address (a stranger's
// guesses do not lock the teacher's reset), so guessing by either is bounded. The check does
// not run while locked (taking a code uses it up). A lock-out is said as such: "failure"
// would send the teacher back to retyping a code that is right.
Result checkCodeAttempt(const PageContext &call, const Teacher &teacher, const std::function<bool()> &check)
{
    const QString &address = call.request.clientAddress;
    if (Result unlocked = call.service.lockOf(Secret::CheckCode, teacher, address); !unlocked)
        return unlocked;
    if (!check()) {
        call.service.recordFailure(Secret::CheckCode, teacher, address);
        return Result::failure(kResetFailure);
    }
    return Result::success();
}

MailMessage checkCodeMail(const QString &from, const Teacher &teacher, const QString &code)
{
    MailMessage message;
    message.from = from;
    message.to = teacher.email;
    message.subject = QStringLiteral("Corvanta 重置密码验证码");
    message.body =
        QStringLiteral("%1：\r\n\r\n您的帐号 %2 的重置密码验证码是：%3\r\n\r\n"
                       "验证码15分钟内有效，只能使用一次。如果不是您本人的操作，请忽略本邮件。\r\n")
            .arg(teacher.addressed(), teacher.account, code);
    return message;
}

} // namespace

PageReply checkPassword(const PageContext &)
{
    return accepted(); // the route has checked the login password
}

PageReply regTeacher(const PageContext &call)
{
    const auto trimmed = [&](const char *name) { return call.field(name).trimmed(); };
    const QString account = trimmed(field::kUsername);
    // The operation password's slow hash makes registrations the dearest page: one address
    // gets a few a minute (requests made in-process name no address).
    bool daily = false;
    if (!call.request.clientAddress.isEmpty() &&
        !call.service.allowRegistration(call.request.clientAddress, &daily))
        return refused(
            daily ? QStringLiteral("从这个网络地址注册的帐号今天已达服务器规定的 %1 个，请明天再试！")
                        .arg(call.service.limits().registrationsPerDay)
                  : QStringLiteral("注册过于频繁，请一分钟后再试！"),
            account);
    if (!validAccountName(account))
        return refused(QStringLiteral("帐号只能由字母、数字和下划线组成，至少4位！"), account);
    Teacher t;
    t.account = account;
    t.name = trimmed(field::kTeacherName);
    t.email = trimmed(field::kEmail);
    t.mobile = trimmed(field::kMobile);
    t.phone = trimmed(field::kPhone);
    t.qq = trimmed(field::kQq);
    if (t.name.isEmpty())
        return refused(QStringLiteral("请输入教师姓名！"), account);
    if (!isValidEmail(t.email))
        return refused(QStringLiteral("Email地址不正确！"), account);
    const QString login = trimmed(field::kPassword);
    const QString operation = trimmed(field::kSuperPassword);
    if (login.isEmpty())
        return refused(QStringLiteral("请输入登录密码！"), account);
    if (operation.isEmpty())
        return refused(QStringLiteral("请输入操作密码！"), account);
    for (const QString &text : {t.name, t.mobile, t.phone, t.qq}) {
        if (!isStorableText(text) || text.size() > 100)
            return refused(QStringLiteral("填写的内容含有不允许的字符或过长！"), account);
    }
    if (call.store().teacherByAccount(account))
        return refused(QStringLiteral("该帐号已被注册！"), account);
    t.loginVerifier = hashLoginVerifier(Md5Hex(login));
    t.operationHash = hashOperationPassword(operation);
    if (call.store().createTeacher(t) != StoreResult::Done)
        return refused(QStringLiteral("该帐号已被注册！"), account);
    PageReply reply = accepted();
    reply.account = account;
    return reply;
}

PageReply checkUsername(const PageContext &call)
{
    const QString name = call.field(field::kWishedName).trimmed();
    PageReply reply;
    if (!account_pages::isAccountNameText(name))
        reply = refused(QStringLiteral("非法字符"));
    else if (name.size() < account_pages::kMinAccountName)
        reply = refused(QStringLiteral("4位以上字母数字_"));
    else if (!validAccountName(name))
        reply = refused(QStringLiteral("帐号过长"));
    else if (call.store().teacherByAccount(name))
        reply = refused(QStringLiteral("该帐号已被注册"));
    else
        reply = PageReply::text(account_pages::kNameFree);
    reply.account = name;
    return reply;
}

PageReply getPswdCode(const PageContext &call)
{
    const QString account = call.field(field::kUsername).trimmed();
    const QString email = call.field(field::kEmail).trimmed();
    const std::optional<Teacher> teacher = call.store().teacherByAccount(account);
    if (!teacher)
        return refused(kResetFailure, account);
    if (Result attempt = checkCodeAttempt(call, *teacher, [&] {
            return !email.isEmpty() && email.compare(teacher->email, Qt::CaseInsensitive) == 0;
        });
        !attempt)
        return refused(attempt.error(), teacher->account);
    // One code a minute and ten a day for an account: beyond, nothing is mailed, and the
    // teacher reads why (not "failure", which says the account or e-mail is wrong).
    bool dailyLimit = false;
    if (!call.store().countCheckCode(teacher->id, call.service.now(), &dailyLimit))
        return refused(dailyLimit ? QStringLiteral("今天发送的验证码已达上限，请明天再试！")
                                  : QStringLiteral("验证码发送过于频繁，请一分钟后再试！"),
                       teacher->account);
    const QString code =
        QStringLiteral("%1").arg(QRandomGenerator::system()->bounded(1000000), 6, 10, QLatin1Char('0'));
    call.store().putCheckCode(teacher->id, checkCodeHash(code),
                              call.service.now() + ScoreService::kCheckCodeSeconds);
    QString error;
    PageReply reply =
        call.service.mailer().send(checkCodeMail(call.service.mailFrom(), *teacher, code), &error)
            ? accepted(kResetSuccess)
            : PageReply::text(QStringLiteral("邮件发送失败"), QStringLiteral("failed: ") + error);
    reply.account = teacher->account;
    return reply;
}

PageReply setPassword(const PageContext &call)
{
    const QString account = call.field(field::kUsername).trimmed();
    const QString code = call.field(field::kCheckCode).trimmed();
    const QString newLogin = call.field(field::kNewPswd).trimmed();
    const QString newOperation = call.field(field::kNewSuperPswd).trimmed();
    const std::optional<Teacher> teacher = call.store().teacherByAccount(account);
    if (!teacher || code.isEmpty() || (newLogin.isEmpty() && newOperation.isEmpty()))
        return refused(kResetFailure, account);
    if (Result attempt = checkCodeAttempt(call, *teacher, [&] {
            return call.store().takeCheckCode(teacher->id, checkCodeHash(code), call.service.now());
        });
        !attempt)
        return refused(attempt.error(), teacher->account);
    call.service.recordSuccess(Secret::CheckCode, *teacher, call.request.clientAddress);
    call.store().updateTeacher(
        teacher->id, std::nullopt, call.service.newLoginVerifier(*teacher, newLogin),
        newOperation.isEmpty() ? std::nullopt : std::optional(hashOperationPassword(newOperation)));
    // A new password also ends the pause of the old one's checks.
    for (const Secret secret : {Secret::Login, Secret::Operation})
        call.service.clearPasswordFailures(secret, *teacher, call.request.clientAddress);
    PageReply reply = accepted(kResetSuccess);
    reply.account = teacher->account;
    return reply;
}

QList<Route> routes()
{
    return {
        {page::kCheckPassword, &checkPassword},
        // Two slow hashes each: a flood of registrations waits on the heavy threads (all of
        // them share one place in that queue), not on the request threads uploads need.
        {page::kRegTeacher, &regTeacher, kHeavy},
        {page::kCheckUsername, &checkUsername},
        {page::kGetPswdCode, &getPswdCode},
        {page::kSetPassword, &setPassword},
    };
}

} // namespace corvanta::server::account
