#include "StudentPage.h"

#include "console/ConsoleSession.h"
#include "console/TextImport.h"
#include "net/ConsoleRequests.h"
#include "net/LoginState.h"
#include "widgets/BusyGuard.h"
#include "widgets/Prompter.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace corvanta {

StudentPage::StudentPage(ConsoleSession &session, QWidget *parent)
    : ListPage(session, QStringLiteral("学生管理"), parent)
{
    classBox = addComboBox(this, QStringLiteral("Combo2"), twips(120, 240, 2775, 300));
    saveButton = addButton(this, QStringLiteral("Command8"), QStringLiteral("保存到服务器"),
                           twips(4920, 120, 1215, 375));
    newStudentsLabel =
        addLabel(this, QStringLiteral("Label3"), QStringLiteral("添加学生请输入或者导入，然后添加"),
                 twips(3120, 510, 3015, 255));
    studentList = addListBox(this, QStringLiteral("List1"), twips(120, 600, 2775, 2790));
    // Below its caption, which stands below the save button.
    newStudentsBox = addTextBox(this, QStringLiteral("Text1"), twips(3120, 795, 2895, 2580));
    selectAllButton =
        addButton(this, QStringLiteral("Command2"), QStringLiteral("全选"), twips(120, 3480, 735, 375));
    invertSelectionButton =
        addButton(this, QStringLiteral("Command3"), QStringLiteral("反选"), twips(960, 3480, 735, 375));
    deleteButton =
        addButton(this, QStringLiteral("Command6"), QStringLiteral("删除"), twips(2040, 3480, 735, 375));
    importButton =
        addButton(this, QStringLiteral("Command5"), QStringLiteral("导入"), twips(4200, 3480, 735, 375));
    addStudentsButton =
        addButton(this, QStringLiteral("Command1"), QStringLiteral("添加"), twips(5280, 3480, 735, 375));
    statusLabel =
        addLabel(this, QStringLiteral("Label2"), QStringLiteral("[警告]删除学生后，计分信息将被同时清除！"),
                 twips(120, 3900, 4335, 255));

    renameFrame = addFrame(QStringLiteral("Frame3"), QStringLiteral("学生改名"), twips(120, 240, 6015, 3975));
    oldNameLabel =
        addLabel(renameFrame, QStringLiteral("Label28"), QStringLiteral("原名："), twips(600, 480, 600, 270));
    oldNameEdit = addLineEdit(renameFrame, QStringLiteral("Text14"), twips(1200, 480, 3495, 375));
    oldNameEdit->setEnabled(false);
    newNameLabel = addLabel(renameFrame, QStringLiteral("Label27"), QStringLiteral("新名："),
                            twips(600, 1080, 600, 270));
    newNameEdit = addLineEdit(renameFrame, QStringLiteral("Text15"), twips(1200, 1080, 3495, 375));
    renameButton = addButton(renameFrame, QStringLiteral("Command21"), QStringLiteral("修改"),
                             twips(2400, 2400, 1215, 375));
    renameCancelButton = addButton(renameFrame, QStringLiteral("Command20"), QStringLiteral("取消"),
                                   twips(3840, 2400, 1335, 375));

    setListControls(studentList, newStudentsBox, statusLabel,
                    {QStringLiteral("没有需要添加的学生！"), QStringLiteral("已添加%1名学生！"),
                     QStringLiteral("%1名学生存在，被忽略！"), QStringLiteral("请选择需要删除的学生"),
                     QString()},
                    classButtons());

    connect(classBox, &QComboBox::activated, this, &StudentPage::chooseClass);
    connect(addStudentsButton, &QPushButton::clicked, this, &StudentPage::addTyped);
    connect(deleteButton, &QPushButton::clicked, this, [this] { removeChosen(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { saveList(); });
    connect(importButton, &QPushButton::clicked, this, &StudentPage::importFile);
    connect(selectAllButton, &QPushButton::clicked, this, &StudentPage::selectAllStudents);
    connect(invertSelectionButton, &QPushButton::clicked, this, &StudentPage::invertStudents);
    connect(studentList, &QListWidget::itemDoubleClicked, this, &StudentPage::openRename);
    connect(renameButton, &QPushButton::clicked, this, &StudentPage::rename);
    connect(renameCancelButton, &QPushButton::clicked, renameFrame, &QWidget::hide);
}

QList<QWidget *> StudentPage::classButtons() const
{
    return {addStudentsButton, selectAllButton, invertSelectionButton,
            importButton,      deleteButton,    saveButton};
}

QString StudentPage::listClass() const
{
    return m_listClass;
}

Result StudentPage::listSourceCheck() const
{
    return console::checkListSource(m_listClass, classBox->currentText(), QStringLiteral("班级"));
}

void StudentPage::fillPage()
{
    classBox->clear();
    classBox->addItems(m_session.records().classNames());
    classBox->setCurrentIndex(-1);
    classBox->setEditText(QStringLiteral("班级"));
    studentList->clear();
    m_listClass.clear();
    updateEditing();
}

void StudentPage::resetAfterLogin()
{
    studentList->clear();
    classBox->setCurrentIndex(-1);
    classBox->setEditText(QStringLiteral("班级"));
    m_listClass.clear();
    updateEditing();
}

void StudentPage::chooseClass()
{
    studentList->clear();
    m_listClass = classBox->currentText();
    for (const StudentRecord &student : m_session.records().students(m_listClass))
        studentList->addItem(student.name);
    updateEditing();
}

void StudentPage::importFile()
{
    if (BusyGuard::isBusy(this))
        return;
    newStudentsBox->clear();
    const QString path = m_session.context().prompter.openFileName(
        window(), QStringLiteral("打开"), QStringLiteral("Txt Files(*.txt);;All Files(*.*)"));
    if (path.isEmpty())
        return;
    const console::TextFileRead read = console::ReadTextFile(path);
    if (!read.result) {
        tellRefusal(read.result.error());
        return;
    }
    newStudentsBox->setPlainText(read.text);
    if (!newStudentsBox->toPlainText().isEmpty())
        statusLabel->setText(QStringLiteral("已成功导入，请检查后点击添加！"));
}

void StudentPage::selectAllStudents()
{
    statusLabel->clear();
    selectAll(studentList);
    statusLabel->setText(QStringLiteral("成功选择了%1个学生！").arg(studentList->count()));
}

void StudentPage::invertStudents()
{
    statusLabel->clear();
    invertSelection(studentList);
    statusLabel->setText(QStringLiteral("成功反向选择了%1个学生！").arg(studentList->count()));
}

void StudentPage::openRename(QListWidgetItem *item)
{
    oldNameEdit->setText(item->text());
    newNameEdit->setText(item->text());
    showFrame(renameFrame);
}

void StudentPage::rename()
{
    const LoginState &login = m_session.context().login;
    sendRename(console_pages::renameStudent(login.LoginUser, m_session.operationPassword(),
                                            oldNameEdit->text(), newNameEdit->text(), m_listClass),
               newNameEdit->text(), renameFrame, [this] { chooseClass(); });
}

} // namespace corvanta
