#include "ScorePage.h"

#include "widgets/TabColumns.h"

#include "console/ConsoleSession.h"
#include "core/TextCodec.h"
#include "net/ConsoleRequests.h"
#include "net/LoginState.h"
#include "net/Wire.h"
#include "widgets/BusyGuard.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace corvanta {

ScorePage::ScorePage(ConsoleSession &session, QWidget *parent)
    : ConsolePage(session, QStringLiteral("计分管理"), parent)
{
    classLabel =
        addLabel(this, QStringLiteral("Label56"), QStringLiteral("选择班级："), twips(120, 300, 915, 255));
    classBox = addComboBox(this, QStringLiteral("Combo1"), twips(1050, 240, 2325, 300));
    saveButton = addButton(this, QStringLiteral("Command7"), QStringLiteral("保存到服务器"),
                           twips(4440, 120, 1695, 375));
    scoreList = addListBox(this, QStringLiteral("List3"), twips(120, 600, 6015, 2790));
    new TabColumns(scoreList);
    selectAllButton =
        addButton(this, QStringLiteral("Command17"), QStringLiteral("全选"), twips(120, 3480, 735, 375));
    invertSelectionButton =
        addButton(this, QStringLiteral("Command16"), QStringLiteral("反选"), twips(1560, 3480, 735, 375));
    deleteButton =
        addButton(this, QStringLiteral("Command15"), QStringLiteral("删除"), twips(3000, 3480, 735, 375));
    statusLabel = addLabel(this, QStringLiteral("Label16"), QStringLiteral("[警告]计分信息删除后不可恢复！"),
                           twips(120, 3900, 6015, 255));
    buildCorrectionFrame();
    // The scale page's edits name the class this page shows.
    session.setScoreClassSource([this] { return className(); });

    connect(classBox, &QComboBox::activated, this, [this] { (void)chooseClass(); });
    connect(scoreList, &QListWidget::itemDoubleClicked, this, &ScorePage::openCorrection);
    connect(correctButton, &QPushButton::clicked, this, &ScorePage::correct);
    connect(correctionCancelButton, &QPushButton::clicked, correctionFrame, &QWidget::hide);
    connect(deleteButton, &QPushButton::clicked, this, &ScorePage::removeScores);
    connect(saveButton, &QPushButton::clicked, this, [this] { sendDeletions(); });
    connect(selectAllButton, &QPushButton::clicked, this, [this] { selectAll(scoreList); });
    connect(invertSelectionButton, &QPushButton::clicked, this, [this] { invertSelection(scoreList); });
}

void ScorePage::buildCorrectionFrame()
{
    correctionFrame =
        addFrame(QStringLiteral("Frame4"), QStringLiteral("计分修改"), twips(120, 240, 6015, 3975));
    addLabelledBoxes(correctionFrame,
                     {{idLabel, "Label30", "ID:", idEdit, "Text16"},
                      {nameLabel, "Label29", "姓名:", nameEdit, "Text17"},
                      {scoreLabel, "Label31", "计分:", scoreEdit, "Text18"},
                      {timeLabel, "Label32", "时间:", timeEdit, "Text19"},
                      {topicLabel, "Label33", "课题:", topicEdit, "Text20"},
                      {noteLabel, "Label39", "说明:", noteEdit, "Text24"}},
                     {800, 760, 1560, 2655, 360, 552});
    idEdit->setEnabled(false);
    nameEdit->setEnabled(false);
    correctButton = addButton(correctionFrame, QStringLiteral("Command23"), QStringLiteral("修改"),
                              twips(4320, 2760, 1335, 375));
    correctionCancelButton = addButton(correctionFrame, QStringLiteral("Command22"), QStringLiteral("取消"),
                                       twips(4320, 3360, 1335, 375));
}

QString ScorePage::className() const
{
    return m_class;
}

void ScorePage::fillPage()
{
    classBox->clear();
    classBox->addItems(m_session.records().classNames());
    classBox->setCurrentIndex(-1);
    classBox->setEditText(QStringLiteral("班级"));
    scoreList->clear();
    m_class.clear();
}

bool ScorePage::chooseClass()
{
    const LoginState &login = m_session.context().login;
    const QString chosen = classBox->currentText();
    const auto lines = readLines(console_pages::getScore(chosen, login.LoginUser, login.LoginDigest));
    if (!lines)
        return false;
    m_class = chosen;
    setItems(scoreList, lines->valueOr({}));
    m_pendingDeletions.clear();
    return lines->ok();
}

void ScorePage::openCorrection(QListWidgetItem *item)
{
    const QString line = item->text();
    QLineEdit *boxes[] = {idEdit, nameEdit, scoreEdit, timeEdit, topicEdit, noteEdit};
    for (int i = 0; i < 6; ++i)
        boxes[i]->setText(console_pages::lineField(line, i));
    showFrame(correctionFrame);
}

void ScorePage::correct()
{
    if (BusyGuard::isBusy(this) || !listIsFor(m_class, classBox, QStringLiteral("班级")) ||
        !namesAllowed({topicEdit->text()}) || !namesAllowed({noteEdit->text()}, outgoing::TextKind::Note))
        return;
    const LoginState &login = m_session.context().login;
    const console_pages::ScoreEdit edit{idEdit->text(), leadingNumber(scoreEdit->text()),
                                        DateTextToSeconds(timeEdit->text()), topicEdit->text(),
                                        noteEdit->text()};
    // A corrected score changes the means and counts the record file shows, so the main
    // window follows it too.
    const PageCall call =
        console_pages::editScore(login.LoginUser, m_session.operationPassword(), className(), edit);
    if (sendChange(call, ReplyKind::Change, QStringLiteral("修改成功！"), QStringLiteral("修改失败！"),
                   statusLabel, [this] {
                       (void)chooseClass();
                       emit m_session.classListsChanged();
                   }) == ReplyOutcome::Accepted)
        correctionFrame->hide();
}

void ScorePage::removeScores()
{
    if (BusyGuard::isBusy(this) || !listIsFor(m_class, classBox, QStringLiteral("班级")))
        return;
    removeRecords({scoreList, &m_pendingDeletions, statusLabel, QStringLiteral("请选择需要删除的计分！"),
                   QStringLiteral("已删除%1条计分！"), [this] { return sendDeletions(); },
                   [this] { return chooseClass(); }});
}

ReplyOutcome ScorePage::sendDeletions()
{
    if (!listIsFor(m_class, classBox, QStringLiteral("班级")))
        return ReplyOutcome::Failed;
    const LoginState &login = m_session.context().login;
    return sendDeletion(console_pages::delScore(login.LoginUser, m_session.operationPassword(), className(),
                                                m_pendingDeletions),
                        statusLabel);
}

} // namespace corvanta
