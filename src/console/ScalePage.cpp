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
    topicLabel =
        addLabel(this, QStringLiteral("Label37"), QStringLiteral("课题："), twips(240, 300, 600, 255));
    topicBox = addComboBox(this, QStringLiteral("Combo3"), twips(840, 240, 5295, 300));
    scaleList = addListBox(this, QStringLiteral("List5"), twips(120, 600, 6015, 2790));
    new TabColumns(scaleList);
    newScaleButton =
        addButton(this, QStringLiteral("Command37"), QStringLiteral("新建"), twips(120, 3480, 735, 375));
    newScaleButton->setEnabled(false);
    selectAllButton =
        addButton(this, QStringLiteral("Command34"), QStringLiteral("全选"), twips(1920, 3480, 735, 375));
    invertSelectionButton =
        addButton(this, QStringLiteral("Command33"), QStringLiteral("反选"), twips(3120, 3480, 735, 375));
    deleteButton =
        addButton(this, QStringLiteral("Command32"), QStringLiteral("删除"), twips(4320, 3480, 735, 375));
    statusLabel =
        addLabel(this, QStringLiteral("Label38"), QStringLiteral("[警告]删除标准不会影响已记录的积分！"),
                 twips(120, 3900, 4335, 255));
    // Beside the status label, inside the page (below it would leave the page).
    saveButton = addButton(this, QStringLiteral("Command31"), QStringLiteral("保存到服务器"),
                           twips(4560, 3900, 1575, 375));
    buildEditFrame();
    buildNewFrame();

    connect(topicBox, &QComboBox::activated, this, [this] { (void)chooseTopic(); });
    connect(scaleList, &QListWidget::itemDoubleClicked, this, &ScalePage::openEdit);
    connect(editButton, &QPushButton::clicked, this, &ScalePage::editScale);
    connect(editCancelButton, &QPushButton::clicked, editFrame, &QWidget::hide);
    connect(newScaleButton, &QPushButton::clicked, this, &ScalePage::openNew);
    connect(createButton, &QPushButton::clicked, this, &ScalePage::createScales);
    connect(newCancelButton, &QPushButton::clicked, newFrame, &QWidget::hide);
    connect(deleteButton, &QPushButton::clicked, this, &ScalePage::removeScales);
    connect(saveButton, &QPushButton::clicked, this, [this] { sendDeletions(); });
    connect(selectAllButton, &QPushButton::clicked, this, [this] { selectAll(scaleList); });
    connect(invertSelectionButton, &QPushButton::clicked, this, [this] { invertSelection(scaleList); });
}

void ScalePage::buildEditFrame()
{
    editFrame =
        addFrame(QStringLiteral("Frame6"), QStringLiteral("计分标准修改"), twips(120, 240, 6015, 3975));
    editTopicLabel = addLabel(editFrame, QStringLiteral("Label35"), QStringLiteral("所属课题:"),
                              twips(360, 600, 960, 255));
    editTopicEdit = addLineEdit(editFrame, QStringLiteral("Text21"), twips(1320, 600, 3975, 270));
    editTopicEdit->setEnabled(false);
    editIdLabel =
        addLabel(editFrame, QStringLiteral("Label42"), QStringLiteral("ID:"), twips(480, 1125, 840, 255));
    editIdEdit = addLineEdit(editFrame, QStringLiteral("Text25"), twips(1320, 1120, 1815, 270));
    editIdEdit->setEnabled(false);
    editTextLabel =
        addLabel(editFrame, QStringLiteral("Label43"), QStringLiteral("标准:"), twips(480, 1665, 840, 255));
    // As wide as the topic box: a scale is a sentence.
    editTextEdit = addLineEdit(editFrame, QStringLiteral("Text26"), twips(1320, 1640, 4395, 270));
    editScoreLabel =
        addLabel(editFrame, QStringLiteral("Label41"), QStringLiteral("计分:"), twips(480, 2190, 840, 255));
    editScoreEdit = addLineEdit(editFrame, QStringLiteral("Text27"), twips(1320, 2160, 1815, 270));
    editButton = addButton(editFrame, QStringLiteral("Command29"), QStringLiteral("修改"),
                           twips(1680, 3000, 1335, 375));
    editCancelButton = addButton(editFrame, QStringLiteral("Command30"), QStringLiteral("取消"),
                                 twips(3720, 3000, 1335, 375));
}

void ScalePage::buildNewFrame()
{
    newFrame = addFrame(QStringLiteral("Frame7"), QStringLiteral("新建标准"), twips(120, 240, 6015, 3975));
    newTopicLabel = addLabel(newFrame, QStringLiteral("Label36"), QStringLiteral("所属课题："),
                             twips(120, 315, 1080, 255));
    newTopicEdit = addLineEdit(newFrame, QStringLiteral("Text28"), twips(1200, 300, 4575, 270));
    existingLabel = addLabel(newFrame, QStringLiteral("Label40"), QStringLiteral("已有标准："),
                             twips(120, 630, 1080, 255));
    // Room for several standards: the buttons stand right of the last new rows.
    existingList = addListBox(newFrame, QStringLiteral("List6"), twips(1200, 630, 4575, 1200));
    // Shown for reading only, but the standards already there are what the teacher checks.
    drawDisabledInFullContrast(existingList);
    new TabColumns(existingList);
    for (int i = 0; i < 5; ++i) {
        const int top = 1920 + 360 * i;
        addLabel(newFrame, QStringLiteral("lblNewScale_%1").arg(i), QStringLiteral("新标准%1：").arg(i + 1),
                 twips(240, top, 960, 255));
        newScaleEdits[i] =
            addLineEdit(newFrame, QStringLiteral("txtNewScale_%1").arg(i), twips(1200, top, 2175, 270));
        addLabel(newFrame, QStringLiteral("lblNewScore_%1").arg(i), QStringLiteral("评分："),
                 twips(3480, top, 720, 255));
        newScoreEdits[i] =
            addLineEdit(newFrame, QStringLiteral("txtNewScore_%1").arg(i), twips(4200, top, 615, 270));
    }
    createButton =
        addButton(newFrame, QStringLiteral("Command35"), QStringLiteral("确定"), twips(4920, 3000, 855, 300));
    newCancelButton =
        addButton(newFrame, QStringLiteral("Command36"), QStringLiteral("取消"), twips(4920, 3360, 855, 300));
}

void ScalePage::fillPage()
{
    topicBox->clear();
    topicBox->addItems(m_session.records().topicNames());
    topicBox->setCurrentIndex(-1);
    topicBox->setEditText(QStringLiteral("课题"));
    scaleList->clear();
    newScaleButton->setEnabled(false);
    m_topic.clear();
}

bool ScalePage::chooseTopic()
{
    const LoginState &login = m_session.context().login;
    const QString chosen = topicBox->currentText();
    const auto lines = readLines(console_pages::getScale(chosen, login.LoginUser, login.LoginDigest));
    if (!lines)
        return false;
    m_topic = chosen;
    setItems(scaleList, lines->valueOr({}));
    m_pendingDeletions.clear();
    newScaleButton->setEnabled(true);
    return lines->ok();
}

void ScalePage::openEdit(QListWidgetItem *item)
{
    const QString line = item->text();
    editTopicEdit->setText(topicBox->currentText());
    editIdEdit->setText(console_pages::lineField(line, 0));
    editTextEdit->setText(console_pages::lineField(line, 1));
    editScoreEdit->setText(console_pages::lineField(line, 2));
    showFrame(editFrame);
}

void ScalePage::editScale()
{
    if (BusyGuard::isBusy(this) || !filledScaleTexts({editTextEdit->text()}) ||
        !namesAllowed({editTextEdit->text()}, outgoing::TextKind::ScaleText))
        return;
    const LoginState &login = m_session.context().login;
    const PageCall call = console_pages::editScale(
        login.LoginUser, m_session.operationPassword(), m_session.scoreClass(), editIdEdit->text(),
        editTextEdit->text(), leadingNumber(editScoreEdit->text()));
    if (sendChange(call, ReplyKind::Change, QStringLiteral("修改成功！"), QStringLiteral("修改失败！"),
                   statusLabel, [this] { (void)chooseTopic(); }) != ReplyOutcome::Accepted)
        return;
    emit m_session.standardsChanged();
    editFrame->hide();
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
    newTopicEdit->setEnabled(false);
    existingList->setEnabled(false);
    newTopicEdit->setText(m_topic);
    setItems(existingList, items(scaleList));
    showFrame(newFrame);
    emit m_session.standardsChanged();
}

void ScalePage::createScales()
{
    if (BusyGuard::isBusy(this) || !writeAllowed())
        return;
    QStringList texts, scores;
    for (int i = 0; i < 5; ++i) {
        texts.append(newScaleEdits[i]->text());
        scores.append(newScoreEdits[i]->text());
    }
    const console::NewScaleRows rows = console::prepareNewScales(texts, scores);
    for (int i = 0; i < 5; ++i)
        newScoreEdits[i]->setText(rows.scores[i]);
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
                                                  newTopicEdit->text(), rows.texts, rows.scores);
    if (sendChange(call, ReplyKind::Change, QStringLiteral("操作成功！"), QStringLiteral("操作失败！"),
                   statusLabel, [this] { (void)chooseTopic(); }) != ReplyOutcome::Accepted)
        return;
    emit m_session.standardsChanged();
    newFrame->hide();
    for (int i = 0; i < 5; ++i) {
        newScaleEdits[i]->clear();
        newScoreEdits[i]->clear();
    }
}

void ScalePage::removeScales()
{
    if (BusyGuard::isBusy(this) || !listIsFor(m_topic, topicBox, QStringLiteral("课题")))
        return;
    removeRecords({scaleList, &m_pendingDeletions, statusLabel, QStringLiteral("请选择需要删除的标准！"),
                   QStringLiteral("已删除%1条标准！"), [this] { return sendDeletions(); },
                   [this] { return chooseTopic(); }});
    emit m_session.standardsChanged();
}

ReplyOutcome ScalePage::sendDeletions()
{
    if (!listIsFor(m_topic, topicBox, QStringLiteral("课题")))
        return ReplyOutcome::Failed;
    const LoginState &login = m_session.context().login;
    return sendDeletion(
        console_pages::delScale(login.LoginUser, m_session.operationPassword(), m_topic, m_pendingDeletions),
        statusLabel);
}

} // namespace corvanta
