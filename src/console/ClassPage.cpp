#include "ClassPage.h"

#include "console/ConsoleSession.h"
#include "net/ConsoleRequests.h"
#include "net/LoginState.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace corvanta {

ClassPage::ClassPage(ConsoleSession &session, QWidget *parent)
    : ListPage(session, QStringLiteral("班级管理"), parent)
{
    classList = addListBox(this, QStringLiteral("List2"), twips(120, 360, 3015, 2790));
    newClassesLabel = addLabel(this, QStringLiteral("Label55"),
                               QStringLiteral("增加班级请输入后点击添加按钮"), twips(3240, 360, 2775, 255));
    newClassesBox = addTextBox(this, QStringLiteral("Text5"), twips(3240, 600, 2775, 2535));
    deleteButton =
        addButton(this, QStringLiteral("Command9"), QStringLiteral("删除"), twips(1080, 3240, 975, 375));
    addClassesButton =
        addButton(this, QStringLiteral("Command10"), QStringLiteral("添加"), twips(4080, 3240, 975, 375));
    saveButton = addButton(this, QStringLiteral("Command4"), QStringLiteral("保存到服务器"),
                           twips(4320, 3720, 1695, 375));
    statusLabel = addLabel(this, QStringLiteral("Label6"),
                           QStringLiteral("[警告]删除班级时，同时清除学生信息和计分信息！"),
                           twips(120, 3840, 4155, 255));

    renameFrame = addFrame(QStringLiteral("Frame2"), QStringLiteral("班级改名"), twips(120, 240, 6015, 3975));
    oldNameLabel = addLabel(renameFrame, QStringLiteral("Label25"), QStringLiteral("原名："),
                            twips(600, 480, 1200, 270));
    oldNameEdit = addLineEdit(renameFrame, QStringLiteral("Text12"), twips(1800, 360, 3495, 375));
    oldNameEdit->setEnabled(false);
    newNameLabel = addLabel(renameFrame, QStringLiteral("Label26"), QStringLiteral("新名："),
                            twips(600, 1080, 1200, 270));
    newNameEdit = addLineEdit(renameFrame, QStringLiteral("Text13"), twips(1800, 1080, 3495, 375));
    renameButton = addButton(renameFrame, QStringLiteral("Command18"), QStringLiteral("修改"),
                             twips(2520, 2640, 1215, 375));
    renameCancelButton = addButton(renameFrame, QStringLiteral("Command19"), QStringLiteral("取消"),
                                   twips(4200, 2640, 1335, 375));

    setListControls(classList, newClassesBox, statusLabel,
                    {QStringLiteral("没有需要添加的班级！"), QStringLiteral("已添加%1个班级！"),
                     QStringLiteral("%1个班级名称已存在，被忽略！"),
                     QStringLiteral("请选择需要删除的班级，然后点击删除按钮！"),
                     QStringLiteral("已成功删除%1个班级！")},
                    {deleteButton, addClassesButton, saveButton});

    connect(addClassesButton, &QPushButton::clicked, this, &ClassPage::addTyped);
    connect(deleteButton, &QPushButton::clicked, this, [this] { removeChosen(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { saveList(); });
    connect(classList, &QListWidget::itemDoubleClicked, this, &ClassPage::openRename);
    connect(renameButton, &QPushButton::clicked, this, &ClassPage::rename);
    connect(renameCancelButton, &QPushButton::clicked, renameFrame, &QWidget::hide);
}

void ClassPage::fillPage()
{
    setItems(classList, m_session.records().classNames());
}

void ClassPage::openRename(QListWidgetItem *item)
{
    oldNameEdit->setText(item->text());
    newNameEdit->setText(item->text());
    showFrame(renameFrame);
}

void ClassPage::rename()
{
    const LoginState &login = m_session.context().login;
    sendRename(console_pages::renameClass(login.LoginUser, m_session.operationPassword(), oldNameEdit->text(),
                                          newNameEdit->text()),
               newNameEdit->text(), renameFrame, [this] { showAgain(); });
}

} // namespace corvanta
