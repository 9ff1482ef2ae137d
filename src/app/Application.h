#pragma once

#include "core/AppConfig.h"
#include "core/Clock.h"
#include "net/LoginState.h"

#include <QObject>

#include <memory>

namespace corvanta {

class Form1;
class frmLogin;
class PendingScores;
class Prompter;
class ServerLink;

// Owns the tool's windows and shared state, and wires the windows' signals together;
// no window knows another.
class Application : public QObject
{
    Q_OBJECT
public:
    // Without a prompter, clock or random source the real ones are used.
    explicit Application(const AppConfig &config, Prompter *prompter = nullptr, const Clock *clock = nullptr,
                         RandomSource *random = nullptr, QObject *parent = nullptr);
    ~Application() override;

    // Restores the pending scores and shows the main window.
    void start();

    Form1 *mainWindow() const { return m_form.get(); }
    frmLogin *loginWindow() const { return m_loginWindow.get(); }
    LoginState &login() { return m_login; }
    ServerLink &link() { return *m_link; }
    PendingScores &pending() { return *m_pending; }

private:
    void resetConsoleStudentPage();

    AppConfig m_config;
    LoginState m_login;
    std::unique_ptr<Prompter> m_ownPrompter;
    std::unique_ptr<Clock> m_ownClock;
    std::unique_ptr<RandomSource> m_ownRandom;
    Prompter &m_prompter;
    const Clock &m_clock;
    RandomSource &m_random;
    std::unique_ptr<ServerLink> m_link;
    std::unique_ptr<PendingScores> m_pending;
    std::unique_ptr<Form1> m_form;
    std::unique_ptr<frmLogin> m_loginWindow;
};

} // namespace corvanta
