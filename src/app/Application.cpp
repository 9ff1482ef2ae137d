#include "Application.h"

#include "account/frmLogin.h"
#include "account/frmPswd.h"
#include "account/frmReg.h"
#include "app/Form1.h"
#include "core/Settings.h"
#include "console/Dialog.h"
#include "net/ServerLink.h"
#include "scoring/PendingScores.h"
#include "widgets/BusyGuard.h"
#include "widgets/Prompter.h"
#include "widgets/Speaker.h"

#include <QApplication>

namespace corvanta {

namespace {

template <typename Own, typename T, typename Base> T &ownOrGiven(T *given, std::unique_ptr<Base> &own)
{
    if (given)
        return *given;
    own = std::make_unique<Own>();
    return *own;
}

} // namespace

Application::Application(const AppConfig &config, Prompter *prompter, const Clock *clock,
                         RandomSource *random, QObject *parent)
    : QObject(parent), m_config(config)
{
    m_config.ensureDataDir();
    // The file dialogs open in the data folder, where the score files are.
    if (!prompter)
        m_ownPrompter = std::make_unique<QtPrompter>(m_config.dataDir);
    Prompter &usedPrompter = prompter ? *prompter : *m_ownPrompter;
    const Clock &usedClock = ownOrGiven<SystemClock>(clock, m_ownClock);
    RandomSource &usedRandom = ownOrGiven<SystemRandom>(random, m_ownRandom);
    m_link = std::make_unique<ServerLink>(m_config);
    m_session = std::make_unique<Session>(m_config);
    m_pending = std::make_unique<PendingScores>(m_config.dataFile(PendingScores::defaultFileName()));
    m_settings = std::make_unique<Settings>();
    m_speaker = std::make_unique<QtSpeaker>();
    m_context.reset(new AppContext{m_config, m_session->loginState(), usedPrompter, usedClock, usedRandom,
                                   *m_link, *m_pending, *m_settings, *m_speaker, *m_session});
    m_form = std::make_unique<Form1>(*m_context);
    m_loginWindow = std::make_unique<frmLogin>(*m_context);

    Form1 *form = m_form.get();
    frmLogin *loginWindow = m_loginWindow.get();
    connect(form, &Form1::loginRequested, this, [form, loginWindow] {
        form->hide();
        loginWindow->show();
    });
    connect(loginWindow, &frmLogin::showMainWindowRequested, form, &QWidget::show);
    connect(loginWindow, &frmLogin::loggedInOnline, this, &Application::loggedInOnline);
    connect(loginWindow, &frmLogin::loggedInOffline, this, &Application::loggedInOffline);
    // Closing the main window ends the program at once.
    connect(form, &Form1::closing, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    wireAccountWindows();
    connect(form, &Form1::consoleRequested, this, &Application::openConsole);
}

// --- Registration and password reset: opened from the login window, back to it. ---
void Application::wireAccountWindows()
{
    m_regWindow = std::make_unique<frmReg>(*m_context);
    m_pswdWindow = std::make_unique<frmPswd>(*m_context);
    frmLogin *loginWindow = m_loginWindow.get();
    frmReg *regWindow = m_regWindow.get();
    frmPswd *pswdWindow = m_pswdWindow.get();
    connect(loginWindow, &frmLogin::registerRequested, regWindow, &QWidget::show);
    connect(loginWindow, &frmLogin::resetPasswordRequested, pswdWindow, &QWidget::show);
    connect(regWindow, &frmReg::loginWindowRequested, loginWindow, &QWidget::show);
    connect(regWindow, &frmReg::accountRegistered, loginWindow, &frmLogin::setAccountName);
    connect(pswdWindow, &frmPswd::loginWindowRequested, loginWindow, &QWidget::show);
}
// --- end of registration and password reset ---

Application::~Application()
{
    delete m_closedConsole.data();
}

void Application::start()
{
    const Result loaded = m_pending->load();
    m_form->show();
    if (!loaded)
        m_context->prompter.message(m_form.get(), QStringLiteral("提示"), loaded.error(), PromptIcon::Warning);
    if (!m_config.addressProblems.isEmpty()) {
        m_context->prompter.message(m_form.get(), QStringLiteral("提示"),
                                    m_config.addressProblems.join(QStringLiteral("\r\n")), PromptIcon::Warning);
    }
}

void Application::handleOutsideRequest(const OutsideRequest &request)
{
    Result done = Result::success();
    switch (request.action) {
    case OutsideRequest::Action::Draw:
        done = m_form->drawFromOutside(request.pool);
        break;
    case OutsideRequest::Action::Show:
        if (m_form->isVisible()) {
            m_form->showFromOutside();
        } else {
            // The console or an account window stands in the main window's place: bring that.
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (window->isVisible() && window->isWindow()) {
                    window->raise();
                    window->activateWindow();
                }
            }
        }
        break;
    case OutsideRequest::Action::Hide:
        if (m_form->isVisible())
            m_form->collapse();
        else
            done = Result::failure(QStringLiteral("the main window is not in view"));
        break;
    case OutsideRequest::Action::None:
        break;
    }
    if (!done)
        qWarning("corvanta: ignored the request '%s' from outside: %s", qUtf8Printable(request.describe()),
                 qUtf8Printable(done.error()));
}

void Application::loggedInOnline()
{
    {
        // The download waits in the event loop: no draw or class choice meanwhile.
        BusyGuard busy(m_form.get(), {m_form.get()});
        const auto refreshed = busy.wait([&] { return m_session->refreshRecords(*m_link); });
        if (!refreshed)
            return;
        busy.release();
        if (!*refreshed) {
            m_context->prompter.message(m_form.get(), QStringLiteral("提示"),
                                        QStringLiteral("班级数据没有下载成功，现在显示的是上次保存的数据。") +
                                            QStringLiteral("\r\n") + refreshed->error(),
                                        PromptIcon::Warning);
        }
    }
    m_form->LoadClassLists(QStringLiteral("online"));
    resetConsoleStudentPage();
}

void Application::loggedInOffline()
{
    m_form->LoadClassLists(QStringLiteral("offline"));
    resetConsoleStudentPage();
}

void Application::resetConsoleStudentPage()
{
    // A login loads the console (hidden) when it is not loaded yet.
    loadConsole().resetAfterLogin();
}

// --- The management console ---

Dialog &Application::loadConsole()
{
    if (m_console)
        return *m_console;
    m_console = std::make_unique<Dialog>(*m_context);
    Dialog *console = m_console.get();
    Form1 *form = m_form.get();
    connect(console, &Dialog::returnRequested, form, &QWidget::show);
    connect(console, &Dialog::closed, this, &Application::consoleClosed);
    // The console fetched the class record file again before saying so.
    connect(console, &Dialog::classListsChanged, form, [form] { form->reloadKeepingLesson(); });
    connect(console, &Dialog::standardsChanged, form, &Form1::RefreshStandardList);
    return *console;
}

void Application::openConsole()
{
    Dialog &console = loadConsole();
    console.showStartView();
    console.show();
    m_form->hide();
}

void Application::consoleClosed()
{
    m_form->show();
    // Closed is unloaded: the next opening starts afresh. Deleted once its close is over.
    if (m_console) {
        m_closedConsole = m_console.release();
        m_closedConsole->deleteLater();
    }
}

} // namespace corvanta
