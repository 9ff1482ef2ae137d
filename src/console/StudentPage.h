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

    QComboBox *classBox;
    QPushButton *saveButton;
    QLabel *newStudentsLabel;
    QListWidget *studentList;
    QPlainTextEdit *newStudentsBox;
    QPushButton *selectAllButton;
    QPushButton *invertSelectionButton;
    QPushButton *deleteButton;
    QPushButton *importButton;
    QPushButton *addStudentsButton;
    QLabel *statusLabel;
    QGroupBox *renameFrame;
    QLabel *oldNameLabel;
    QLineEdit *oldNameEdit;
    QLabel *newNameLabel;
    QLineEdit *newNameEdit;
    QPushButton *renameButton;
    QPushButton *renameCancelButton;

    QString m_listClass; // the class studentList was read for; empty before a class is chosen
};

} // namespace corvanta
