#pragma once

#include "console/Shortcuts.h"
#include "core/Result.h"
#include "net/RecordFile.h"
#include "widgets/AppContext.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace corvanta {

class ConsolePage;

// What the console's pages share: the context (whose session holds the login, the
// operation password and the record file), the console window (busy while a request
// waits), and the signals the application passes on to the main window.
class ConsoleSession : public QObject
{
    Q_OBJECT
public:
    ConsoleSession(AppContext &context, QWidget *window, console::ShortcutFolders folders,
                   QObject *parent = nullptr);

    AppContext &context() const { return m_context; }
    QWidget *window() const { return m_window; }
    RecordFile &records();
    const console::ShortcutFolders &shortcutFolders() const { return m_folders; }

    QString operationPassword() const;
    // The class the score page shows (the scale edit sends it along).
    QString scoreClass() const { return m_scoreClass ? m_scoreClass() : QString(); }
    void setScoreClassSource(std::function<QString()> source) { m_scoreClass = std::move(source); }

    // Downloads the class record file again; the pages read it afterwards. A failure says
    // why: the file may then be older than the server's data.
    Result refreshRecordCache();
    // Whether the lists read from the record file may be edited and sent: not while an
    // online teacher's file may be older than the server's data (the failure tells why the
    // last download failed).
    Result recordsUsable() const;

signals:
    // The class record file changed: the main window reloads its class and topic lists.
    void classListsChanged();
    // The standards of a topic changed: the main window reloads its standards list.
    void standardsChanged();
    // A page asks to be shown again (and so filled from the fresh file).
    void pageRequested(corvanta::ConsolePage *page);

private:
    AppContext &m_context;
    QPointer<QWidget> m_window;
    console::ShortcutFolders m_folders;
    std::function<QString()> m_scoreClass;
    QString m_refreshProblem;
};

} // namespace corvanta
