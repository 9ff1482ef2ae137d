#include "Dialog.h"

#include "widgets/Twips.h"
#include "widgets/TwipsLayout.h"

#include "console/ConsolePage.h"
#include "console/ConsoleSession.h"
#include "console/QrCodeView.h"
#include "core/AppConfig.h"
#include "net/ConsoleRequests.h"
#include "net/ServerLink.h"
#include "net/Session.h"
#include "widgets/BusyGuard.h"
#include "widgets/ClassroomLook.h"
#include "widgets/PasswordBinding.h"
#include "widgets/Prompter.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace corvanta {

namespace {

// The window's outer size in twips; its frame takes this many pixels of it.
constexpr int kWidthTwips = 10800, kHeightTwips = 5800;
constexpr int kFrameAllowanceX = 6, kFrameAllowanceY = 26;

QLabel *helpLabel(QWidget *parent, const char *name, const QString &caption, QRect rect)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(rect);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

Dialog::Dialog(AppContext &context, console::ShortcutFolders folders, QWidget *parent,
               const ConsolePageList &pages)
    : QDialog(parent), m_context(context)
{
    useClassroomFonts();
    setObjectName(QStringLiteral("Dialog"));
    setWindowTitle(QStringLiteral("Corvantis管理后台"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    m_session = new ConsoleSession(context, this, std::move(folders), this);
    const PageButtonLayout layout = pageButtonLayout(int(pages.size()));
    buildFrameControls(pages, layout.buttons);
    buildHelpFrame();

    for (const ConsolePageEntry &entry : pages) {
        ConsolePage *page = entry.make(*m_session, this);
        page->setObjectName(pageObjectName(entry.id));
        pageWidgets.append(page);
    }
    connect(m_session, &ConsoleSession::classListsChanged, this, &Dialog::classListsChanged);
    connect(m_session, &ConsoleSession::standardsChanged, this, &Dialog::standardsChanged);
    connect(m_session, &ConsoleSession::pageRequested, this, &Dialog::showPage);

    Form_Load(layout.extraHeight);
}

Dialog::~Dialog() = default;

void Dialog::buildFrameControls(const ConsolePageList &pages, const QList<QRect> &places)
{
    for (qsizetype i = 0; i < pages.size(); ++i) {
        auto *b = new QPushButton(pages[i].caption, this);
        b->setObjectName(buttonObjectName(pages[i].id));
        b->setGeometry(twips(places[i].left(), places[i].top(), places[i].width(), places[i].height()));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, i] {
            if (!BusyGuard::isBusy(this))
                showPage(pageWidgets.value(i));
        });
        pageButtons.append(b);
    }
    returnButton = new QPushButton(QStringLiteral("返回"), this);
    returnButton->setObjectName(QStringLiteral("OKButton"));
    returnButton->setGeometry(twips(9240, 4680, 1215, 495));
    returnButton->setAutoDefault(false);
    connect(returnButton, &QPushButton::clicked, this, &Dialog::returnToMain);

    operationPasswordLabel = new QLabel(QStringLiteral("操作密码："), this);
    operationPasswordLabel->setObjectName(QStringLiteral("Label14"));
    operationPasswordLabel->setGeometry(twips(6960, 4080, 1095, 255));
    operationPasswordBox = new QLineEdit(this);
    operationPasswordBox->setObjectName(QStringLiteral("txtSuperPassword"));
    placeInForm(this, operationPasswordBox, twips(8160, 4080, 1695, 270));
    ConsolePage::maskPassword(operationPasswordBox);

    qrCode = new QrCodeView(this);
    qrCode->setObjectName(QStringLiteral("Picture1"));
    qrCode->setGeometry(twips(1080, 240, 3930, 3930));
    qrCode->setText(m_context.link.address(console_pages::scoreHome()).toString());
    qrCaption = new QLabel(QStringLiteral("微信扫描，关注Brastel"), this);
    qrCaption->setObjectName(QStringLiteral("Label1"));
    qrCaption->setGeometry(twips(1080, 4200, 3855, 255));
    qrCaption->setAlignment(Qt::AlignCenter);
}

void Dialog::buildHelpFrame()
{
    helpFrame = new QGroupBox(this);
    helpFrame->setObjectName(QStringLiteral("Frame1"));
    helpFrame->setGeometry(twips(6600, 120, 3855, 3735));
    auto *title = helpLabel(helpFrame, "Label17", QStringLiteral("后台管理说明"), twips(240, 240, 3495, 300));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    helpLabel(helpFrame, "Label18", QStringLiteral("这里提供一些常用功能，见底部按钮。"),
              twips(240, 630, 3495, 300));
    helpLabel(helpFrame, "Label19", QStringLiteral("密码管理提供修改密码服务，密码重置在登录界面。"),
              twips(240, 960, 3495, 540));
    helpLabel(
        helpFrame, "Label20",
        QStringLiteral(
            "班级管理和学生管理功能可以添加和删除数据，这里不能修改名称。删除后的数据不可恢复，请慎重操作！"),
        twips(240, 1530, 3495, 840));
    helpLabel(helpFrame, "Label21", QStringLiteral("计分管理功能可以删除计分，删除后不可恢复，请谨慎操作！"),
              twips(240, 2400, 3495, 540));
    helpLabel(helpFrame, "Label22", QStringLiteral("你可以通过快捷方式功能管理快捷方式。"),
              twips(240, 2970, 3495, 300));
    const QString address = m_context.link.address(console_pages::scoreHome()).toString();
    serverAddressLink =
        helpLabel(helpFrame, "Label15", QStringLiteral("后台地址 ") + address, twips(240, 3360, 3495, 330));
    serverAddressLink->setWordWrap(false);
    // A long server address gets a smaller font rather than being cut off.
    QFont font = serverAddressLink->font();
    while (font.pointSizeF() > 6 &&
           QFontMetrics(font).horizontalAdvance(serverAddressLink->text()) > serverAddressLink->width())
        font.setPointSizeF(font.pointSizeF() - 0.5);
    serverAddressLink->setFont(font);
    serverAddressLink->setStyleSheet(QStringLiteral("color: blue; text-decoration: underline;"));
    serverAddressLink->setCursor(Qt::PointingHandCursor);
    serverAddressLink->setToolTip(address);
    serverAddressLink->installEventFilter(this);
}

void Dialog::Form_Load(int extraHeight)
{
    for (ConsolePage *page : pageWidgets) {
        page->hide();
        page->move(twips(120, 120, 0, 0).topLeft());
    }
    bindOperationPassword(operationPasswordBox, m_context.session);
    setFixedSize(twipsToPixels(kWidthTwips) - kFrameAllowanceX,
                 twipsToPixels(kHeightTwips + extraHeight) - kFrameAllowanceY);
}

void Dialog::showStartView()
{
    for (ConsolePage *page : pageWidgets)
        page->hide();
    qrCode->show();
    qrCaption->show();
}

void Dialog::resetAfterLogin()
{
    for (ConsolePage *page : pageWidgets)
        page->resetAfterLogin();
}

void Dialog::showPage(ConsolePage *shown)
{
    if (!pageWidgets.contains(shown))
        return;
    for (ConsolePage *page : pageWidgets)
        page->hide();
    qrCode->hide();
    qrCaption->hide();
    shown->show();
    // After a failed download the file may be behind the server: try again before the
    // page reads it (the pages keep their lists closed while it stays so).
    if (!m_session->recordsUsable()) {
        BusyGuard busy(this, {this});
        // A failure keeps recordsUsable() failing with its reason: the page keeps its
        // lists closed and says so.
        const auto refreshed = busy.wait([this] { return m_session->refreshRecordCache(); });
        if (!refreshed)
            return;
        Q_ASSERT(refreshed->ok() == m_session->recordsUsable().ok());
    }
    shown->fillPage();
}

void Dialog::returnToMain()
{
    if (BusyGuard::isBusy(this))
        return;
    qrCode->show();
    qrCaption->show();
    hide();
    emit returnRequested();
}

void Dialog::reject()
{
    // Esc does nothing: the console is left with "返回" or the close box.
}

void Dialog::closeEvent(QCloseEvent *event)
{
    // Not while a request waits: its reply still has a page to go to.
    if (BusyGuard::isBusy(this)) {
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

bool Dialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == serverAddressLink && event->type() == QEvent::MouseButtonRelease) {
        m_context.prompter.openUrl(m_context.link.address(console_pages::scoreHome()));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace corvanta
