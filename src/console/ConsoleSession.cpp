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

Result ConsoleSession::refreshRecordCache()
{
    Result refreshed = m_context.session.refreshRecords(m_context.link);
    m_refreshProblem = refreshed.error();
    return refreshed;
}

Result ConsoleSession::recordsUsable() const
{
    if (!m_context.login.isOnline() || m_context.session.recordsFresh())
        return Result::success();
    return Result::failure(m_refreshProblem);
}

} // namespace corvanta
