#pragma once

#include <QDialog>

namespace corvanta {

// What the registration and reset windows share. "返回" and Esc hide the window (it is
// not destroyed) and ask for the login window; closing it does the same and makes it
// start afresh the next time it is shown. Secrets are forgotten whenever it hides.
// It stays put while one of its requests waits.
class AccountWindow : public QDialog
{
    Q_OBJECT
signals:
    void loginWindowRequested();

protected:
    explicit AccountWindow(QWidget *parent);

    // Empties every box and sets the controls as a new window has them.
    virtual void Form_Load() = 0;
    // Empties the password boxes.
    virtual void forgetSecrets() = 0;
    // "返回".
    void backToLogin();

    void reject() override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    bool m_reloadOnShow = false;
};

} // namespace corvanta
