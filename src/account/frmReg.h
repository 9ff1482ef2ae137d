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
    void accountTyped();
    void nameCheckReplied(const QString &asked, const HttpResult &reply);
    void showNameState();
    void setNameBackground(const QColor &color);
    void registerClicked();
    bool passesChecks();
    void registered();

    AppContext &m_context;
    PendingRequest m_nameCheck;
    QString m_confirmedName; // the name the last "√" was given for

    QGroupBox *requiredFrame = nullptr;
    QLabel *accountLabel = nullptr;
    QLineEdit *accountEdit = nullptr;
    QLabel *accountHint = nullptr;
    QLabel *loginPasswordLabel = nullptr;
    QLineEdit *loginPasswordEdit = nullptr;
    QLabel *loginPasswordHint = nullptr;
    QLabel *operationPasswordLabel = nullptr;
    QLineEdit *operationPasswordEdit = nullptr;
    QLabel *operationPasswordHint = nullptr;
    QLabel *teacherNameLabel = nullptr;
    QLineEdit *teacherNameEdit = nullptr;
    QLabel *emailLabel = nullptr;
    QLineEdit *emailEdit = nullptr;
    QGroupBox *optionalFrame = nullptr;
    QLabel *mobileLabel = nullptr;
    QLineEdit *mobileEdit = nullptr;
    QLabel *phoneLabel = nullptr;
    QLineEdit *phoneEdit = nullptr;
    QLabel *qqLabel = nullptr;
    QLineEdit *qqEdit = nullptr;
    QPushButton *registerButton = nullptr;
    QPushButton *backButton = nullptr;
};

} // namespace corvanta
