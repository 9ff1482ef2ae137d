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

    QListWidget *topicList;
    QLabel *newTopicsLabel;
    QPlainTextEdit *newTopicsBox;
    QPushButton *deleteButton;
    QPushButton *addTopicsButton;
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
