#include "frmLogin.h"

#include "widgets/ClassroomLook.h"
#include "widgets/TwipsLayout.h"

#include "account/FormControls.h"
#include "core/AppConfig.h"
#include "net/LoginState.h"
#include "net/SavedNames.h"
#include "net/ScoreRequests.h"
#include "net/ServerLink.h"
#include "net/Session.h"
#include "net/Wire.h"
#include "widgets/BusyGuard.h"
#include "widgets/ElidedLabel.h"
#include "widgets/Prompter.h"
#include "widgets/Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QNetworkInformation>
#include <QNetworkInterface>
#include <QPushButton>
#include <QTimer>

namespace corvanta {

namespace {

namespace fc = form_controls;

const QString kPromptText = QStringLiteral("请在此输入登录帐号");

} // namespace

frmLogin::frmLogin(AppContext &context, QWidget *parent)
    : QDialog(parent), m_context(context), m_probe(&frmLogin::systemHasConnection)
{
    useClassroomFonts();
    buildControls();
    Form_Load();
}

frmLogin::~frmLogin() = default;

void frmLogin::buildControls()
{
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("登录"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint);
    // One line more than the buttons need: which server a login goes to.
    setFixedSize(twips(0, 0, 4845, 2370).size());

    accountLabel = fc::label(this, QStringLiteral("lblLabels_0"), QStringLiteral("登录帐号:"),
                             twips(240, 270, 840, 270));
    accountBox = new QComboBox(this);
    accountBox->setObjectName(QStringLiteral("ComboUser"));
    accountBox->setEditable(true);
    placeInForm(this, accountBox, twips(1200, 240, 2295, 300));
    accountBox->setInsertPolicy(QComboBox::NoInsert);
    // Saved names differ by letter case; completion must not change the case typed.
    accountBox->completer()->setCaseSensitivity(Qt::CaseSensitive);
    clearNamesButton =
        fc::button(this, QStringLiteral("Command4"), QStringLiteral("清除记录"), twips(3600, 240, 1095, 300));

    passwordLabel = fc::label(this, QStringLiteral("lblLabels_1"), QStringLiteral("登录密码:"),
                              twips(240, 840, 840, 270));
    passwordEdit = fc::passwordBox(this, QStringLiteral("txtPassword"), twips(1170, 840, 2325, 300));
    forgotButton =
        fc::button(this, QStringLiteral("Command3"), QStringLiteral("忘记密码"), twips(3600, 840, 1095, 300));

    registerButton =
        fc::button(this, QStringLiteral("Command2"), QStringLiteral("注册帐号"), twips(120, 1440, 1095, 420));
    loginButton =
        fc::button(this, QStringLiteral("cmdOK"), QStringLiteral("确定"), twips(1280, 1440, 1095, 420));
    loginButton->setDefault(true);
    offlineButton = fc::button(this, QStringLiteral("Command1"), QStringLiteral("离线登录"),
                               twips(2440, 1440, 1095, 420));
    cancelButton =
        fc::button(this, QStringLiteral("cmdCancel"), QStringLiteral("取消"), twips(3600, 1440, 1095, 420));

    serverAddressLabel = new ElidedLabel(this);
    serverAddressLabel->setObjectName(QStringLiteral("lblServer"));
    serverAddressLabel->setFullText(m_context.config.serverLabel());
    placeInForm(this, serverAddressLabel, twips(120, 1980, 4575, 270));

    setTabOrder(accountBox, clearNamesButton);
    setTabOrder(clearNamesButton, passwordEdit);
    setTabOrder(passwordEdit, loginButton);
    setTabOrder(loginButton, offlineButton);
    setTabOrder(offlineButton, registerButton);
    setTabOrder(registerButton, cancelButton);
    setTabOrder(cancelButton, forgotButton);

    probeTimer = new QTimer(this);
    probeTimer->setObjectName(QStringLiteral("Timer1"));
    probeTimer->setInterval(500);

    connect(loginButton, &QPushButton::clicked, this, &frmLogin::loginClicked);
    connect(offlineButton, &QPushButton::clicked, this, &frmLogin::offlineClicked);
    connect(registerButton, &QPushButton::clicked, this, &frmLogin::registerClicked);
    connect(forgotButton, &QPushButton::clicked, this, &frmLogin::forgotClicked);
    connect(clearNamesButton, &QPushButton::clicked, this, &frmLogin::clearNamesClicked);
    connect(cancelButton, &QPushButton::clicked, this, &frmLogin::cancelClicked);
    connect(probeTimer, &QTimer::timeout, this, &frmLogin::probeTick);
}

void frmLogin::Form_Load()
{
    passwordEdit->clear();
    accountBox->clear();

    const SavedNames saved;
    const QString username = saved.usernameValue();
    accountBox->addItems(saved.names());
    // Adding items selects the first one; the box shows the prompt or the last login.
    accountBox->setCurrentIndex(-1);
    accountBox->setEditText(username.isEmpty() ? kPromptText : saved.lastLogin());

    // Availability is known only from the first tick on.
    m_ticked = false;
    m_reloadOnShow = false;
    updateButtons();
    probeTimer->start();
}

void frmLogin::setAccountName(const QString &name)
{
    accountBox->setEditText(name);
}

void frmLogin::setConnectionProbe(std::function<bool()> probe)
{
    m_probe = probe ? std::move(probe) : std::function<bool()>(&frmLogin::systemHasConnection);
}

bool frmLogin::systemHasConnection()
{
    static const bool backendLoaded = QNetworkInformation::loadDefaultBackend();
    if (backendLoaded) {
        if (const QNetworkInformation *info = QNetworkInformation::instance();
            info && info->supports(QNetworkInformation::Feature::Reachability)) {
            const auto reach = info->reachability();
            if (reach != QNetworkInformation::Reachability::Unknown)
                return reach != QNetworkInformation::Reachability::Disconnected;
        }
    }
    const auto interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &iface : interfaces) {
        const auto flags = iface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning) &&
            !flags.testFlag(QNetworkInterface::IsLoopBack))
            return true;
    }
    return false;
}

void frmLogin::probeTick()
{
    m_hasRecordFile = QFileInfo(m_context.config.recordFile()).isFile();
    m_hasConnection = m_probe();
    m_ticked = true;
    updateButtons();
}

QList<QWidget *> frmLogin::actionButtons() const
{
    return {loginButton, offlineButton, registerButton, forgotButton, clearNamesButton, cancelButton};
}

void frmLogin::updateButtons()
{
    // While an action waits, its guard holds the buttons; they get their state after it.
    if (BusyGuard::isBusy(this))
        return;
    offlineButton->setEnabled(m_ticked && m_hasRecordFile);
    loginButton->setEnabled(m_ticked && m_hasConnection);
    registerButton->setEnabled(m_ticked && m_hasConnection);
    forgotButton->setEnabled(true);
    clearNamesButton->setEnabled(true);
    cancelButton->setEnabled(true);
}

void frmLogin::loginClicked()
{
    if (BusyGuard::isBusy(this))
        return;
    const QString user = accountBox->currentText();
    const QString password = passwordEdit->text();
    if (user.isEmpty() || password.isEmpty()) {
        m_context.prompter.message(this, QStringLiteral("错误"), QStringLiteral("请输入用户名和密码！"),
                                   PromptIcon::Critical);
        return;
    }
    // Held until the class lists are loaded too: that download waits inside this click.
    BusyGuard busy(this, actionButtons());
    if (!loginOnline(busy, user, password))
        return;
    busy.release();
    updateButtons();
}

// The window may go away while a request waits; nothing of it is touched after that.
bool frmLogin::loginOnline(BusyGuard &busy, const QString &user, const QString &password)
{
    const auto sent = sendAndWait(busy, m_context.link, score_pages::checkPassword(user, password));
    if (!sent)
        return false;
    const HttpResult &reply = *sent;

    switch (reply.outcome()) {
    case ReplyOutcome::Failed:
        m_context.prompter.message(this, QStringLiteral("错误"), reply.text + QStringLiteral("\r\n网络异常！"),
                                   PromptIcon::None);
        break;
    case ReplyOutcome::Rejected:
        m_context.prompter.message(this, QStringLiteral("登录"), QStringLiteral("无效的密码，请重试!"),
                                   PromptIcon::Warning);
        passwordEdit->setFocus();
        passwordEdit->selectAll();
        break;
    case ReplyOutcome::Accepted:
        m_context.session.logInOnline(user, Md5Hex(password));
        if (!busy.wait([this] {
                emit showMainWindowRequested();
                emit loggedInOnline();
            }))
            return false;
        hide();
        SavedNames().remember(m_context.login.LoginUser);
        break;
    }
    return true;
}

void frmLogin::offlineClicked()
{
    if (BusyGuard::isBusy(this))
        return;
    BusyGuard busy(this, actionButtons());
    m_context.session.logInOffline();
    if (!busy.wait([this] { emit loggedInOffline(); }))
        return;
    busy.release();
    hide();
    emit showMainWindowRequested();
    updateButtons();
}

void frmLogin::registerClicked()
{
    if (BusyGuard::isBusy(this))
        return;
    // Until a registration window listens, stay here rather than leave no window open.
    if (!isSignalConnected(QMetaMethod::fromSignal(&frmLogin::registerRequested)))
        return;
    hide();
    emit registerRequested();
}

void frmLogin::forgotClicked()
{
    if (BusyGuard::isBusy(this))
        return;
    if (!isSignalConnected(QMetaMethod::fromSignal(&frmLogin::resetPasswordRequested)))
        return;
    emit resetPasswordRequested();
    hide();
}

void frmLogin::clearNamesClicked()
{
    if (BusyGuard::isBusy(this))
        return;
    accountBox->clear();
    accountBox->setEditText(QString());
    SavedNames().clear();
}

void frmLogin::cancelClicked()
{
    if (BusyGuard::isBusy(this))
        return;
    hide();
    emit showMainWindowRequested();
}

void frmLogin::reject()
{
    cancelClicked();
}

void frmLogin::closeEvent(QCloseEvent *event)
{
    if (BusyGuard::isBusy(this)) {
        event->ignore();
        return;
    }
    event->accept();
    // A closed window starts afresh when it is shown again.
    probeTimer->stop();
    m_reloadOnShow = true;
    emit showMainWindowRequested();
}

void frmLogin::showEvent(QShowEvent *event)
{
    if (m_reloadOnShow) {
        Form_Load();
    } else {
        // Whatever the buttons showed before, they wait for a tick after this showing.
        m_ticked = false;
        updateButtons();
        probeTimer->start();
    }
    fc::centreOnScreen(this);
    QDialog::showEvent(event);
}

} // namespace corvanta
