#pragma once

#include "core/AppConfig.h"
#include "core/Clock.h"
#include "net/Session.h"
#include "widgets/AppContext.h"

#include <QObject>
#include <QPointer>

#include <memory>

namespace corvanta {

class Dialog;
class Form1;
class frmLogin;
class frmPswd;
class frmReg;
class PendingScores;
class Prompter;
class ServerLink;
class Settings;
class Speaker;

// Owns the tool's shared state (one context) and its windows, and wires the windows'
// signals together; no window knows another.
class Application : public QObject
{
    Q_OBJECT
public:
    // Without a prompter, clock or random source the real ones are used.
    explicit Application(const AppConfig &config, Prompter *prompter = nullptr, const Clock *clock = nullptr,
                         RandomSource *random = nullptr, QObject *parent = nullptr);
    ~Application() override;

    // Restores the pending scores and shows the main window; says what was wrong with the
    // server addresses, if anything.
    void start();
    // What another program asked (draw, show, hide): done when the windows allow it, else
    // logged and dropped.
    void handleOutsideRequest(const corvanta::OutsideRequest &request);

    AppContext &context() { return *m_context; }
    Form1 *mainWindow() const { return m_form.get(); }
    frmLogin *loginWindow() const { return m_loginWindow.get(); }
    frmReg *registrationWindow() const { return m_regWindow.get(); }
    frmPswd *resetWindow() const { return m_pswdWindow.get(); }
    // The management console while it is loaded (after a login or "后台"), else null.
    Dialog *consoleWindow() const { return m_console.get(); }

private:
    void loggedInOnline();
    void loggedInOffline();
    void resetConsoleStudentPage();
    void wireAccountWindows();

    // --- The management console ---
    Dialog &loadConsole();
    void openConsole();
    void consoleClosed();

    AppConfig m_config;
    std::unique_ptr<Session> m_session;
    std::unique_ptr<Prompter> m_ownPrompter;
    std::unique_ptr<Clock> m_ownClock;
    std::unique_ptr<RandomSource> m_ownRandom;
    std::unique_ptr<ServerLink> m_link;
    std::unique_ptr<PendingScores> m_pending;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<Speaker> m_speaker;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<frmLogin> m_loginWindow;
    std::unique_ptr<frmReg> m_regWindow;
    std::unique_ptr<frmPswd> m_pswdWindow;
    std::unique_ptr<Dialog> m_console;
    QPointer<Dialog> m_closedConsole; // closed, waiting to be deleted
};

} // namespace corvanta
