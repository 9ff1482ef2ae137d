#include "ListPage.h"

#include "console/ConsoleSession.h"
#include "net/OutgoingText.h"
#include "net/Session.h"
#include "widgets/AppContext.h"
#include "widgets/BusyGuard.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>

namespace corvanta {

ListPage::ListPage(ConsoleSession &session, const QString &title, QWidget *parent)
    : ConsolePage(session, title, parent)
{
    connect(&session.context().session, &Session::recordsChanged, this, &ListPage::updateEditing);
    connect(&session.context().session, &Session::loginChanged, this, &ListPage::updateEditing);
}

void ListPage::setListControls(QListWidget *list, QPlainTextEdit *input, QLabel *status, ListTexts texts,
                               QList<QWidget *> editing)
{
    m_list = list;
    m_input = input;
    m_status = status;
    m_texts = std::move(texts);
    m_editing = std::move(editing);
    updateEditing();
}

void ListPage::updateEditing()
{
    const Result usable = m_session.recordsUsable();
    for (QWidget *control : m_editing)
        control->setEnabled(usable.ok() && hasList());
    if (m_status)
        m_status->setToolTip(usable.error()); // why the file could not be fetched again
    if (!usable && m_status)
        m_status->setText(staleText());
}

bool ListPage::mayEditList()
{
    if (BusyGuard::isBusy(this) || !writeAllowed())
        return false;
    if (!m_session.recordsUsable()) {
        tellRefusal(staleText());
        return false;
    }
    if (const Result source = listSourceCheck(); !source) {
        tellRefusal(source.error());
        return false;
    }
    return true;
}

void ListPage::addTyped()
{
    if (!mayEditList())
        return;
    const QString typed = m_input->toPlainText();
    if (!namesAllowed(console::typedNames(typed)))
        return;
    QStringList list = items(m_list);
    const console::AddCounts counts = console::AddLinesToList(typed, list);
    setItems(m_list, list);
    m_status->clear();
    bool saved = true;
    if (counts.added == 0) {
        m_status->setText(m_texts.nothingToAdd);
    } else {
        saved = saveList() == ReplyOutcome::Accepted;
        // The list keeps the names either way; the next save sends them again.
        m_input->clear();
        if (saved)
            m_status->setText(m_texts.added.arg(counts.added));
    }
    if (counts.present > 0 && saved)
        m_status->setText(m_status->text() + m_texts.present.arg(counts.present));
    updateEditing(); // a failed refresh after the save outranks its counts
}

void ListPage::removeChosen(bool alwaysSave)
{
    if (!mayEditList())
        return;
    const int removed = removeSelected(m_list);
    if (removed == 0 && !alwaysSave) {
        m_status->setText(m_texts.nothingSelected);
        return;
    }
    if (saveList() != ReplyOutcome::Accepted)
        return; // the status label shows what the save met
    if (removed == 0)
        m_status->setText(m_texts.nothingSelected);
    else if (!m_texts.removed.isEmpty())
        m_status->setText(m_texts.removed.arg(removed));
    updateEditing();
}

ReplyOutcome ListPage::saveList()
{
    // A save never sends a list the page could not vouch for.
    if (!mayEditList())
        return ReplyOutcome::Failed;
    if (listKind() == console::ListKind::Students) {
        if (const Result names = outgoing::checkStudentList(items(m_list)); !names) {
            tellRefusal(names.error());
            return ReplyOutcome::Failed;
        }
    }
    const AppContext &context = m_session.context();
    const ReplyOutcome outcome =
        sendChange(console::SaveListToServer(listKind(), context.login, m_session.operationPassword(),
                                             items(m_list), listClass()),
                   ReplyKind::ListSave, QStringLiteral("操作成功！"), QStringLiteral("操作错误！"), m_status);
    if (outcome == ReplyOutcome::Accepted)
        emit m_session.classListsChanged();
    return outcome;
}

void ListPage::sendRename(const PageCall &call, const QString &newName, QGroupBox *frame,
                          const std::function<void()> &reload)
{
    if (BusyGuard::isBusy(this))
        return;
    if (newName.isEmpty()) {
        tellRefusal(QStringLiteral("新名称不能为空！"));
        return;
    }
    if (!namesAllowed({newName}))
        return;
    if (const Result source = listSourceCheck(); !source) {
        tellRefusal(source.error());
        return;
    }
    const auto accepted = [this, &reload] {
        emit m_session.classListsChanged();
        reload();
    };
    if (sendChange(call, ReplyKind::Change, QStringLiteral("修改成功！"), QStringLiteral("修改失败！"),
                   m_status, accepted) == ReplyOutcome::Accepted)
        frame->hide();
}

} // namespace corvanta
