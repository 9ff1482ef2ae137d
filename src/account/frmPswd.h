#pragma once

#include "account/AccountWindow.h"
#include "widgets/AppContext.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvanta {

// The password-reset window: a check code mailed to the address given at registration,
// then a new login password, a new operation password, or both.
//
// It knows no other window. "返回", Esc and closing it emit loginWindowRequested(). The
// new-password boxes are emptied whenever the window hides.
class frmPswd : public AccountWindow
{
    Q_OBJECT
public:
    explicit frmPswd(AppContext &context, QWidget *parent = nullptr);
    ~frmPswd() override;

private:
    void buildControls();
    void Form_Load() override;
    void forgetSecrets() override;
    void UpdateResetButtons();
    void Check1_Click();
    void Check2_Click();
    void Command3_Click();
    void Command1_Click();
    QList<QWidget *> inputs() const;

    AppContext &m_context;

    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Text2 = nullptr;
    QPushButton *Command3 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *TxtCheckCode = nullptr;
    QCheckBox *Check1 = nullptr;
    QLineEdit *Text3 = nullptr;
    QCheckBox *Check2 = nullptr;
    QLineEdit *Text4 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QLabel *Label4 = nullptr;
};

} // namespace corvanta
