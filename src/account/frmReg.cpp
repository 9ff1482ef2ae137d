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
    Frame1 =
        fc::frame(this, QStringLiteral("Frame1"), QStringLiteral("必填信息"), twips(120, 120, 6015, 2820));
    Label1 =
        fc::label(Frame1, QStringLiteral("Label1"), QStringLiteral("登录帐号："), twips(240, 390, 1080, 270));
    Text1 = fc::box(Frame1, QStringLiteral("Text1"), twips(1320, 360, 1935, 300));
    Label5 =
        fc::label(Frame1, QStringLiteral("Label5"), account_rules::kNameHint, twips(3375, 390, 2520, 270));
    Label2 =
        fc::label(Frame1, QStringLiteral("Label2"), QStringLiteral("登录密码："), twips(240, 870, 1080, 270));
    Text2 = fc::passwordBox(Frame1, QStringLiteral("Text2"), twips(1320, 840, 1935, 300));
    Label6 = fc::label(Frame1, QStringLiteral("Label6"), QStringLiteral("读取数据使用"),
                       twips(3375, 870, 2520, 270));
    Label3 = fc::label(Frame1, QStringLiteral("Label3"), QStringLiteral("操作密码："),
                       twips(240, 1350, 1080, 270));
    Text3 = fc::passwordBox(Frame1, QStringLiteral("Text3"), twips(1320, 1320, 1935, 300));
    Label7 = fc::label(Frame1, QStringLiteral("Label7"), QStringLiteral("上传修改数据用"),
                       twips(3375, 1350, 2520, 270));
    Label4 = fc::label(Frame1, QStringLiteral("Label4"), QStringLiteral("教师姓名："),
                       twips(240, 1830, 1080, 270));
    Text4 = fc::box(Frame1, QStringLiteral("Text4"), twips(1320, 1800, 1935, 300));
    Label8 = fc::label(Frame1, QStringLiteral("Label8"), QStringLiteral("电子邮箱："),
                       twips(240, 2310, 1080, 270));
    Text5 = fc::box(Frame1, QStringLiteral("Text5"), twips(1320, 2280, 3255, 300));

    Frame2 =
        fc::frame(this, QStringLiteral("Frame2"), QStringLiteral("选填信息"), twips(120, 3060, 6015, 1860));
    Label9 =
        fc::label(Frame2, QStringLiteral("Label9"), QStringLiteral("手机："), twips(240, 390, 1080, 270));
    Text6 = fc::box(Frame2, QStringLiteral("Text6"), twips(1320, 360, 1935, 300));
    Label10 =
        fc::label(Frame2, QStringLiteral("Label10"), QStringLiteral("电话："), twips(240, 870, 1080, 270));
    Text7 = fc::box(Frame2, QStringLiteral("Text7"), twips(1320, 840, 1935, 300));
    Label11 =
        fc::label(Frame2, QStringLiteral("Label11"), QStringLiteral("QQ："), twips(240, 1350, 1080, 270));
    Text8 = fc::box(Frame2, QStringLiteral("Text8"), twips(1320, 1320, 1935, 300));

    Command1 =
        fc::button(this, QStringLiteral("Command1"), QStringLiteral("注册"), twips(1560, 5100, 1215, 420));
    Command2 =
        fc::button(this, QStringLiteral("Command2"), QStringLiteral("返回"), twips(3480, 5100, 1215, 420));

    for (QLineEdit *box : {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8})
        box->setAutoFillBackground(true);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Text5);
    setTabOrder(Text5, Text6);
    setTabOrder(Text6, Text7);
    setTabOrder(Text7, Text8);
    setTabOrder(Text8, Command1);
    setTabOrder(Command1, Command2);

    connect(Text1, &QLineEdit::textChanged, this, &frmReg::Text1_Change);
    connect(Command1, &QPushButton::clicked, this, &frmReg::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmReg::backToLogin);
}

void frmReg::Form_Load()
{
    m_nameCheck.cancel();
    m_confirmedName.clear();
    for (QLineEdit *box : {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8})
        box->clear();
    Label5->setText(account_rules::kNameHint);
    setNameBackground(kWhite);
    Command1->setEnabled(false);
}

void frmReg::setNameBackground(const QColor &color)
{
    QPalette palette = Text1->palette();
    palette.setColor(QPalette::Base, color);
    Text1->setPalette(palette);
}

// Every change starts afresh: the question about the name before is dropped unanswered.
void frmReg::Text1_Change()
{
    m_nameCheck.cancel();
    m_confirmedName.clear();
    const account_rules::NameCheckStart start = account_rules::startNameCheck(Text1->text());
    Label5->setText(start.status);
    if (!start.askServer) {
        showNameState();
        return;
    }
    // White while the server is asked; "注册" waits for its answer.
    setNameBackground(kWhite);
    Command1->setEnabled(false);
    const QString asked = Text1->text().trimmed();
    m_nameCheck =
        m_context.link.sendAsync(account_pages::checkUsername(asked),
                                 [this, asked](const HttpResult &reply) { nameCheckReplied(asked, reply); });
}

void frmReg::nameCheckReplied(const QString &asked, const HttpResult &reply)
{
    // A cancelled question never answers; this guards the rule all the same.
    if (asked != Text1->text().trimmed())
        return;
    // A failed request shows nothing, which is never "√".
    const QString text = reply.status == 200 ? reply.text : QString();
    Label5->setText(text);
    if (text == account_pages::kNameFree)
        m_confirmedName = asked;
    showNameState();
}

void frmReg::showNameState()
{
    const bool free = Label5->text() == account_pages::kNameFree && !m_confirmedName.isEmpty() &&
                      m_confirmedName == Text1->text().trimmed();
    setNameBackground(free ? kGreen : kRed);
    Command1->setEnabled(free);
}

void frmReg::Command1_Click()
{
    if (BusyGuard::isBusy(this) || !passesChecks())
        return;
    const account_pages::Registration form{.username = Text1->text(),
                                           .teacherName = Text4->text(),
                                           .loginPassword = Text2->text(),
                                           .operationPassword = Text3->text(),
                                           .email = Text5->text(),
                                           .mobile = Text6->text(),
                                           .phone = Text7->text(),
                                           .qq = Text8->text()};
    BusyGuard busy(this, {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Command1, Command2});
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
    const auto problem =
        account_rules::registrationProblem(Text4->text(), Text5->text(), Text2->text(), Text3->text());
    if (!problem)
        return true;
    m_context.prompter.message(this, QStringLiteral("提示"), problem->message, PromptIcon::Warning);
    switch (problem->focus) {
    case RegistrationBox::TeacherName:
        Text4->setFocus();
        break;
    case RegistrationBox::Email:
        Text5->setFocus();
        break;
    case RegistrationBox::LoginPassword:
        Text2->setFocus();
        break;
    case RegistrationBox::OperationPassword:
        Text3->setFocus();
        break;
    }
    return false;
}

void frmReg::registered()
{
    const QString name = Text1->text();
    Text1->clear(); // runs the name check: "注册" is disabled again
    setNameBackground(kWhite);
    for (QLineEdit *box : {Text2, Text3, Text4, Text5})
        box->clear();
    hide();
    emit loginWindowRequested();
    emit accountRegistered(name);
}

void frmReg::forgetSecrets()
{
    Text2->clear();
    Text3->clear();
}

} // namespace corvanta
