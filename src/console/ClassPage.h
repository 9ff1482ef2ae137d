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

    QListWidget *List2;
    QLabel *Label55;
    QPlainTextEdit *Text5;
    QPushButton *Command9;
    QPushButton *Command10;
    QPushButton *Command4;
    QLabel *Label6;
    QGroupBox *Frame2;
    QLabel *Label25;
    QLineEdit *Text12;
    QLabel *Label26;
    QLineEdit *Text13;
    QPushButton *Command18;
    QPushButton *Command19;
};

} // namespace corvanta
