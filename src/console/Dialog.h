#pragma once

#include "console/PageRegistry.h"
#include "console/Shortcuts.h"
#include "widgets/AppContext.h"

#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace corvanta {

class ConsolePage;
class ConsoleSession;
class QrCodeView;

// The management console "Corvantis管理后台": pages that edit the teacher's data on the
// score server (those of consolePages()), one shown at a time above the page buttons; a
// QR code of the server's web pages while none is. It knows no other window: what the main window must follow
// it publishes as signals.
class Dialog : public QDialog
{
    Q_OBJECT
public:
    // The operation password box shows the session's password (as the main window's do).
    explicit Dialog(AppContext &context,
                    console::ShortcutFolders folders = console::ShortcutFolders::system(),
                    QWidget *parent = nullptr, const ConsolePageList &pages = consolePages());
    ~Dialog() override;

    // The view the console opens with: no page, the QR code shown.
    void showStartView();
    // After a login: the pages forget what the last login chose (the student page's class).
    void resetAfterLogin();

signals:
    // "返回": the console is hidden; the main window shows again.
    void returnRequested();
    // The close box: the main window shows again and the console may go.
    void closed();
    // After an accepted change: the class record file was fetched again and the main
    // window's class and topic lists should be reloaded from it.
    void classListsChanged();
    // The main window's standards list should be read again for its topic.
    void standardsChanged();

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildFrameControls(const ConsolePageList &pages, const QList<QRect> &buttonPlaces);
    void buildHelpFrame();
    void Form_Load(int extraHeight);
    void showPage(ConsolePage *shown);
    void returnToMain();

    AppContext &m_context;
    ConsoleSession *m_session;

    QList<QPushButton *> pageButtons; // in button order, as pageWidgets
    QPushButton *returnButton = nullptr;
    QLabel *operationPasswordLabel = nullptr;
    QLineEdit *operationPasswordBox = nullptr;
    QrCodeView *qrCode = nullptr;
    QLabel *qrCaption = nullptr;
    QGroupBox *helpFrame = nullptr;
    QLabel *serverAddressLink = nullptr;
    QList<ConsolePage *> pageWidgets;
};

} // namespace corvanta
