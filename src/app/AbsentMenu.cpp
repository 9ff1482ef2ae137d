#include "AbsentMenu.h"

#include "app/AbsentStore.h"

#include <QListWidget>
#include <QMenu>

namespace corvanta {

QString AbsentDelegate::textFor(const QModelIndex &index) const
{
    const QString name = index.data(Qt::DisplayRole).toString();
    return m_menu.isAbsent(name) ? AbsentMenu::shownName(name) : name;
}

void AbsentDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QString name = index.data(Qt::DisplayRole).toString();
    if (!m_menu.isAbsent(name))
        return;
    option->text = AbsentMenu::shownName(name);
    const QColor grey(0x9e, 0x9e, 0x9e);
    option->palette.setColor(QPalette::Text, grey);
    option->palette.setColor(QPalette::HighlightedText, grey.lighter(130));
}

AbsentMenu::AbsentMenu(AbsentStore &store, QObject *parent) : QObject(parent), m_store(store) {}

void AbsentMenu::attach(QListWidget *list)
{
    list->setItemDelegate(new AbsentDelegate(*this, list));
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this,
            [this, list](const QPoint &at) { showMenu(list, at); });
    m_lists.append(list);
}

bool AbsentMenu::isAbsent(const QString &name) const
{
    return !m_class.isEmpty() && m_store.isAbsent(m_class, name);
}

QString AbsentMenu::actionText(const QString &name) const
{
    return isAbsent(name) ? QStringLiteral("取消缺席") : QStringLiteral("标记缺席");
}

void AbsentMenu::addActionTo(QMenu *menu, const QString &name)
{
    QAction *action = menu->addAction(actionText(name), this, [this, name] { toggle(name); });
    action->setObjectName(QStringLiteral("actAbsent"));
    action->setEnabled(!m_class.isEmpty() && !name.isEmpty());
}

void AbsentMenu::toggle(const QString &name)
{
    if (m_class.isEmpty() || name.isEmpty())
        return;
    const bool absent = !isAbsent(name);
    const Result kept = m_store.setAbsent(m_class, name, absent);
    refreshLists();
    emit changed(name, absent);
    if (!kept)
        emit saveFailed(kept.error());
}

void AbsentMenu::refreshLists()
{
    for (const auto &list : std::as_const(m_lists)) {
        if (list)
            list->viewport()->update();
    }
}

void AbsentMenu::showMenu(QListWidget *list, const QPoint &at)
{
    const QListWidgetItem *item = list->itemAt(at);
    if (!item)
        return;
    // Not modal: the window goes on (and a test can reach the menu).
    auto *menu = new QMenu(list);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    addActionTo(menu, item->text());
    menu->popup(list->viewport()->mapToGlobal(at));
}

} // namespace corvanta
