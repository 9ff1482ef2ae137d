#pragma once

#include "core/Result.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStyledItemDelegate>

class QListWidget;
class QMenu;

namespace corvanta {

class AbsentStore;

// Marks students of the chosen class absent from any name list: a context menu on a name
// offers "标记缺席" or "取消缺席", and an absent name is drawn grey with "(缺席)" after it.
// The items themselves keep the bare name, so picks, drags and uploads read what they
// always read.
class AbsentMenu : public QObject
{
    Q_OBJECT
public:
    AbsentMenu(AbsentStore &store, QObject *parent = nullptr);

    // The class the lists show; "" for none (the menu then offers nothing).
    void setClass(const QString &className) { m_class = className; }
    const QString &className() const { return m_class; }

    // Adds the menu and the absent look to the list.
    void attach(QListWidget *list);

    bool isAbsent(const QString &name) const;
    // "标记缺席" for a present student, "取消缺席" for an absent one.
    QString actionText(const QString &name) const;
    // Adds the action for the name to a menu; disabled without a class or a name.
    void addActionTo(QMenu *menu, const QString &name);
    // Marks the name absent, or present again.
    void toggle(const QString &name);
    // Draws the attached lists again (after a change, or a new day).
    void refreshLists();

    // What an absent name reads in a list.
    static QString shownName(const QString &name) { return name + QStringLiteral("(缺席)"); }

signals:
    void changed(const QString &name, bool absent);
    // The change holds for this run but could not be kept on disk.
    void saveFailed(const QString &why);

private:
    void showMenu(QListWidget *list, const QPoint &at);

    AbsentStore &m_store;
    QString m_class;
    QList<QPointer<QListWidget>> m_lists;
};

} // namespace corvanta

namespace corvanta {

// Draws an absent name grey with "(缺席)" after it; the item's own text stays the name.
class AbsentDelegate final : public QStyledItemDelegate
{
public:
    AbsentDelegate(const AbsentMenu &menu, QObject *parent) : QStyledItemDelegate(parent), m_menu(menu) {}
    // The text the list shows for the item.
    QString textFor(const QModelIndex &index) const;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    const AbsentMenu &m_menu;
};

} // namespace corvanta
