#pragma once

#include "widgets/AppContext.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace corvanta {

class BusyGuard;
class ElidedLabel;
// The login window: online login against the score server, offline login on the cached
// class record file, the list of account names used on this computer.
//
// It knows no other window. After a login it emits, in this order:
//   online:  LoginUser and LoginDigest set -> showMainWindowRequested() ->
//            loggedInOnline() (the receiver loads the class lists "online") ->
//            the window hides -> the account names are saved.
//   offline: LoginUser set -> loggedInOffline() (the receiver loads the class lists
//            "offline") -> the window hides -> showMainWindowRequested().
// "取消", Esc and closing the window hide it and ask for the main window.
class frmLogin : public QDialog
{
    Q_OBJECT
public:
    explicit frmLogin(AppContext &context, QWidget *parent = nullptr);
    ~frmLogin() override;

    // Puts an account name into accountBox (after a registration).
    void setAccountName(const QString &name);
    // Replaces the question "has this computer a network connection?" (tests).
    void setConnectionProbe(std::function<bool()> probe);
    // The system's answer: QNetworkInformation where a backend knows, else any
    // interface that is up, running and not the loopback.
    static bool systemHasConnection();

signals:
    void loggedInOffline();
    void loggedInOnline();
    void showMainWindowRequested();
    void registerRequested();
    void resetPasswordRequested();

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildControls();
    void Form_Load();
    void probeTick();
    void updateButtons();
    QList<QWidget *> actionButtons() const;
    void loginClicked();
    // False when the window went away during the wait.
    bool loginOnline(BusyGuard &busy, const QString &user, const QString &password);
    void offlineClicked();
    void registerClicked();
    void forgotClicked();
    void clearNamesClicked();
    void cancelClicked();

    AppContext &m_context;
    std::function<bool()> m_probe;

    bool m_ticked = false; // probeTimer has ticked since the last load
    bool m_hasRecordFile = false;
    bool m_hasConnection = false;
    bool m_reloadOnShow = false; // closed by the user: load again when shown

    QLabel *accountLabel = nullptr;
    QComboBox *accountBox = nullptr;
    QPushButton *clearNamesButton = nullptr;
    QLabel *passwordLabel = nullptr;
    QLineEdit *passwordEdit = nullptr;
    QPushButton *forgotButton = nullptr;
    QPushButton *registerButton = nullptr;
    QPushButton *loginButton = nullptr;
    QPushButton *offlineButton = nullptr;
    QPushButton *cancelButton = nullptr;
    ElidedLabel *serverAddressLabel = nullptr;
    QTimer *probeTimer = nullptr;
};

} // namespace corvanta
