#pragma once

#include "account/AccountWindow.h"
#include "net/ServerLink.h"
#include "widgets/AppContext.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvanta {

// The registration window: a new teacher account on the score server.
//
// While the account name is typed the server is asked whether it is free, without
// waiting: each change cancels the question before it, and only the answer for the name
// now in the box counts. "注册" is enabled only while the server has answered "√" for
// exactly that name.
//
// It knows no other window. "返回", Esc and closing it emit loginWindowRequested(); a
// registration that succeeds hides it, emits loginWindowRequested() and then
// accountRegistered(name) for the login window's account box. The password boxes are
// emptied whenever the window hides.
class frmReg : public AccountWindow
{
    Q_OBJECT
public:
    explicit frmReg(AppContext &context, QWidget *parent = nullptr);
    ~frmReg() override;

signals:
    void accountRegistered(const QString &name);

private:
    void buildControls();
    void Form_Load() override;
    void forgetSecrets() override;
    void Text1_Change();
    void nameCheckReplied(const QString &asked, const HttpResult &reply);
    void showNameState();
    void setNameBackground(const QColor &color);
    void Command1_Click();
    bool passesChecks();
    void registered();

    AppContext &m_context;
    PendingRequest m_nameCheck;
    QString m_confirmedName; // the name the last "√" was given for

    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label4 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLabel *Label8 = nullptr;
    QLineEdit *Text5 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QLabel *Label9 = nullptr;
    QLineEdit *Text6 = nullptr;
    QLabel *Label10 = nullptr;
    QLineEdit *Text7 = nullptr;
    QLabel *Label11 = nullptr;
    QLineEdit *Text8 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
};

} // namespace corvanta
