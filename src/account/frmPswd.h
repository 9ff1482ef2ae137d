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
    void updateResetButtons();
    void loginPasswordChecked();
    void operationPasswordChecked();
    void sendCodeClicked();
    void resetClicked();
    QList<QWidget *> inputs() const;

    AppContext &m_context;

    QLabel *accountLabel = nullptr;
    QLineEdit *accountEdit = nullptr;
    QLabel *emailLabel = nullptr;
    QLineEdit *emailEdit = nullptr;
    QPushButton *sendCodeButton = nullptr;
    QLabel *codeLabel = nullptr;
    QLineEdit *codeEdit = nullptr;
    QCheckBox *loginPasswordCheck = nullptr;
    QLineEdit *loginPasswordEdit = nullptr;
    QCheckBox *operationPasswordCheck = nullptr;
    QLineEdit *operationPasswordEdit = nullptr;
    QPushButton *resetButton = nullptr;
    QPushButton *backButton = nullptr;
    QLabel *contactLabel = nullptr;
};

} // namespace corvanta
