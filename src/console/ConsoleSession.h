#pragma once

#include "app/RecordFile.h"
#include "console/Shortcuts.h"
#include "widgets/AppContext.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

namespace corvanta {

// What the console's pages share: the context, the console window (busy while a request
// waits), the operation password box, the class record file, and the signals the
// application passes on to the main window.
class ConsoleSession : public QObject
{
    Q_OBJECT
public:
    ConsoleSession(AppContext &context, QWidget *window, console::ShortcutFolders folders,
                   QObject *parent = nullptr);

    AppContext &context() const { return m_context; }
    QWidget *window() const { return m_window; }
    RecordFile &records() { return m_records; }
    const console::ShortcutFolders &shortcutFolders() const { return m_folders; }

    // The text of the console's operation password box.
    QString operationPassword() const { return m_password ? m_password() : QString(); }
    void setPasswordSource(std::function<QString()> source) { m_password = std::move(source); }
    // The class the score page shows (the scale edit sends it along).
    QString scoreClass() const { return m_scoreClass ? m_scoreClass() : QString(); }
    void setScoreClassSource(std::function<QString()> source) { m_scoreClass = std::move(source); }

    // Downloads the class record file again; the pages read it afterwards.
    void refreshRecordCache();
    // The record file and the main window's lists follow the server.
    void fullRefresh();

signals:
    // The class record file changed: the main window reloads its class and topic lists.
    void classListsChanged();
    // The standards of a topic changed: the main window reloads its standards list.
    void standardsChanged();
    // A page asks to be shown again (and so filled from the fresh file).
    void pageRequested(int index);

private:
    AppContext &m_context;
    QPointer<QWidget> m_window;
    console::ShortcutFolders m_folders;
    RecordFile m_records;
    std::function<QString()> m_password;
    std::function<QString()> m_scoreClass;
};

} // namespace corvanta
