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
    Combo2 = addComboBox(this, QStringLiteral("Combo2"), twips(120, 240, 2775, 300));
    Command8 = addButton(this, QStringLiteral("Command8"), QStringLiteral("保存到服务器"),
                         twips(4920, 120, 1215, 375));
    Label3 = addLabel(this, QStringLiteral("Label3"), QStringLiteral("添加学生请输入或者导入，然后添加"),
                      twips(3120, 510, 3015, 255));
    List1 = addListBox(this, QStringLiteral("List1"), twips(120, 600, 2775, 2790));
    // Below its caption, which stands below the save button.
    Text1 = addTextBox(this, QStringLiteral("Text1"), twips(3120, 795, 2895, 2580));
    Command2 =
        addButton(this, QStringLiteral("Command2"), QStringLiteral("全选"), twips(120, 3480, 735, 375));
    Command3 =
        addButton(this, QStringLiteral("Command3"), QStringLiteral("反选"), twips(960, 3480, 735, 375));
    Command6 =
        addButton(this, QStringLiteral("Command6"), QStringLiteral("删除"), twips(2040, 3480, 735, 375));
    Command5 =
        addButton(this, QStringLiteral("Command5"), QStringLiteral("导入"), twips(4200, 3480, 735, 375));
    Command1 =
        addButton(this, QStringLiteral("Command1"), QStringLiteral("添加"), twips(5280, 3480, 735, 375));
    Label2 =
        addLabel(this, QStringLiteral("Label2"), QStringLiteral("[警告]删除学生后，计分信息将被同时清除！"),
                 twips(120, 3900, 4335, 255));

    Frame3 = addFrame(QStringLiteral("Frame3"), QStringLiteral("学生改名"), twips(120, 240, 6015, 3975));
    Label28 =
        addLabel(Frame3, QStringLiteral("Label28"), QStringLiteral("原名："), twips(600, 480, 600, 270));
    Text14 = addLineEdit(Frame3, QStringLiteral("Text14"), twips(1200, 480, 3495, 375));
    Text14->setEnabled(false);
    Label27 =
        addLabel(Frame3, QStringLiteral("Label27"), QStringLiteral("新名："), twips(600, 1080, 600, 270));
    Text15 = addLineEdit(Frame3, QStringLiteral("Text15"), twips(1200, 1080, 3495, 375));
    Command21 =
        addButton(Frame3, QStringLiteral("Command21"), QStringLiteral("修改"), twips(2400, 2400, 1215, 375));
    Command20 =
        addButton(Frame3, QStringLiteral("Command20"), QStringLiteral("取消"), twips(3840, 2400, 1335, 375));

    setListControls(List1, Text1, Label2,
                    {QStringLiteral("没有需要添加的学生！"), QStringLiteral("已添加%1名学生！"),
                     QStringLiteral("%1名学生存在，被忽略！"), QStringLiteral("请选择需要删除的学生"),
                     QString()},
                    classButtons());

    connect(Combo2, &QComboBox::activated, this, &StudentPage::chooseClass);
    connect(Command1, &QPushButton::clicked, this, &StudentPage::addTyped);
    connect(Command6, &QPushButton::clicked, this, [this] { removeChosen(); });
    connect(Command8, &QPushButton::clicked, this, [this] { saveList(); });
    connect(Command5, &QPushButton::clicked, this, &StudentPage::importFile);
    connect(Command2, &QPushButton::clicked, this, &StudentPage::selectAllStudents);
    connect(Command3, &QPushButton::clicked, this, &StudentPage::invertStudents);
    connect(List1, &QListWidget::itemDoubleClicked, this, &StudentPage::openRename);
    connect(Command21, &QPushButton::clicked, this, &StudentPage::rename);
    connect(Command20, &QPushButton::clicked, Frame3, &QWidget::hide);
}

QList<QWidget *> StudentPage::classButtons() const
{
    return {Command1, Command2, Command3, Command5, Command6, Command8};
}

QString StudentPage::listClass() const
{
    return m_listClass;
}

Result StudentPage::listSourceCheck() const
{
    return console::checkListSource(m_listClass, Combo2->currentText(), QStringLiteral("班级"));
}

void StudentPage::fillPage()
{
    Combo2->clear();
    Combo2->addItems(m_session.records().classNames());
    Combo2->setCurrentIndex(-1);
    Combo2->setEditText(QStringLiteral("班级"));
    List1->clear();
    m_listClass.clear();
    updateEditing();
}

void StudentPage::resetAfterLogin()
{
    List1->clear();
    Combo2->setCurrentIndex(-1);
    Combo2->setEditText(QStringLiteral("班级"));
    m_listClass.clear();
    updateEditing();
}

void StudentPage::chooseClass()
{
    List1->clear();
    m_listClass = Combo2->currentText();
    for (const StudentRecord &student : m_session.records().students(m_listClass))
        List1->addItem(student.name);
    updateEditing();
}

void StudentPage::importFile()
{
    if (BusyGuard::isBusy(this))
        return;
    Text1->clear();
    const QString path = m_session.context().prompter.openFileName(
        window(), QStringLiteral("打开"), QStringLiteral("Txt Files(*.txt);;All Files(*.*)"));
    if (path.isEmpty())
        return;
    const console::TextFileRead read = console::ReadTextFile(path);
    if (!read.result) {
        tellRefusal(read.result.error());
        return;
    }
    Text1->setPlainText(read.text);
    if (!Text1->toPlainText().isEmpty())
        Label2->setText(QStringLiteral("已成功导入，请检查后点击添加！"));
}

void StudentPage::selectAllStudents()
{
    Label2->clear();
    selectAll(List1);
    Label2->setText(QStringLiteral("成功选择了%1个学生！").arg(List1->count()));
}

void StudentPage::invertStudents()
{
    Label2->clear();
    invertSelection(List1);
    Label2->setText(QStringLiteral("成功反向选择了%1个学生！").arg(List1->count()));
}

void StudentPage::openRename(QListWidgetItem *item)
{
    Text14->setText(item->text());
    Text15->setText(item->text());
    showFrame(Frame3);
}

void StudentPage::rename()
{
    const LoginState &login = m_session.context().login;
    sendRename(console_pages::renameStudent(login.LoginUser, m_session.operationPassword(), Text14->text(),
                                            Text15->text(), m_listClass),
               Text15->text(), Frame3, [this] { chooseClass(); });
}

} // namespace corvanta
