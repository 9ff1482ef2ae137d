#include "Application.h"

#include "app/Form1.h"
#include "net/ServerLink.h"
#include "net/frmLogin.h"
#include "scoring/PendingScores.h"
#include "widgets/Prompter.h"

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

Application::Application(const AppConfig &config, Prompter *prompter, const Clock *clock, RandomSource *random,
                         QObject *parent)
    : QObject(parent), m_config(config), m_prompter(ownOrGiven<QtPrompter>(prompter, m_ownPrompter)),
      m_clock(ownOrGiven<SystemClock>(clock, m_ownClock)),
      m_random(ownOrGiven<SystemRandom>(random, m_ownRandom))
{
    m_config.ensureDataDir();
    m_link = std::make_unique<ServerLink>(m_config, m_login, m_random);
    m_pending = std::make_unique<PendingScores>(m_config.dataFile(PendingScores::defaultFileName()));
    m_form = std::make_unique<Form1>(m_config, m_login, m_prompter, m_random, m_clock, *m_link, *m_pending);
    m_loginWindow = std::make_unique<frmLogin>(*m_link, m_login, m_prompter, m_config);

    Form1 *form = m_form.get();
    frmLogin *loginWindow = m_loginWindow.get();
    connect(form, &Form1::loginRequested, this, [form, loginWindow] {
        form->hide();
        loginWindow->show();
    });
    connect(loginWindow, &frmLogin::showMainWindowRequested, form, &QWidget::show);
    connect(loginWindow, &frmLogin::loggedInOnline, this, [this] {
        m_form->LoadClassLists(QStringLiteral("online"));
        resetConsoleStudentPage();
    });
    connect(loginWindow, &frmLogin::loggedInOffline, this, [this] {
        m_form->LoadClassLists(QStringLiteral("offline"));
        resetConsoleStudentPage();
    });
    // Closing the main window ends the program at once.
    connect(form, &Form1::closing, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
}

Application::~Application() = default;

void Application::start()
{
    const QString problem = m_pending->load();
    m_form->show();
    if (!problem.isEmpty())
        m_prompter.message(m_form.get(), QStringLiteral("提示"), problem, PromptIcon::Warning);
}

void Application::resetConsoleStudentPage()
{
    // The management console's student page is cleared here once the console exists.
}

} // namespace corvanta
