#include "TopicPage.h"

#include "console/ConsoleSession.h"
#include "net/ConsoleRequests.h"
#include "net/LoginState.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace corvanta {

TopicPage::TopicPage(ConsoleSession &session, QWidget *parent)
    : ListPage(session, QStringLiteral("课题管理"), parent)
{
    topicList = addListBox(this, QStringLiteral("List4"), twips(120, 360, 3015, 2790));
    newTopicsLabel = addLabel(this, QStringLiteral("Label54"), QStringLiteral("添加新课题："),
                              twips(3360, 630, 2055, 255));
    // Below its caption, which stands below the save button.
    newTopicsBox = addTextBox(this, QStringLiteral("Text4"), twips(3360, 900, 2655, 2235));
    deleteButton =
        addButton(this, QStringLiteral("Command27"), QStringLiteral("删除"), twips(1080, 3240, 975, 375));
    addTopicsButton =
        addButton(this, QStringLiteral("Command26"), QStringLiteral("添加"), twips(4200, 3240, 975, 375));
    saveButton = addButton(this, QStringLiteral("Command28"), QStringLiteral("保存到服务器"),
                           twips(4440, 240, 1695, 375));
    statusLabel =
        addLabel(this, QStringLiteral("Label34"), QStringLiteral("[警告]删除课题不会改变已记录课题信息！"),
                 twips(120, 3840, 4335, 255));

    renameFrame = addFrame(QStringLiteral("Frame5"), QStringLiteral("修改课题"), twips(120, 240, 6015, 3975));
    oldNameLabel =
        addLabel(renameFrame, QStringLiteral("Label5"), QStringLiteral("原名："), twips(600, 480, 600, 270));
    oldNameEdit = addLineEdit(renameFrame, QStringLiteral("Text3"), twips(1200, 360, 3495, 375));
    oldNameEdit->setEnabled(false);
    newNameLabel =
        addLabel(renameFrame, QStringLiteral("Label4"), QStringLiteral("新名："), twips(600, 1080, 600, 270));
    newNameEdit = addLineEdit(renameFrame, QStringLiteral("Text2"), twips(1200, 1080, 3495, 375));
    renameButton = addButton(renameFrame, QStringLiteral("Command25"), QStringLiteral("修改"),
                             twips(2640, 2880, 1215, 375));
    renameCancelButton = addButton(renameFrame, QStringLiteral("Command24"), QStringLiteral("取消"),
                                   twips(4320, 2880, 1215, 375));

    setListControls(topicList, newTopicsBox, statusLabel,
                    {QStringLiteral("没有需要添加的课题！"), QStringLiteral("已添加%1个课题！"),
                     QStringLiteral("%1个课题名称已存在，被忽略！"),
                     QStringLiteral("请选择需要删除的课题，然后点击删除按钮！"),
                     QStringLiteral("已成功删除%1个课题！")},
                    {deleteButton, addTopicsButton, saveButton});

    // The main window's standards list follows every topic edit.
    connect(addTopicsButton, &QPushButton::clicked, this, [this] {
        addTyped();
        emit m_session.standardsChanged();
    });
    connect(deleteButton, &QPushButton::clicked, this, [this] {
        removeChosen(true);
        emit m_session.standardsChanged();
    });
    connect(saveButton, &QPushButton::clicked, this, [this] { saveList(); });
    connect(topicList, &QListWidget::itemDoubleClicked, this, &TopicPage::openRename);
    connect(renameButton, &QPushButton::clicked, this, &TopicPage::rename);
    connect(renameCancelButton, &QPushButton::clicked, renameFrame, &QWidget::hide);
}

void TopicPage::fillPage()
{
    setItems(topicList, m_session.records().topicNames());
}

void TopicPage::openRename(QListWidgetItem *item)
{
    oldNameEdit->setText(item->text());
    newNameEdit->setText(item->text());
    showFrame(renameFrame);
}

void TopicPage::rename()
{
    const LoginState &login = m_session.context().login;
    // Without a user or an operation password there is nothing the server could accept.
    if (login.LoginUser.isEmpty() || m_session.operationPassword().isEmpty())
        return;
    sendRename(console_pages::renameKeti(login.LoginUser, m_session.operationPassword(), oldNameEdit->text(),
                                         newNameEdit->text()),
               newNameEdit->text(), renameFrame, [this] { showAgain(); });
}

} // namespace corvanta
