#pragma once

#include <QStyledItemDelegate>

class QListView;

namespace corvanta {

// Draws the TAB-separated fields of a list's lines in columns, each as wide as its widest
// field in the list, so a long scale text or name does not push the next field out of line.
// The lines themselves keep their TABs.
class TabColumns : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // Installs itself on the list and follows its model.
    explicit TabColumns(QListView *list);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // Left edges of the columns, in pixels from the start of the text.
    QList<int> columnStarts(const QFontMetrics &metrics) const;

private:
    QListView *m_list;
    mutable QList<int> m_starts;
    mutable bool m_stale = true;
};

} // namespace corvanta
