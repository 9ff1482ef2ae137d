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

    Label1 = fc::label(this, QStringLiteral("Label1"), QStringLiteral("帐号:"), twips(240, 270, 900, 270));
    Text1 = fc::box(this, QStringLiteral("Text1"), twips(1200, 240, 2655, 300));
    Text1->setPlaceholderText(QStringLiteral("请输入你的登陆帐号"));
    Label2 = fc::label(this, QStringLiteral("Label2"), kEmailCaption, twips(240, 750, 900, 270));
    Text2 = fc::box(this, QStringLiteral("Text2"), twips(1200, 720, 2655, 300));
    Text2->setPlaceholderText(QStringLiteral("请输入注册时填写的Email"));
    Command3 = fc::button(this, QStringLiteral("Command3"), QStringLiteral("发送验证码"),
                          twips(3975, 690, 1335, 360));
    Label3 = fc::label(this, QStringLiteral("Label3"), QStringLiteral("验证码:"), twips(240, 1230, 900, 270));
    TxtCheckCode = fc::box(this, QStringLiteral("TxtCheckCode"), twips(1200, 1200, 2655, 300));
    Check1 =
        fc::check(this, QStringLiteral("Check1"), QStringLiteral("登录密码"), twips(240, 1680, 1335, 300));
    Text3 = fc::passwordBox(this, QStringLiteral("Text3"), twips(1620, 1680, 2235, 300));
    Check2 =
        fc::check(this, QStringLiteral("Check2"), QStringLiteral("操作密码"), twips(240, 2160, 1335, 300));
    Text4 = fc::passwordBox(this, QStringLiteral("Text4"), twips(1620, 2160, 2235, 300));
    Command1 = fc::button(this, QStringLiteral("Command1"), QStringLiteral("重置密码"),
                          twips(1200, 2700, 1335, 420));
    Command2 =
        fc::button(this, QStringLiteral("Command2"), QStringLiteral("返回"), twips(2880, 2700, 1335, 420));
    Label4 = fc::label(this, QStringLiteral("Label4"),
                       QStringLiteral("注册时没有填写Email的用户，请与维护人员联系重置密码：") +
                           m_context.config.contactAddress,
                       twips(240, 3300, 5070, 720));
    Label4->setWordWrap(true);
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Command3);
    setTabOrder(Command3, TxtCheckCode);
    setTabOrder(TxtCheckCode, Check1);
    setTabOrder(Check1, Text3);
    setTabOrder(Text3, Check2);
    setTabOrder(Check2, Text4);
    setTabOrder(Text4, Command1);
    setTabOrder(Command1, Command2);

    for (QLineEdit *box : {Text1, Text2, Text3, Text4, TxtCheckCode})
        connect(box, &QLineEdit::textChanged, this, &frmPswd::UpdateResetButtons);
    connect(Check1, &QCheckBox::clicked, this, &frmPswd::Check1_Click);
    connect(Check2, &QCheckBox::clicked, this, &frmPswd::Check2_Click);
    connect(Command3, &QPushButton::clicked, this, &frmPswd::Command3_Click);
    connect(Command1, &QPushButton::clicked, this, &frmPswd::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmPswd::backToLogin);
}

void frmPswd::Form_Load()
{
    for (QLineEdit *box : {Text1, Text2, Text3, Text4, TxtCheckCode})
        box->clear();
    Check1->setChecked(false);
    Check2->setChecked(false);
    Text3->setVisible(false);
    Text4->setVisible(false);
    Label2->setText(kEmailCaption);
    Command1->setEnabled(false);
    Command3->setEnabled(false);
}

QList<QWidget *> frmPswd::inputs() const
{
    return {Text1, Text2, Command3, TxtCheckCode, Check1, Text3, Check2, Text4, Command1, Command2};
}

void frmPswd::UpdateResetButtons()
{
    // While a request waits its guard holds the buttons; they get their state after it.
    if (BusyGuard::isBusy(this))
        return;
    const account_rules::ResetButtons state = account_rules::resetButtons({
        .account = Text1->text(),
        .email = Text2->text(),
        .checkCode = TxtCheckCode->text(),
        .newLogin = Check1->isChecked(),
        .loginPassword = Text3->text(),
        .newOperation = Check2->isChecked(),
        .operationPassword = Text4->text(),
    });
    Command3->setEnabled(state.sendCode);
    Command1->setEnabled(state.reset);
}

void frmPswd::Check1_Click()
{
    Text3->setVisible(Check1->isChecked());
    UpdateResetButtons();
}

void frmPswd::Check2_Click()
{
    Text4->setVisible(Check2->isChecked());
    UpdateResetButtons();
}

void frmPswd::Command3_Click()
{
    if (BusyGuard::isBusy(this))
        return;
    const QString email = Text2->text();
    BusyGuard busy(this, inputs());
    const auto reply = sendAndWait(busy, m_context.link, account_pages::getPswdCode(Text1->text(), email));
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
    UpdateResetButtons();
}

void frmPswd::Command1_Click()
{
    if (BusyGuard::isBusy(this))
        return;
    const PageCall call = account_pages::setPassword(Text1->text(), TxtCheckCode->text(),
                                                     Check1->isChecked() ? Text3->text() : QString(),
                                                     Check2->isChecked() ? Text4->text() : QString());
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
        Label2->setText(QStringLiteral("网络异常！"));
        m_context.prompter.message(this, QStringLiteral("错误"), QStringLiteral("网络异常！"),
                                   PromptIcon::Warning);
        break;
    }
    UpdateResetButtons();
}

void frmPswd::forgetSecrets()
{
    Text3->clear();
    Text4->clear();
}

} // namespace corvanta
