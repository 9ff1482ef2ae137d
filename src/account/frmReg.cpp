#include "frmReg.h"

#include "account/AccountRules.h"
#include "account/FormControls.h"
#include "net/AccountRequests.h"
#include "widgets/BusyGuard.h"
#include "widgets/Prompter.h"
#include "widgets/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace corvanta {

namespace {

namespace fc = form_controls;

const QColor kWhite(255, 255, 255);
const QColor kGreen(0, 255, 0);
const QColor kRed(255, 0, 0);

} // namespace

frmReg::frmReg(AppContext &context, QWidget *parent) : AccountWindow(parent), m_context(context)
{
    buildControls();
    Form_Load();
}

frmReg::~frmReg() = default;

void frmReg::buildControls()
{
    setObjectName(QStringLiteral("frmReg"));
    setWindowTitle(QStringLiteral("用户注册"));
    setFixedSize(twips(0, 0, 6255, 5700).size());

    // Positions inside a frame are the frame's own.
    requiredFrame =
        fc::frame(this, QStringLiteral("Frame1"), QStringLiteral("必填信息"), twips(120, 120, 6015, 2820));
    accountLabel = fc::label(requiredFrame, QStringLiteral("Label1"), QStringLiteral("登录帐号："),
                             twips(240, 390, 1080, 270));
    accountEdit = fc::box(requiredFrame, QStringLiteral("Text1"), twips(1320, 360, 1935, 300));
    accountHint = fc::label(requiredFrame, QStringLiteral("Label5"), account_rules::kNameHint,
                            twips(3375, 390, 2520, 270));
    loginPasswordLabel = fc::label(requiredFrame, QStringLiteral("Label2"), QStringLiteral("登录密码："),
                                   twips(240, 870, 1080, 270));
    loginPasswordEdit = fc::passwordBox(requiredFrame, QStringLiteral("Text2"), twips(1320, 840, 1935, 300));
    loginPasswordHint = fc::label(requiredFrame, QStringLiteral("Label6"), QStringLiteral("读取数据使用"),
                                  twips(3375, 870, 2520, 270));
    operationPasswordLabel = fc::label(requiredFrame, QStringLiteral("Label3"), QStringLiteral("操作密码："),
                                       twips(240, 1350, 1080, 270));
    operationPasswordEdit =
        fc::passwordBox(requiredFrame, QStringLiteral("Text3"), twips(1320, 1320, 1935, 300));
    operationPasswordHint = fc::label(requiredFrame, QStringLiteral("Label7"),
                                      QStringLiteral("上传修改数据用"), twips(3375, 1350, 2520, 270));
    teacherNameLabel = fc::label(requiredFrame, QStringLiteral("Label4"), QStringLiteral("教师姓名："),
                                 twips(240, 1830, 1080, 270));
    teacherNameEdit = fc::box(requiredFrame, QStringLiteral("Text4"), twips(1320, 1800, 1935, 300));
    emailLabel = fc::label(requiredFrame, QStringLiteral("Label8"), QStringLiteral("电子邮箱："),
                           twips(240, 2310, 1080, 270));
    emailEdit = fc::box(requiredFrame, QStringLiteral("Text5"), twips(1320, 2280, 3255, 300));

    optionalFrame =
        fc::frame(this, QStringLiteral("Frame2"), QStringLiteral("选填信息"), twips(120, 3060, 6015, 1860));
    mobileLabel = fc::label(optionalFrame, QStringLiteral("Label9"), QStringLiteral("手机："),
                            twips(240, 390, 1080, 270));
    mobileEdit = fc::box(optionalFrame, QStringLiteral("Text6"), twips(1320, 360, 1935, 300));
    phoneLabel = fc::label(optionalFrame, QStringLiteral("Label10"), QStringLiteral("电话："),
                           twips(240, 870, 1080, 270));
    phoneEdit = fc::box(optionalFrame, QStringLiteral("Text7"), twips(1320, 840, 1935, 300));
    qqLabel = fc::label(optionalFrame, QStringLiteral("Label11"), QStringLiteral("QQ："),
                        twips(240, 1350, 1080, 270));
    qqEdit = fc::box(optionalFrame, QStringLiteral("Text8"), twips(1320, 1320, 1935, 300));

    registerButton =
        fc::button(this, QStringLiteral("Command1"), QStringLiteral("注册"), twips(1560, 5100, 1215, 420));
    backButton =
        fc::button(this, QStringLiteral("Command2"), QStringLiteral("返回"), twips(3480, 5100, 1215, 420));

    for (QLineEdit *box : {accountEdit, loginPasswordEdit, operationPasswordEdit, teacherNameEdit, emailEdit,
                           mobileEdit, phoneEdit, qqEdit})
        box->setAutoFillBackground(true);
    setTabOrder(accountEdit, loginPasswordEdit);
    setTabOrder(loginPasswordEdit, operationPasswordEdit);
    setTabOrder(operationPasswordEdit, teacherNameEdit);
    setTabOrder(teacherNameEdit, emailEdit);
    setTabOrder(emailEdit, mobileEdit);
    setTabOrder(mobileEdit, phoneEdit);
    setTabOrder(phoneEdit, qqEdit);
    setTabOrder(qqEdit, registerButton);
    setTabOrder(registerButton, backButton);

    connect(accountEdit, &QLineEdit::textChanged, this, &frmReg::accountTyped);
    connect(registerButton, &QPushButton::clicked, this, &frmReg::registerClicked);
    connect(backButton, &QPushButton::clicked, this, &frmReg::backToLogin);
}

void frmReg::Form_Load()
{
    m_nameCheck.cancel();
    m_confirmedName.clear();
    for (QLineEdit *box : {accountEdit, loginPasswordEdit, operationPasswordEdit, teacherNameEdit, emailEdit,
                           mobileEdit, phoneEdit, qqEdit})
        box->clear();
    accountHint->setText(account_rules::kNameHint);
    setNameBackground(kWhite);
    registerButton->setEnabled(false);
}

void frmReg::setNameBackground(const QColor &color)
{
    QPalette palette = accountEdit->palette();
    palette.setColor(QPalette::Base, color);
    accountEdit->setPalette(palette);
}

// Every change starts afresh: the question about the name before is dropped unanswered.
void frmReg::accountTyped()
{
    m_nameCheck.cancel();
    m_confirmedName.clear();
    const account_rules::NameCheckStart start = account_rules::startNameCheck(accountEdit->text());
    accountHint->setText(start.status);
    if (!start.askServer) {
        showNameState();
        return;
    }
    // White while the server is asked; "注册" waits for its answer.
    setNameBackground(kWhite);
    registerButton->setEnabled(false);
    const QString asked = accountEdit->text().trimmed();
    m_nameCheck =
        m_context.link.sendAsync(account_pages::checkUsername(asked),
                                 [this, asked](const HttpResult &reply) { nameCheckReplied(asked, reply); });
}

void frmReg::nameCheckReplied(const QString &asked, const HttpResult &reply)
{
    // A cancelled question never answers; this guards the rule all the same.
    if (asked != accountEdit->text().trimmed())
        return;
    // A failed request shows nothing, which is never "√".
    const QString text = reply.status == 200 ? reply.text : QString();
    accountHint->setText(text);
    if (text == account_pages::kNameFree)
        m_confirmedName = asked;
    showNameState();
}

void frmReg::showNameState()
{
    const bool free = accountHint->text() == account_pages::kNameFree && !m_confirmedName.isEmpty() &&
                      m_confirmedName == accountEdit->text().trimmed();
    setNameBackground(free ? kGreen : kRed);
    registerButton->setEnabled(free);
}

void frmReg::registerClicked()
{
    if (BusyGuard::isBusy(this) || !passesChecks())
        return;
    const account_pages::Registration form{.username = accountEdit->text(),
                                           .teacherName = teacherNameEdit->text(),
                                           .loginPassword = loginPasswordEdit->text(),
                                           .operationPassword = operationPasswordEdit->text(),
                                           .email = emailEdit->text(),
                                           .mobile = mobileEdit->text(),
                                           .phone = phoneEdit->text(),
                                           .qq = qqEdit->text()};
    BusyGuard busy(this, {accountEdit, loginPasswordEdit, operationPasswordEdit, teacherNameEdit, emailEdit,
                          mobileEdit, phoneEdit, qqEdit, registerButton, backButton});
    const auto sent = sendAndWait(busy, m_context.link, account_pages::regTeacher(form));
    if (!sent)
        return;
    busy.release();
    const HttpResult &reply = *sent;
    switch (reply.outcome(account_pages::kRegistered)) {
    case ReplyOutcome::Accepted:
        m_context.prompter.message(
            this, QStringLiteral("成功"),
            QStringLiteral("注册成功！\r\n请用您的帐号和登录密码登录！\r\n请牢记您的操作密码！"),
            PromptIcon::Information);
        registered();
        break;
    case ReplyOutcome::Rejected:
        m_context.prompter.message(this, QStringLiteral("登录"),
                                   reply.text + QStringLiteral("注册失败，请重试!"), PromptIcon::Warning);
        break;
    case ReplyOutcome::Failed:
        m_context.prompter.message(this, QStringLiteral("错误"),
                                   reply.text + QStringLiteral("\r\n网络异常！"), PromptIcon::None);
        break;
    }
}

bool frmReg::passesChecks()
{
    using account_rules::RegistrationBox;
    const auto problem = account_rules::registrationProblem(
        teacherNameEdit->text(), emailEdit->text(), loginPasswordEdit->text(), operationPasswordEdit->text());
    if (!problem)
        return true;
    m_context.prompter.message(this, QStringLiteral("提示"), problem->message, PromptIcon::Warning);
    switch (problem->focus) {
    case RegistrationBox::TeacherName:
        teacherNameEdit->setFocus();
        break;
    case RegistrationBox::Email:
        emailEdit->setFocus();
        break;
    case RegistrationBox::LoginPassword:
        loginPasswordEdit->setFocus();
        break;
    case RegistrationBox::OperationPassword:
        operationPasswordEdit->setFocus();
        break;
    }
    return false;
}

void frmReg::registered()
{
    const QString name = accountEdit->text();
    accountEdit->clear(); // runs the name check: "注册" is disabled again
    setNameBackground(kWhite);
    for (QLineEdit *box : {loginPasswordEdit, operationPasswordEdit, teacherNameEdit, emailEdit})
        box->clear();
    hide();
    emit loginWindowRequested();
    emit accountRegistered(name);
}

void frmReg::forgetSecrets()
{
    loginPasswordEdit->clear();
    operationPasswordEdit->clear();
}

} // namespace corvanta
