#pragma once

#include "console/ConsolePage.h"

namespace corvanta {

// Page 0 "个人信息维护": the teacher's name, account and e-mail address as the server
// has them, and the change of e-mail address and passwords.
class TeacherPage : public ConsolePage
{
    Q_OBJECT
public:
    TeacherPage(ConsoleSession &session, QWidget *parent);
    void fillPage() override;

private:
    void change();
    void reset();

    QLabel *nameLabel;
    QLineEdit *nameEdit;
    QLabel *accountLabel;
    QLineEdit *accountEdit;
    QLabel *emailLabel;
    QLineEdit *emailEdit;
    QLabel *emailHint;
    QLabel *oldOperationLabel;
    QLineEdit *oldOperationEdit;
    QLabel *newLoginLabel;
    QLineEdit *newLoginEdit;
    QLabel *newLoginHint;
    QLabel *newOperationLabel;
    QLineEdit *newOperationEdit;
    QLabel *newOperationHint;
    QPushButton *resetButton;
    QPushButton *changeButton;
};

} // namespace corvanta
