#include "ConsoleSession.h"

#include "core/AppConfig.h"
#include "net/RecordCache.h"

namespace corvanta {

ConsoleSession::ConsoleSession(AppContext &context, QWidget *window, console::ShortcutFolders folders,
                               QObject *parent)
    : QObject(parent), m_context(context), m_window(window), m_folders(std::move(folders)),
      m_records(context.config.recordFile())
{
}

void ConsoleSession::refreshRecordCache()
{
    // A failed download keeps the last copy; the pages then show what it holds, and the
    // next accepted change tries again.
    (void)RefreshRecordCache(m_context.link, m_context.config, m_context.login);
}

void ConsoleSession::fullRefresh()
{
    refreshRecordCache();
    emit classListsChanged();
}

} // namespace corvanta
