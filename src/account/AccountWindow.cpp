#include "AccountWindow.h"

#include "account/FormControls.h"
#include "widgets/BusyGuard.h"
#include "widgets/ClassroomLook.h"

#include <QCloseEvent>

namespace corvanta {

AccountWindow::AccountWindow(QWidget *parent) : QDialog(parent)
{
    useClassroomFonts();
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
}

void AccountWindow::backToLogin()
{
    if (BusyGuard::isBusy(this))
        return;
    hide();
    emit loginWindowRequested();
}

void AccountWindow::reject()
{
    backToLogin();
}

void AccountWindow::closeEvent(QCloseEvent *event)
{
    if (BusyGuard::isBusy(this)) {
        event->ignore();
        return;
    }
    event->accept();
    m_reloadOnShow = true;
    emit loginWindowRequested();
}

void AccountWindow::showEvent(QShowEvent *event)
{
    if (m_reloadOnShow) {
        m_reloadOnShow = false;
        Form_Load();
    }
    form_controls::centreOnScreen(this);
    QDialog::showEvent(event);
}

void AccountWindow::hideEvent(QHideEvent *event)
{
    // Passwords are not kept while nobody looks at them.
    forgetSecrets();
    QDialog::hideEvent(event);
}

} // namespace corvanta
