#pragma once

#include "console/ListPage.h"

namespace corvanta {

// Page 5 "课题管理": the teacher's topics.
class TopicPage : public ListPage
{
    Q_OBJECT
public:
    TopicPage(ConsoleSession &session, QWidget *parent);
    void fillPage() override;

protected:
    console::ListKind listKind() const override { return console::ListKind::Topics; }

private:
    void openRename(QListWidgetItem *item);
    void rename();

    QListWidget *List4;
    QLabel *Label54;
    QPlainTextEdit *Text4;
    QPushButton *Command27;
    QPushButton *Command26;
    QPushButton *Command28;
    QLabel *Label34;
    QGroupBox *Frame5;
    QLabel *Label5;
    QLineEdit *Text3;
    QLabel *Label4;
    QLineEdit *Text2;
    QPushButton *Command25;
    QPushButton *Command24;
};

} // namespace corvanta
