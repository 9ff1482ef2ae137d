#include "ConsoleSession.h"

#include "net/Session.h"

namespace corvanta {

ConsoleSession::ConsoleSession(AppContext &context, QWidget *window, console::ShortcutFolders folders,
                               QObject *parent)
    : QObject(parent), m_context(context), m_window(window), m_folders(std::move(folders))
{
}

RecordFile &ConsoleSession::records()
{
    return m_context.session.records();
}

QString ConsoleSession::operationPassword() const
{
    return m_context.session.operationPassword();
}

bool ConsoleSession::refreshRecordCache()
{
    return m_context.session.refreshRecords(m_context.link).ok();
}

bool ConsoleSession::recordsUsable() const
{
    return !m_context.login.isOnline() || m_context.session.recordsFresh();
}

} // namespace corvanta
