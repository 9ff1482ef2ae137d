#pragma once

#include "support/WindowRig.h"

#include "scoring/UploadPanel.h"

#include <QApplication>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>

#include <memory>

namespace corvanta::test {

// The upload panel in a window of its own, so the panels shown in its place stand beside it
// as they do in the main window.
class HostedUploadRig : protected WindowRig
{
protected:
    std::unique_ptr<QWidget> m_host;
    UploadPanel *m_panel = nullptr;

    // pendingFile: keep the pending scores in that file instead of the usual one.
    void openHost(const QStringList &pending, const QString &pendingFile = {})
    {
        m_host.reset();
        resetRig();
        if (!pendingFile.isEmpty())
            usePendingFile(pendingFile);
        for (const QString &line : pending)
            (void)m_pending->append(test::score(line)); // a test of an unwritable file appends anyway
        m_host = std::make_unique<QWidget>();
        m_host->resize(560, 260);
        m_panel = new UploadPanel(context(), m_host.get());
        m_panel->setGeometry(7, 7, 546, 246);
        m_host->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_host.get()));
    }
    void closeHost()
    {
        m_host.reset();
        m_panel = nullptr;
        dropRig();
    }
    template <typename T> T *find(const char *name) const
    {
        return WindowRig::child<T>(m_host.get(), QString::fromLatin1(name));
    }
    QListWidget *list4() const { return find<QListWidget>("List4"); }
    static QStringList texts(const QListWidget *list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out.append(list->item(i)->text());
        return out;
    }
    QList<bool> selection() const
    {
        QList<bool> out;
        for (int i = 0; i < list4()->count(); ++i)
            out.append(list4()->item(i)->isSelected());
        return out;
    }
    // A double-click on a line, as the mouse gives it: a click, then the second press.
    static void doubleClickRow(QListWidget *list, int row)
    {
        QTRY_VERIFY(!list->visualItemRect(list->item(row)).isEmpty());
        QWidget *viewport = list->viewport();
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
        QMouseEvent twice(QEvent::MouseButtonDblClick, at, viewport->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &twice);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, at);
    }
};

} // namespace corvanta::test
