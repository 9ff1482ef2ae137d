#pragma once

#include "console/ListPage.h"

namespace corvanta {

// Page 1 "班级管理": the teacher's classes.
class ClassPage : public ListPage
{
    Q_OBJECT
public:
    ClassPage(ConsoleSession &session, QWidget *parent);
    void fillPage() override;

protected:
    console::ListKind listKind() const override { return console::ListKind::Classes; }

private:
    void openRename(QListWidgetItem *item);
    void rename();

    QListWidget *classList;
    QLabel *newClassesLabel;
    QPlainTextEdit *newClassesBox;
    QPushButton *deleteButton;
    QPushButton *addClassesButton;
    QPushButton *saveButton;
    QLabel *statusLabel;
    QGroupBox *renameFrame;
    QLabel *oldNameLabel;
    QLineEdit *oldNameEdit;
    QLabel *newNameLabel;
    QLineEdit *newNameEdit;
    QPushButton *renameButton;
    QPushButton *renameCancelButton;
};

} // namespace corvanta
