#include "ScalePage.h"

#include "widgets/ClassroomLook.h"
#include "widgets/TabColumns.h"

#include "console/ConsoleSession.h"
#include "core/TextCodec.h"
#include "net/ConsoleRequests.h"
#include "net/LoginState.h"
#include "net/OutgoingText.h"
#include "widgets/BusyGuard.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace corvanta {

ScalePage::ScalePage(ConsoleSession &session, QWidget *parent)
    : ConsolePage(session, QStringLiteral("评分标准"), parent)
{
    Label37 = addLabel(this, QStringLiteral("Label37"), QStringLiteral("课题："), twips(240, 300, 600, 255));
    Combo3 = addComboBox(this, QStringLiteral("Combo3"), twips(840, 240, 5295, 300));
    List5 = addListBox(this, QStringLiteral("List5"), twips(120, 600, 6015, 2790));
    new TabColumns(List5);
    Command37 =
        addButton(this, QStringLiteral("Command37"), QStringLiteral("新建"), twips(120, 3480, 735, 375));
    Command37->setEnabled(false);
    Command34 =
        addButton(this, QStringLiteral("Command34"), QStringLiteral("全选"), twips(1920, 3480, 735, 375));
    Command33 =
        addButton(this, QStringLiteral("Command33"), QStringLiteral("反选"), twips(3120, 3480, 735, 375));
    Command32 =
        addButton(this, QStringLiteral("Command32"), QStringLiteral("删除"), twips(4320, 3480, 735, 375));
    Label38 = addLabel(this, QStringLiteral("Label38"),
                       QStringLiteral("[警告]删除标准不会影响已记录的积分！"), twips(120, 3900, 4335, 255));
    // Beside the status label, inside the page (below it would leave the page).
    Command31 = addButton(this, QStringLiteral("Command31"), QStringLiteral("保存到服务器"),
                          twips(4560, 3900, 1575, 375));
    buildEditFrame();
    buildNewFrame();

    connect(Combo3, &QComboBox::activated, this, [this] { (void)chooseTopic(); });
    connect(List5, &QListWidget::itemDoubleClicked, this, &ScalePage::openEdit);
    connect(Command29, &QPushButton::clicked, this, &ScalePage::editScale);
    connect(Command30, &QPushButton::clicked, Frame6, &QWidget::hide);
    connect(Command37, &QPushButton::clicked, this, &ScalePage::openNew);
    connect(Command35, &QPushButton::clicked, this, &ScalePage::createScales);
    connect(Command36, &QPushButton::clicked, Frame7, &QWidget::hide);
    connect(Command32, &QPushButton::clicked, this, &ScalePage::removeScales);
    connect(Command31, &QPushButton::clicked, this, [this] { sendDeletions(); });
    connect(Command34, &QPushButton::clicked, this, [this] { selectAll(List5); });
    connect(Command33, &QPushButton::clicked, this, [this] { invertSelection(List5); });
}

void ScalePage::buildEditFrame()
{
    Frame6 = addFrame(QStringLiteral("Frame6"), QStringLiteral("计分标准修改"), twips(120, 240, 6015, 3975));
    Label35 =
        addLabel(Frame6, QStringLiteral("Label35"), QStringLiteral("所属课题:"), twips(360, 600, 960, 255));
    Text21 = addLineEdit(Frame6, QStringLiteral("Text21"), twips(1320, 600, 3975, 270));
    Text21->setEnabled(false);
    Label42 = addLabel(Frame6, QStringLiteral("Label42"), QStringLiteral("ID:"), twips(480, 1125, 840, 255));
    Text25 = addLineEdit(Frame6, QStringLiteral("Text25"), twips(1320, 1120, 1815, 270));
    Text25->setEnabled(false);
    Label43 =
        addLabel(Frame6, QStringLiteral("Label43"), QStringLiteral("标准:"), twips(480, 1665, 840, 255));
    // As wide as the topic box: a scale is a sentence.
    Text26 = addLineEdit(Frame6, QStringLiteral("Text26"), twips(1320, 1640, 4395, 270));
    Label41 =
        addLabel(Frame6, QStringLiteral("Label41"), QStringLiteral("计分:"), twips(480, 2190, 840, 255));
    Text27 = addLineEdit(Frame6, QStringLiteral("Text27"), twips(1320, 2160, 1815, 270));
    Command29 =
        addButton(Frame6, QStringLiteral("Command29"), QStringLiteral("修改"), twips(1680, 3000, 1335, 375));
    Command30 =
        addButton(Frame6, QStringLiteral("Command30"), QStringLiteral("取消"), twips(3720, 3000, 1335, 375));
}

void ScalePage::buildNewFrame()
{
    Frame7 = addFrame(QStringLiteral("Frame7"), QStringLiteral("新建标准"), twips(120, 240, 6015, 3975));
    Label36 =
        addLabel(Frame7, QStringLiteral("Label36"), QStringLiteral("所属课题："), twips(120, 315, 1080, 255));
    Text28 = addLineEdit(Frame7, QStringLiteral("Text28"), twips(1200, 300, 4575, 270));
    Label40 =
        addLabel(Frame7, QStringLiteral("Label40"), QStringLiteral("已有标准："), twips(120, 630, 1080, 255));
    // Room for several standards: the buttons stand right of the last new rows.
    List6 = addListBox(Frame7, QStringLiteral("List6"), twips(1200, 630, 4575, 1200));
    // Shown for reading only, but the standards already there are what the teacher checks.
    drawDisabledInFullContrast(List6);
    new TabColumns(List6);
    for (int i = 0; i < 5; ++i) {
        const int top = 1920 + 360 * i;
        addLabel(Frame7, QStringLiteral("lblNewScale_%1").arg(i), QStringLiteral("新标准%1：").arg(i + 1),
                 twips(240, top, 960, 255));
        txtNewScale[i] =
            addLineEdit(Frame7, QStringLiteral("txtNewScale_%1").arg(i), twips(1200, top, 2175, 270));
        addLabel(Frame7, QStringLiteral("lblNewScore_%1").arg(i), QStringLiteral("评分："),
                 twips(3480, top, 720, 255));
        txtNewScore[i] =
            addLineEdit(Frame7, QStringLiteral("txtNewScore_%1").arg(i), twips(4200, top, 615, 270));
    }
    Command35 =
        addButton(Frame7, QStringLiteral("Command35"), QStringLiteral("确定"), twips(4920, 3000, 855, 300));
    Command36 =
        addButton(Frame7, QStringLiteral("Command36"), QStringLiteral("取消"), twips(4920, 3360, 855, 300));
}

void ScalePage::fillPage()
{
    Combo3->clear();
    Combo3->addItems(m_session.records().topicNames());
    Combo3->setCurrentIndex(-1);
    Combo3->setEditText(QStringLiteral("课题"));
    List5->clear();
    Command37->setEnabled(false);
    m_topic.clear();
}

bool ScalePage::chooseTopic()
{
    const LoginState &login = m_session.context().login;
    const QString chosen = Combo3->currentText();
    const auto lines = readLines(console_pages::getScale(chosen, login.LoginUser, login.LoginDigest));
    if (!lines)
        return false;
    m_topic = chosen;
    setItems(List5, lines->valueOr({}));
    m_pendingDeletions.clear();
    Command37->setEnabled(true);
    return lines->ok();
}

void ScalePage::openEdit(QListWidgetItem *item)
{
    const QString line = item->text();
    Text21->setText(Combo3->currentText());
    Text25->setText(console_pages::lineField(line, 0));
    Text26->setText(console_pages::lineField(line, 1));
    Text27->setText(console_pages::lineField(line, 2));
    showFrame(Frame6);
}

void ScalePage::editScale()
{
    if (BusyGuard::isBusy(this) || !filledScaleTexts({Text26->text()}) ||
        !namesAllowed({Text26->text()}, outgoing::TextKind::ScaleText))
        return;
    const LoginState &login = m_session.context().login;
    const PageCall call =
        console_pages::editScale(login.LoginUser, m_session.operationPassword(), m_session.scoreClass(),
                                 Text25->text(), Text26->text(), leadingNumber(Text27->text()));
    if (sendChange(call, ReplyKind::Change, QStringLiteral("修改成功！"), QStringLiteral("修改失败！"),
                   Label38, [this] { (void)chooseTopic(); }) != ReplyOutcome::Accepted)
        return;
    emit m_session.standardsChanged();
    Frame6->hide();
}

bool ScalePage::filledScaleTexts(const QStringList &texts)
{
    for (const QString &text : texts) {
        if (const Result filled = outgoing::checkFilled(text, QStringLiteral("评分标准")); !filled) {
            tellRefusal(filled.error());
            return false;
        }
    }
    return true;
}

void ScalePage::openNew()
{
    Text28->setEnabled(false);
    List6->setEnabled(false);
    Text28->setText(m_topic);
    setItems(List6, items(List5));
    showFrame(Frame7);
    emit m_session.standardsChanged();
}

void ScalePage::createScales()
{
    if (BusyGuard::isBusy(this) || !writeAllowed())
        return;
    QStringList texts, scores;
    for (int i = 0; i < 5; ++i) {
        texts.append(txtNewScale[i]->text());
        scores.append(txtNewScore[i]->text());
    }
    const console::NewScaleRows rows = console::prepareNewScales(texts, scores);
    for (int i = 0; i < 5; ++i)
        txtNewScore[i]->setText(rows.scores[i]);
    if (!rows.anyFilled) {
        tellRefusal(QStringLiteral("至少填写一个标准或评分！"));
        return;
    }
    QStringList filled, scored;
    for (int i = 0; i < rows.texts.size(); ++i) {
        if (!rows.texts[i].isEmpty())
            filled.append(rows.texts[i]);
        // A score needs its text: the standards list would show an empty line.
        if (!rows.scores.value(i).isEmpty())
            scored.append(rows.texts[i]);
    }
    if (!filledScaleTexts(scored))
        return;
    if (!namesAllowed(filled, outgoing::TextKind::ScaleText))
        return;
    const LoginState &login = m_session.context().login;
    const PageCall call = console_pages::newScale(login.LoginUser, m_session.operationPassword(),
                                                  Text28->text(), rows.texts, rows.scores);
    if (sendChange(call, ReplyKind::Change, QStringLiteral("操作成功！"), QStringLiteral("操作失败！"),
                   Label38, [this] { (void)chooseTopic(); }) != ReplyOutcome::Accepted)
        return;
    emit m_session.standardsChanged();
    Frame7->hide();
    for (int i = 0; i < 5; ++i) {
        txtNewScale[i]->clear();
        txtNewScore[i]->clear();
    }
}

void ScalePage::removeScales()
{
    if (BusyGuard::isBusy(this) || !listIsFor(m_topic, Combo3, QStringLiteral("课题")))
        return;
    removeRecords({List5, &m_pendingDeletions, Label38, QStringLiteral("请选择需要删除的标准！"),
                   QStringLiteral("已删除%1条标准！"), [this] { return sendDeletions(); },
                   [this] { return chooseTopic(); }});
    emit m_session.standardsChanged();
}

ReplyOutcome ScalePage::sendDeletions()
{
    if (!listIsFor(m_topic, Combo3, QStringLiteral("课题")))
        return ReplyOutcome::Failed;
    const LoginState &login = m_session.context().login;
    return sendDeletion(
        console_pages::delScale(login.LoginUser, m_session.operationPassword(), m_topic, m_pendingDeletions),
        Label38);
}

} // namespace corvanta
