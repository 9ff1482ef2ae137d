#pragma once

#include "support/FakePrompter.h"

#include "net/ServerLink.h"
#include "scoring/PendingScores.h"
#include "scoring/UploadPanel.h"

#include <QListWidget>
#include <QTemporaryDir>

#include <memory>

namespace corvanta::test {

// What an upload panel test needs: a data folder, the pending scores in it, a link to a
// server address, the fake prompter and the panel. Torn down in reverse order.
class PanelRig
{
protected:
    void resetRig()
    {
        dropRig();
        m_dir = std::make_unique<QTemporaryDir>();
        m_prompter = FakePrompter();
        m_login = LoginState();
        m_pending = std::make_unique<PendingScores>(m_dir->filePath(PendingScores::defaultFileName()));
    }
    void dropRig()
    {
        m_panel.reset();
        m_link.reset();
        m_pending.reset();
    }
    // A new link (and no panel yet) for the server at base, as after a restart of the tool.
    void linkTo(const QString &base)
    {
        m_panel.reset();
        AppConfig config;
        config.dataDir = m_dir->path();
        config.serverBase = base;
        m_link = std::make_unique<ServerLink>(config, m_login, m_random);
    }
    void makePanel(const QStringList &lines = {})
    {
        for (const QString &line : lines)
            m_pending->append(line);
        m_panel = std::make_unique<UploadPanel>(*m_link, m_prompter, *m_pending);
        m_panel->resize(600, 400);
    }
    void selectOnly(const QList<int> &rows)
    {
        m_panel->List4->clearSelection();
        for (int row : rows)
            m_panel->List4->item(row)->setSelected(true);
    }
    QStringList listTexts() const
    {
        QStringList texts;
        for (int i = 0; i < m_panel->List4->count(); ++i)
            texts.append(m_panel->List4->item(i)->text());
        return texts;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    FakePrompter m_prompter;
    LoginState m_login;
    SystemRandom m_random;
    std::unique_ptr<ServerLink> m_link;
    std::unique_ptr<PendingScores> m_pending;
    std::unique_ptr<UploadPanel> m_panel;
};

} // namespace corvanta::test
