#pragma once

#include "console/ListPage.h"

namespace corvanta {

// Page 2 "学生管理": the students of one class, typed or imported from a text file.
class StudentPage : public ListPage
{
    Q_OBJECT
public:
    StudentPage(ConsoleSession &session, QWidget *parent);
    void fillPage() override;
    // After a login: no class chosen, no students shown.
    void resetAfterLogin() override;

protected:
    console::ListKind listKind() const override { return console::ListKind::Students; }
    QString listClass() const override;
    Result listSourceCheck() const override;
    bool hasList() const override { return !m_listClass.isEmpty(); }

private:
    void chooseClass();
    void importFile();
    void selectAllStudents();
    void invertStudents();
    void openRename(QListWidgetItem *item);
    void rename();
    QList<QWidget *> classButtons() const;

    QComboBox *Combo2;
    QPushButton *Command8;
    QLabel *Label3;
    QListWidget *List1;
    QPlainTextEdit *Text1;
    QPushButton *Command2;
    QPushButton *Command3;
    QPushButton *Command6;
    QPushButton *Command5;
    QPushButton *Command1;
    QLabel *Label2;
    QGroupBox *Frame3;
    QLabel *Label28;
    QLineEdit *Text14;
    QLabel *Label27;
    QLineEdit *Text15;
    QPushButton *Command21;
    QPushButton *Command20;

    QString m_listClass; // the class List1 was read for; empty before a class is chosen
};

} // namespace corvanta
