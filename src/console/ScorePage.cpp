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
    Label56 =
        addLabel(this, QStringLiteral("Label56"), QStringLiteral("选择班级："), twips(120, 300, 915, 255));
    Combo1 = addComboBox(this, QStringLiteral("Combo1"), twips(1050, 240, 2325, 300));
    Command7 = addButton(this, QStringLiteral("Command7"), QStringLiteral("保存到服务器"),
                         twips(4440, 120, 1695, 375));
    List3 = addListBox(this, QStringLiteral("List3"), twips(120, 600, 6015, 2790));
    new TabColumns(List3);
    Command17 =
        addButton(this, QStringLiteral("Command17"), QStringLiteral("全选"), twips(120, 3480, 735, 375));
    Command16 =
        addButton(this, QStringLiteral("Command16"), QStringLiteral("反选"), twips(1560, 3480, 735, 375));
    Command15 =
        addButton(this, QStringLiteral("Command15"), QStringLiteral("删除"), twips(3000, 3480, 735, 375));
    Label16 = addLabel(this, QStringLiteral("Label16"), QStringLiteral("[警告]计分信息删除后不可恢复！"),
                       twips(120, 3900, 6015, 255));
    buildCorrectionFrame();
    // The scale page's edits name the class this page shows.
    session.setScoreClassSource([this] { return className(); });

    connect(Combo1, &QComboBox::activated, this, [this] { (void)chooseClass(); });
    connect(List3, &QListWidget::itemDoubleClicked, this, &ScorePage::openCorrection);
    connect(Command23, &QPushButton::clicked, this, &ScorePage::correct);
    connect(Command22, &QPushButton::clicked, Frame4, &QWidget::hide);
    connect(Command15, &QPushButton::clicked, this, &ScorePage::removeScores);
    connect(Command7, &QPushButton::clicked, this, [this] { sendDeletions(); });
    connect(Command17, &QPushButton::clicked, this, [this] { selectAll(List3); });
    connect(Command16, &QPushButton::clicked, this, [this] { invertSelection(List3); });
}

void ScorePage::buildCorrectionFrame()
{
    Frame4 = addFrame(QStringLiteral("Frame4"), QStringLiteral("计分修改"), twips(120, 240, 6015, 3975));
    addLabelledBoxes(Frame4,
                     {{Label30, "Label30", "ID:", Text16, "Text16"},
                      {Label29, "Label29", "姓名:", Text17, "Text17"},
                      {Label31, "Label31", "计分:", Text18, "Text18"},
                      {Label32, "Label32", "时间:", Text19, "Text19"},
                      {Label33, "Label33", "课题:", Text20, "Text20"},
                      {Label39, "Label39", "说明:", Text24, "Text24"}},
                     {800, 760, 1560, 2655, 360, 552});
    Text16->setEnabled(false);
    Text17->setEnabled(false);
    Command23 =
        addButton(Frame4, QStringLiteral("Command23"), QStringLiteral("修改"), twips(4320, 2760, 1335, 375));
    Command22 =
        addButton(Frame4, QStringLiteral("Command22"), QStringLiteral("取消"), twips(4320, 3360, 1335, 375));
}

QString ScorePage::className() const
{
    return m_class;
}

void ScorePage::fillPage()
{
    Combo1->clear();
    Combo1->addItems(m_session.records().classNames());
    Combo1->setCurrentIndex(-1);
    Combo1->setEditText(QStringLiteral("班级"));
    List3->clear();
    m_class.clear();
}

bool ScorePage::chooseClass()
{
    const LoginState &login = m_session.context().login;
    const QString chosen = Combo1->currentText();
    const auto lines = readLines(console_pages::getScore(chosen, login.LoginUser, login.LoginDigest));
    if (!lines)
        return false;
    m_class = chosen;
    setItems(List3, lines->valueOr({}));
    m_pendingDeletions.clear();
    return lines->ok();
}

void ScorePage::openCorrection(QListWidgetItem *item)
{
    const QString line = item->text();
    QLineEdit *boxes[] = {Text16, Text17, Text18, Text19, Text20, Text24};
    for (int i = 0; i < 6; ++i)
        boxes[i]->setText(console_pages::lineField(line, i));
    showFrame(Frame4);
}

void ScorePage::correct()
{
    if (BusyGuard::isBusy(this) || !listIsFor(m_class, Combo1, QStringLiteral("班级")) ||
        !namesAllowed({Text20->text()}) || !namesAllowed({Text24->text()}, outgoing::TextKind::Note))
        return;
    const LoginState &login = m_session.context().login;
    const console_pages::ScoreEdit edit{Text16->text(), leadingNumber(Text18->text()),
                                        DateTextToSeconds(Text19->text()), Text20->text(), Text24->text()};
    // A corrected score changes the means and counts the record file shows, so the main
    // window follows it too.
    const PageCall call =
        console_pages::editScore(login.LoginUser, m_session.operationPassword(), className(), edit);
    if (sendChange(call, ReplyKind::Change, QStringLiteral("修改成功！"), QStringLiteral("修改失败！"),
                   Label16, [this] {
                       (void)chooseClass();
                       emit m_session.classListsChanged();
                   }) == ReplyOutcome::Accepted)
        Frame4->hide();
}

void ScorePage::removeScores()
{
    if (BusyGuard::isBusy(this) || !listIsFor(m_class, Combo1, QStringLiteral("班级")))
        return;
    removeRecords({List3, &m_pendingDeletions, Label16, QStringLiteral("请选择需要删除的计分！"),
                   QStringLiteral("已删除%1条计分！"), [this] { return sendDeletions(); },
                   [this] { return chooseClass(); }});
}

ReplyOutcome ScorePage::sendDeletions()
{
    if (!listIsFor(m_class, Combo1, QStringLiteral("班级")))
        return ReplyOutcome::Failed;
    const LoginState &login = m_session.context().login;
    return sendDeletion(console_pages::delScore(login.LoginUser, m_session.operationPassword(), className(),
                                                m_pendingDeletions),
                        Label16);
}

} // namespace corvanta
