#pragma once

#include "support/WindowRig.h"

#include "scoring/UploadPanel.h"

#include <QListWidget>

#include <memory>

namespace corvanta::test {

// The upload panel on a fresh window rig.
class PanelRig : public WindowRig
{
protected:
    void dropRig()
    {
        m_panel.reset();
        WindowRig::dropRig();
    }
    void linkTo(const QString &base)
    {
        m_panel.reset();
        WindowRig::linkTo(base);
    }
    void makePanel(const QStringList &lines = {})
    {
        for (const QString &line : lines)
            (void)m_pending->append(test::score(line)); // a test of an unwritable file appends anyway
        m_panel = std::make_unique<UploadPanel>(context());
        m_panel->resize(600, 400);
    }
    template <typename T> T *panelChild(const char *name) const
    {
        return child<T>(m_panel.get(), QString::fromLatin1(name));
    }
    QListWidget *list4() const { return panelChild<QListWidget>("List4"); }
    void selectOnly(const QList<int> &rows)
    {
        list4()->clearSelection();
        for (int row : rows)
            list4()->item(row)->setSelected(true);
    }
    QStringList listTexts() const
    {
        QStringList texts;
        for (int i = 0; i < list4()->count(); ++i)
            texts.append(list4()->item(i)->text());
        return texts;
    }

    std::unique_ptr<UploadPanel> m_panel;
};

} // namespace corvanta::test
