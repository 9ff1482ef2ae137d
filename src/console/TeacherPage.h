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

    QLabel *Label8;
    QLineEdit *Text6;
    QLabel *Label7;
    QLineEdit *Text7;
    QLabel *Label23;
    QLineEdit *Text11;
    QLabel *Label24;
    QLabel *Label10;
    QLineEdit *Text8;
    QLabel *Label11;
    QLineEdit *Text9;
    QLabel *Label13;
    QLabel *Label12;
    QLineEdit *Text10;
    QLabel *Label9;
    QPushButton *Command14;
    QPushButton *Command13;
};

} // namespace corvanta
