#include "TabColumns.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QListView>
#include <QPainter>

namespace corvanta {

namespace {

// Room between two columns.
QString gap()
{
    return QStringLiteral("  ");
}

} // namespace

TabColumns::TabColumns(QListView *list) : QStyledItemDelegate(list), m_list(list)
{
    list->setItemDelegate(this);
    QAbstractItemModel *model = list->model();
    const auto stale = [this] { m_stale = true; };
    connect(model, &QAbstractItemModel::rowsInserted, this, stale);
    connect(model, &QAbstractItemModel::rowsRemoved, this, stale);
    connect(model, &QAbstractItemModel::dataChanged, this, stale);
    connect(model, &QAbstractItemModel::modelReset, this, stale);
    connect(model, &QAbstractItemModel::layoutChanged, this, stale);
}

QList<int> TabColumns::columnStarts(const QFontMetrics &metrics) const
{
    if (!m_stale)
        return m_starts;
    QList<int> widths;
    const QAbstractItemModel *model = m_list->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QStringList fields = model->index(row, 0).data().toString().split(u'\t');
        // The last field of a line needs no column.
        for (int i = 0; i + 1 < fields.size(); ++i) {
            if (widths.size() <= i)
                widths.append(0);
            widths[i] = std::max(widths[i], metrics.horizontalAdvance(fields[i]));
        }
    }
    m_starts = {0};
    for (int w : widths)
        m_starts.append(m_starts.last() + w + metrics.horizontalAdvance(gap()));
    m_stale = false;
    return m_starts;
}

QSize TabColumns::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    const QString text = index.data().toString();
    if (!text.contains(u'\t'))
        return size;
    const QFontMetrics metrics(option.font);
    const QStringList fields = text.split(u'\t');
    const QList<int> starts = columnStarts(metrics);
    const int last = int(fields.size()) - 1;
    const int textWidth = (last < starts.size() ? starts[last] : starts.last()) + metrics.horizontalAdvance(fields.last());
    // The style's margins at both sides of the text, and the two pixels paint() keeps.
    const QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    const int margins = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, &option, option.widget) + 1) + 4;
    size.setWidth(textWidth + margins);
    return size;
}

void TabColumns::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const QString text = index.data().toString();
    if (!text.contains(u'\t')) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    item.text.clear();
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    // The panel (selection and focus) as usual, then the fields at their columns.
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);
    const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &item, widget).adjusted(2, 0, -2, 0);
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active)  ? QPalette::Active
                                                                                : QPalette::Inactive;
    painter->save();
    painter->setFont(item.font);
    painter->setPen(item.palette.color(group, (option.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                      : QPalette::Text));
    const QStringList fields = text.split(u'\t');
    const QList<int> starts = columnStarts(QFontMetrics(item.font));
    for (int i = 0; i < fields.size(); ++i) {
        const int left = area.left() + (i < starts.size() ? starts[i] : starts.last());
        if (left > area.right())
            break;
        const QRect cell(left, area.top(), area.right() - left + 1, area.height());
        painter->drawText(cell, Qt::AlignLeft | Qt::AlignVCenter, fields[i]);
    }
    painter->restore();
}

} // namespace corvanta
