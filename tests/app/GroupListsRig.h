#pragma once

// The group lists panel alone on a fresh context, with the mouse and drop events a drag
// between its lists brings.
#include "app/GroupListsPanel.h"
#include "support/WindowRig.h"

#include <QApplication>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace corvanta::test {

class GroupListsRig : protected WindowRig
{
protected:
    std::unique_ptr<GroupListsPanel> m_lists;

    void openLists(const QString &className, const std::array<QStringList, GroupCount> &groups)
    {
        m_lists = std::make_unique<GroupListsPanel>(context());
        m_lists->resize(800, 400);
        m_lists->setGroups(className, groups);
        m_lists->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_lists.get()));
    }
    void closeLists()
    {
        m_lists.reset();
        dropRig();
    }

    QListWidget *list(int g) const
    {
        return WindowRig::child<QListWidget>(m_lists.get(), QStringLiteral("List_group_%1").arg(g));
    }
    QLineEdit *passwordBox() const
    {
        return WindowRig::child<QLineEdit>(m_lists.get(), QStringLiteral("Text11"));
    }
    QPushButton *uploadButton() const
    {
        return WindowRig::child<QPushButton>(m_lists.get(), QStringLiteral("Command29"));
    }
    static QStringList names(const QListWidget *list)
    {
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out.append(list->item(i)->text());
        return out;
    }

    // Where to drop on a list: on a line, or (row -1) below its last line.
    QPoint pointOf(int g, int row) const
    {
        QListWidget *l = list(g);
        if (row >= 0)
            return l->visualItemRect(l->item(row)).center();
        return {10, l->viewport()->height() - 3};
    }

    // Left button down on a line and a move far enough to start a drag; offscreen the
    // platform ends the drag at once, as a drop outside any list would.
    void grab(int g, int row)
    {
        QListWidget *l = list(g);
        QTRY_VERIFY(!l->visualItemRect(l->item(row)).isEmpty());
        const QPoint at = pointOf(g, row);
        QTest::mousePress(l->viewport(), Qt::LeftButton, {}, at);
        const QPoint away = at + QPoint(0, QApplication::startDragDistance() + 5);
        QMouseEvent move(QEvent::MouseMove, away, l->viewport()->mapToGlobal(away), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(l->viewport(), &move);
        QTest::mouseRelease(l->viewport(), Qt::LeftButton, {}, away);
    }

    static std::unique_ptr<QMimeData> nameData(const QString &name)
    {
        auto data = std::make_unique<QMimeData>();
        data->setData(QString::fromLatin1(GroupListsPanel::kNameFormat), name.toUtf8());
        return data;
    }

    // The events the platform delivers to the list under the cursor; true when the list took
    // the drag.
    bool dropOn(int g, const QPoint &at, const QMimeData &data)
    {
        QWidget *viewport = list(g)->viewport();
        QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        if (!enter.isAccepted())
            return false;
        QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QDropEvent drop(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        return drop.isAccepted();
    }

    // A whole drag of the name at (g, row) to list target, on line targetRow or below its last line.
    void dragName(int g, int row, int target, int targetRow)
    {
        const QString name = list(g)->item(row)->text();
        grab(g, row);
        QVERIFY(dropOn(target, pointOf(target, targetRow), *nameData(name)));
    }
};

} // namespace corvanta::test
