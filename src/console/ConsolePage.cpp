#include "ConsolePage.h"

#include "widgets/Twips.h"
#include "widgets/TwipsLayout.h"

#include "console/ConsoleSession.h"
#include "net/ConsoleRequests.h"
#include "net/LoginState.h"
#include "net/ServerLink.h"
#include "net/Session.h"
#include "widgets/BusyGuard.h"
#include "widgets/ClassroomLook.h"
#include "widgets/Prompter.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

namespace corvanta {

ConsolePage::ConsolePage(ConsoleSession &session, const QString &title, QWidget *parent)
    : QGroupBox(title, parent), m_session(session)
{
    setGeometry(twips(120, 120, 6255, 4335));
    new TwipsLayout(this);
}

void ConsolePage::showAgain()
{
    emit m_session.pageRequested(this);
}

QRect ConsolePage::twips(int left, int top, int width, int height)
{
    return corvanta::twips(left, top, width, height);
}

void ConsolePage::placeControl(QWidget *parent, QWidget *control, QRect rect)
{
    // Inside a frame the control stands in its content area, below the title.
    placeInForm(parent, control, rect);
}

QLabel *ConsolePage::addLabel(QWidget *parent, const QString &name, const QString &caption, QRect rect)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    placeControl(parent, label, rect);
    return label;
}

QPushButton *ConsolePage::addButton(QWidget *parent, const QString &name, const QString &caption, QRect rect)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    placeControl(parent, button, rect);
    button->setAutoDefault(false);
    return button;
}

QLineEdit *ConsolePage::addLineEdit(QWidget *parent, const QString &name, QRect rect)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(name);
    // A box the page fills shows the start of a long text; one that is not editable still
    // reads clearly.
    showStartOfFilledText(edit);
    drawDisabledInFullContrast(edit);
    placeControl(parent, edit, rect);
    return edit;
}

void ConsolePage::maskPassword(QLineEdit *box)
{
    box->setEchoMode(QLineEdit::Password);
    box->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // "*"
}

QListWidget *ConsolePage::addListBox(QWidget *parent, const QString &name, QRect rect)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    placeControl(parent, list, rect);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

QPlainTextEdit *ConsolePage::addTextBox(QWidget *parent, const QString &name, QRect rect)
{
    auto *text = new QPlainTextEdit(parent);
    text->setObjectName(name);
    placeControl(parent, text, rect);
    text->setTabChangesFocus(true);
    return text;
}

QComboBox *ConsolePage::addComboBox(QWidget *parent, const QString &name, QRect rect)
{
    auto *combo = new QComboBox(parent);
    combo->setObjectName(name);
    placeControl(parent, combo, rect);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

QGroupBox *ConsolePage::addFrame(const QString &name, const QString &title, QRect rect)
{
    auto *frame = new QGroupBox(title, this);
    frame->setObjectName(name);
    placeControl(this, frame, rect);
    new TwipsLayout(frame);
    // Opaque, so it covers the page while shown.
    frame->setAutoFillBackground(true);
    frame->hide();
    frame->installEventFilter(this);
    m_frames.append(frame);
    return frame;
}

bool ConsolePage::eventFilter(QObject *watched, QEvent *event)
{
    const bool shown = event->type() == QEvent::Show, hidden = event->type() == QEvent::Hide;
    if ((shown || hidden) && m_frames.contains(watched)) {
        for (QObject *object : children()) {
            auto *control = qobject_cast<QWidget *>(object);
            if (control && !m_frames.contains(control))
                control->setVisible(hidden);
        }
    }
    return QGroupBox::eventFilter(watched, event);
}

void ConsolePage::addLabelledBoxes(QWidget *parent, std::initializer_list<LabelledBox> rows, Column column)
{
    int top = column.top;
    for (const LabelledBox &row : rows) {
        row.label = addLabel(parent, QString::fromLatin1(row.labelName), QString::fromUtf8(row.caption),
                             twips(column.labelLeft, top + 15, column.labelWidth, 255));
        row.box = addLineEdit(parent, QString::fromLatin1(row.boxName),
                              twips(column.boxLeft, top, column.boxWidth, 270));
        top += column.step;
    }
}

void ConsolePage::showFrame(QGroupBox *frame)
{
    frame->show();
    frame->raise();
}

bool ConsolePage::writeAllowed()
{
    const Result allowed =
        console::CheckWriteAccess(m_session.context().login, m_session.operationPassword());
    if (!allowed)
        tellRefusal(allowed.error());
    return allowed.ok();
}

bool ConsolePage::namesAllowed(const QStringList &names, outgoing::TextKind kind)
{
    const Result allowed = console::checkNames(names, kind);
    if (!allowed)
        tellRefusal(allowed.error());
    return allowed.ok();
}

void ConsolePage::tellRefusal(const QString &text)
{
    m_session.context().prompter.message(window(), QStringLiteral("提示"), text, PromptIcon::Warning);
}

bool ConsolePage::listIsFor(const QString &listFor, const QComboBox *box, const QString &kind)
{
    const Result same = console::checkListSource(listFor, box->currentText(), kind);
    if (!same)
        tellRefusal(same.error());
    return same.ok();
}

std::unique_ptr<BusyGuard> ConsolePage::beginWait()
{
    QWidget *console = m_session.window();
    if (!console || BusyGuard::isBusy(console))
        return nullptr;
    return std::make_unique<BusyGuard>(console, std::initializer_list<QWidget *>{console});
}

std::optional<HttpResult> ConsolePage::send(BusyGuard &busy, const PageCall &call)
{
    return sendAndWait(busy, m_session.context().link, call);
}

bool ConsolePage::readingAllowed()
{
    if (!m_session.context().session.loginRejected())
        return true;
    tellRefusal(Session::kLoginAgain);
    return false;
}

void ConsolePage::tellReadMessage(const QString &message)
{
    if (console_pages::isLoginRefusal(message)) {
        m_session.context().session.rejectLogin();
        tellRefusal(message + QStringLiteral("\r\n") + Session::kLoginAgain);
    } else {
        tellRefusal(message.isEmpty() ? QStringLiteral("服务器的回答不是数据，无法显示。") : message);
    }
}

std::optional<Expected<QStringList>> ConsolePage::readLines(const PageCall &call)
{
    using Lines = Expected<QStringList>;
    if (BusyGuard::isBusy(m_session.window()))
        return std::nullopt;
    if (!readingAllowed())
        return Lines::failure(Session::kLoginAgain);
    auto busy = beginWait();
    if (!busy)
        return std::nullopt;
    const auto sent = send(*busy, call);
    if (!sent)
        return std::nullopt;
    busy.reset();
    const HttpResult &reply = *sent;
    if (!reply.complete())
        return Lines::failure(reply.error);
    if (reply.status != 200)
        return Lines::failure(QStringLiteral("HTTP %1").arg(reply.status));
    if (const auto message = console_pages::listReplyMessage(reply.text)) {
        tellReadMessage(*message);
        return Lines::failure(*message);
    }
    return console_pages::readLines(reply.text);
}

ReplyOutcome ConsolePage::sendChange(const PageCall &call, ReplyKind kind, const QString &successText,
                                     const QString &failureText, QLabel *status,
                                     const std::function<void()> &onAccepted)
{
    auto busy = beginWait();
    if (!busy)
        return ReplyOutcome::Failed;
    const auto reply = send(*busy, call);
    if (!reply)
        return ReplyOutcome::Failed;
    const ReplyNotice notice = console::consoleReply(*reply, kind, successText, failureText);
    const Result refreshed =
        notice.outcome == ReplyOutcome::Accepted ? m_session.refreshRecordCache() : Result::success();
    busy.reset();
    if (notice.outcome == ReplyOutcome::Accepted && onAccepted)
        onAccepted();
    tellNotice(notice, status);
    if (!refreshed) {
        if (status)
            status->setText(staleText());
        tellRefusal(staleText());
    }
    return notice.outcome;
}

ReplyOutcome ConsolePage::sendDeletion(const PageCall &call, QLabel *status)
{
    const ReplyOutcome outcome = sendChange(call, ReplyKind::ListSave, QStringLiteral("操作成功！"),
                                            QStringLiteral("操作错误！"), status);
    if (outcome == ReplyOutcome::Accepted)
        emit m_session.classListsChanged();
    return outcome;
}

ReplyOutcome ConsolePage::tell(const HttpResult &reply, ReplyKind kind, const QString &successText,
                               const QString &failureText, QLabel *status)
{
    const ReplyNotice notice = console::consoleReply(reply, kind, successText, failureText);
    tellNotice(notice, status);
    return notice.outcome;
}

void ConsolePage::tellNotice(const ReplyNotice &notice, QLabel *status)
{
    if (status && !notice.status.isNull())
        status->setText(notice.status);
    m_session.context().prompter.message(window(), notice.title, notice.text, PromptIcon(notice.icon));
}

void ConsolePage::removeRecords(const RecordRemoval &removal)
{
    if (BusyGuard::isBusy(this) || !writeAllowed())
        return;
    removal.pending->clear();
    const QStringList before = items(removal.list);
    const int removed = removeSelected(removal.list, removal.pending);
    if (removed == 0) {
        removal.status->setText(removal.nothingSelected);
    } else if (removal.sendDeletions() == ReplyOutcome::Accepted) {
        removal.status->setText(removal.removed.arg(removed));
    } else {
        const QString status = removal.status->text();
        if (!removal.reload()) {
            setItems(removal.list, before);
            removal.pending->clear();
        }
        removal.status->setText(status);
    }
}

QStringList ConsolePage::items(const QListWidget *list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

QList<int> ConsolePage::selectedRows(const QListWidget *list)
{
    QList<int> rows;
    for (int i = 0; i < list->count(); ++i) {
        if (list->item(i)->isSelected())
            rows.append(i);
    }
    return rows;
}

void ConsolePage::setItems(QListWidget *list, const QStringList &items)
{
    list->clear();
    list->addItems(items);
}

void ConsolePage::selectAll(QListWidget *list)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setSelected(true);
}

void ConsolePage::invertSelection(QListWidget *list)
{
    for (int i = 0; i < list->count(); ++i)
        list->item(i)->setSelected(!list->item(i)->isSelected());
}

int ConsolePage::removeSelected(QListWidget *list, QString *pending)
{
    QStringList all = items(list);
    const int removed = console::RemoveSelectedLines(all, selectedRows(list), pending);
    if (removed > 0)
        setItems(list, all);
    return removed;
}

} // namespace corvanta
