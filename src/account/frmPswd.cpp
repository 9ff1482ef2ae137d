#include "frmPswd.h"

#include "account/AccountRules.h"
#include "account/FormControls.h"
#include "core/AppConfig.h"
#include "net/AccountRequests.h"
#include "net/ServerLink.h"
#include "widgets/BusyGuard.h"
#include "widgets/Prompter.h"
#include "widgets/Twips.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace corvanta {

namespace {

namespace fc = form_controls;

const QString kEmailCaption = QStringLiteral("Email:");

} // namespace

frmPswd::frmPswd(AppContext &context, QWidget *parent) : AccountWindow(parent), m_context(context)
{
    buildControls();
    Form_Load();
}

frmPswd::~frmPswd() = default;

void frmPswd::buildControls()
{
    setObjectName(QStringLiteral("frmPswd"));
    setWindowTitle(QStringLiteral("重置密码"));
    setFixedSize(twips(0, 0, 5550, 4260).size());

    accountLabel =
        fc::label(this, QStringLiteral("Label1"), QStringLiteral("帐号:"), twips(240, 270, 900, 270));
    accountEdit = fc::box(this, QStringLiteral("Text1"), twips(1200, 240, 2655, 300));
    accountEdit->setPlaceholderText(QStringLiteral("请输入你的登陆帐号"));
    emailLabel = fc::label(this, QStringLiteral("Label2"), kEmailCaption, twips(240, 750, 900, 270));
    emailEdit = fc::box(this, QStringLiteral("Text2"), twips(1200, 720, 2655, 300));
    emailEdit->setPlaceholderText(QStringLiteral("请输入注册时填写的Email"));
    sendCodeButton = fc::button(this, QStringLiteral("Command3"), QStringLiteral("发送验证码"),
                                twips(3975, 690, 1335, 360));
    codeLabel =
        fc::label(this, QStringLiteral("Label3"), QStringLiteral("验证码:"), twips(240, 1230, 900, 270));
    codeEdit = fc::box(this, QStringLiteral("TxtCheckCode"), twips(1200, 1200, 2655, 300));
    loginPasswordCheck =
        fc::check(this, QStringLiteral("Check1"), QStringLiteral("登录密码"), twips(240, 1680, 1335, 300));
    loginPasswordEdit = fc::passwordBox(this, QStringLiteral("Text3"), twips(1620, 1680, 2235, 300));
    operationPasswordCheck =
        fc::check(this, QStringLiteral("Check2"), QStringLiteral("操作密码"), twips(240, 2160, 1335, 300));
    operationPasswordEdit = fc::passwordBox(this, QStringLiteral("Text4"), twips(1620, 2160, 2235, 300));
    resetButton = fc::button(this, QStringLiteral("Command1"), QStringLiteral("重置密码"),
                             twips(1200, 2700, 1335, 420));
    backButton =
        fc::button(this, QStringLiteral("Command2"), QStringLiteral("返回"), twips(2880, 2700, 1335, 420));
    contactLabel = fc::label(this, QStringLiteral("Label4"),
                             QStringLiteral("注册时没有填写Email的用户，请与维护人员联系重置密码：") +
                                 m_context.config.contactAddress,
                             twips(240, 3300, 5070, 720));
    contactLabel->setWordWrap(true);
    contactLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    setTabOrder(accountEdit, emailEdit);
    setTabOrder(emailEdit, sendCodeButton);
    setTabOrder(sendCodeButton, codeEdit);
    setTabOrder(codeEdit, loginPasswordCheck);
    setTabOrder(loginPasswordCheck, loginPasswordEdit);
    setTabOrder(loginPasswordEdit, operationPasswordCheck);
    setTabOrder(operationPasswordCheck, operationPasswordEdit);
    setTabOrder(operationPasswordEdit, resetButton);
    setTabOrder(resetButton, backButton);

    for (QLineEdit *box : {accountEdit, emailEdit, loginPasswordEdit, operationPasswordEdit, codeEdit})
        connect(box, &QLineEdit::textChanged, this, &frmPswd::updateResetButtons);
    connect(loginPasswordCheck, &QCheckBox::clicked, this, &frmPswd::loginPasswordChecked);
    connect(operationPasswordCheck, &QCheckBox::clicked, this, &frmPswd::operationPasswordChecked);
    connect(sendCodeButton, &QPushButton::clicked, this, &frmPswd::sendCodeClicked);
    connect(resetButton, &QPushButton::clicked, this, &frmPswd::resetClicked);
    connect(backButton, &QPushButton::clicked, this, &frmPswd::backToLogin);
}

void frmPswd::Form_Load()
{
    for (QLineEdit *box : {accountEdit, emailEdit, loginPasswordEdit, operationPasswordEdit, codeEdit})
        box->clear();
    loginPasswordCheck->setChecked(false);
    operationPasswordCheck->setChecked(false);
    loginPasswordEdit->setVisible(false);
    operationPasswordEdit->setVisible(false);
    emailLabel->setText(kEmailCaption);
    resetButton->setEnabled(false);
    sendCodeButton->setEnabled(false);
}

QList<QWidget *> frmPswd::inputs() const
{
    return {accountEdit,        emailEdit,         sendCodeButton,         codeEdit,
            loginPasswordCheck, loginPasswordEdit, operationPasswordCheck, operationPasswordEdit,
            resetButton,        backButton};
}

void frmPswd::updateResetButtons()
{
    // While a request waits its guard holds the buttons; they get their state after it.
    if (BusyGuard::isBusy(this))
        return;
    const account_rules::ResetButtons state = account_rules::resetButtons({
        .account = accountEdit->text(),
        .email = emailEdit->text(),
        .checkCode = codeEdit->text(),
        .newLogin = loginPasswordCheck->isChecked(),
        .loginPassword = loginPasswordEdit->text(),
        .newOperation = operationPasswordCheck->isChecked(),
        .operationPassword = operationPasswordEdit->text(),
    });
    sendCodeButton->setEnabled(state.sendCode);
    resetButton->setEnabled(state.reset);
}

void frmPswd::loginPasswordChecked()
{
    loginPasswordEdit->setVisible(loginPasswordCheck->isChecked());
    updateResetButtons();
}

void frmPswd::operationPasswordChecked()
{
    operationPasswordEdit->setVisible(operationPasswordCheck->isChecked());
    updateResetButtons();
}

void frmPswd::sendCodeClicked()
{
    if (BusyGuard::isBusy(this))
        return;
    const QString email = emailEdit->text();
    BusyGuard busy(this, inputs());
    const auto reply =
        sendAndWait(busy, m_context.link, account_pages::getPswdCode(accountEdit->text(), email));
    if (!reply)
        return;
    busy.release();
    const QString text = reply->status == 200 ? reply->text : QString();
    if (text == account_pages::kResetSuccess) {
        m_context.prompter.message(this, QStringLiteral("请查收"),
                                   QStringLiteral("验证码已经发送到您的邮箱:") + email,
                                   PromptIcon::Information);
    } else if (text == account_pages::kResetFailure) {
        m_context.prompter.message(this, QStringLiteral("请重试"),
                                   QStringLiteral("用户名或者Email有误，请查证后重试！"),
                                   PromptIcon::Warning);
    } else if (!text.isEmpty()) {
        // The server's own reason (a lock-out, a mail that could not be sent), not a
        // connection problem.
        m_context.prompter.message(this, QStringLiteral("错误"), text, PromptIcon::Warning);
    } else {
        m_context.prompter.message(this, QStringLiteral("错误"), QStringLiteral("无法连接到服务器"),
                                   PromptIcon::Critical);
    }
    updateResetButtons();
}

void frmPswd::resetClicked()
{
    if (BusyGuard::isBusy(this))
        return;
    const PageCall call = account_pages::setPassword(
        accountEdit->text(), codeEdit->text(),
        loginPasswordCheck->isChecked() ? loginPasswordEdit->text() : QString(),
        operationPasswordCheck->isChecked() ? operationPasswordEdit->text() : QString());
    BusyGuard busy(this, inputs());
    const auto sent = sendAndWait(busy, m_context.link, call);
    if (!sent)
        return;
    busy.release();
    const HttpResult &reply = *sent;
    switch (reply.outcome(account_pages::kResetSuccess)) {
    case ReplyOutcome::Accepted:
        m_context.prompter.message(this, QStringLiteral("成功"), QStringLiteral("密码修改成功！"),
                                   PromptIcon::Information);
        break;
    case ReplyOutcome::Rejected:
        // Anything but "failure" (a lock-out, say) is the server's reason, shown as it is.
        m_context.prompter.message(
            this, QStringLiteral("错误"),
            reply.text == account_pages::kResetFailure ? QStringLiteral("验证码错误，请重试！") : reply.text,
            PromptIcon::Warning);
        break;
    case ReplyOutcome::Failed:
        emailLabel->setText(QStringLiteral("网络异常！"));
        m_context.prompter.message(this, QStringLiteral("错误"), QStringLiteral("网络异常！"),
                                   PromptIcon::Warning);
        break;
    }
    updateResetButtons();
}

void frmPswd::forgetSecrets()
{
    loginPasswordEdit->clear();
    operationPasswordEdit->clear();
}

} // namespace corvanta
