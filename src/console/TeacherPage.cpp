#include "TeacherPage.h"

#include "console/ConsoleSession.h"
#include "net/ConsoleRequests.h"
#include "net/LoginState.h"
#include "net/Session.h"
#include "net/Wire.h"
#include "widgets/BusyGuard.h"
#include "widgets/Prompter.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace corvanta {

TeacherPage::TeacherPage(ConsoleSession &session, QWidget *parent)
    : ConsolePage(session, QStringLiteral("个人信息维护"), parent)
{
    addLabelledBoxes(this,
                     {{nameLabel, "Label8", "教师姓名：", nameEdit, "Text6"},
                      {accountLabel, "Label7", "登录帐号：", accountEdit, "Text7"},
                      {emailLabel, "Label23", "邮箱：", emailEdit, "Text11"},
                      {oldOperationLabel, "Label10", "原操作密码：", oldOperationEdit, "Text8"},
                      {newLoginLabel, "Label11", "新登录密码：", newLoginEdit, "Text9"},
                      {newOperationLabel, "Label12", "新操作密码：", newOperationEdit, "Text10"}},
                     {240, 1200, 1440, 2295, 480, 528});
    for (QLabel *label :
         {nameLabel, accountLabel, emailLabel, oldOperationLabel, newLoginLabel, newOperationLabel})
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLineEdit *password : {oldOperationEdit, newLoginEdit, newOperationEdit})
        maskPassword(password);
    nameEdit->setEnabled(false);
    accountEdit->setEnabled(false);
    emailHint =
        addLabel(this, QStringLiteral("Label24"), QStringLiteral("可修改"), twips(3840, 1551, 1455, 255));
    newLoginHint = addLabel(this, QStringLiteral("Label13"), QStringLiteral("如不修改请留空"),
                            twips(3840, 2607, 1455, 255));
    newOperationHint = addLabel(this, QStringLiteral("Label9"), QStringLiteral("如不修改请留空"),
                                twips(3840, 3135, 1455, 255));
    resetButton =
        addButton(this, QStringLiteral("Command14"), QStringLiteral("重置"), twips(2040, 3600, 975, 375));
    changeButton =
        addButton(this, QStringLiteral("Command13"), QStringLiteral("修改"), twips(3360, 3600, 975, 375));
    changeButton->setDefault(true); // Enter in the console sends the change

    connect(changeButton, &QPushButton::clicked, this, &TeacherPage::change);
    connect(resetButton, &QPushButton::clicked, this, &TeacherPage::reset);
}

void TeacherPage::fillPage()
{
    if (BusyGuard::isBusy(m_session.window()) || !readingAllowed())
        return;
    auto busy = beginWait();
    if (!busy)
        return;
    const LoginState &login = m_session.context().login;
    const auto reply = send(*busy, console_pages::getTeacher(login.LoginUser, login.LoginDigest));
    if (!reply)
        return;
    busy.reset();
    // Anything but the three lines leaves the boxes as they were; a refused login says so.
    const QString text = reply->status == 200 ? reply->text : QString();
    if (const auto info = console_pages::readTeacher(text)) {
        nameEdit->setText(info->name);
        accountEdit->setText(info->account);
        emailEdit->setText(info->email);
    } else if (console_pages::isLoginRefusal(text)) {
        tellReadMessage(text.trimmed());
    }
}

void TeacherPage::reset()
{
    oldOperationEdit->clear();
    newLoginEdit->clear();
    newOperationEdit->clear();
}

void TeacherPage::change()
{
    if (BusyGuard::isBusy(this))
        return;
    Prompter &prompter = m_session.context().prompter;
    if (nameEdit->text().isEmpty() || accountEdit->text().isEmpty()) {
        prompter.message(window(), QStringLiteral("错误"),
                         QStringLiteral("无法获取教师信息，暂时无法修改密码！"), PromptIcon::Critical);
        return;
    }
    if (oldOperationEdit->text().trimmed().isEmpty()) {
        prompter.message(window(), QStringLiteral("警告"), QStringLiteral("原操作密码必须填写！"),
                         PromptIcon::Warning);
        return;
    }
    const QString account = accountEdit->text();
    const QString newLogin = newLoginEdit->text().trimmed();
    const QString newOperation = newOperationEdit->text().trimmed();
    auto busy = beginWait();
    if (!busy)
        return;
    const auto reply =
        send(*busy, console_pages::setTeacher(account, emailEdit->text().trimmed(),
                                              oldOperationEdit->text().trimmed(), newLogin, newOperation));
    if (!reply)
        return;
    busy.reset();
    const ReplyNotice notice = console::consoleReply(
        *reply, ReplyKind::Settings, QStringLiteral("操作成功！"), QStringLiteral("操作失败！"));
    Session &session = m_session.context().session;
    // The session follows the new passwords at once: the reading pages identify the teacher
    // by the login password's digest, and every change sends the operation password.
    if (notice.outcome == ReplyOutcome::Accepted && account == session.login().LoginUser) {
        if (!newLogin.isEmpty())
            session.setLoginDigest(Md5Hex(newLogin));
        if (!newOperation.isEmpty())
            session.setOperationPassword(newOperation);
    }
    tellNotice(notice, nullptr);
}

} // namespace corvanta
