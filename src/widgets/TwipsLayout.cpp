#include "TwipsLayout.h"

#include "Twips.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidgetItem>

namespace corvanta {

namespace {

// The forms put their first row this far below a frame's top edge.
constexpr int DesignTopTwips = 120;

} // namespace

TwipsLayout::TwipsLayout(QWidget *frame) : QLayout(frame)
{
    setContentsMargins(0, 0, 0, 0);
    setSizeConstraint(QLayout::SetNoConstraint);
}

TwipsLayout::~TwipsLayout()
{
    for (const Placed &p : m_items)
        delete p.item;
}

void TwipsLayout::place(QWidget *control, QRect design)
{
    addChildWidget(control);
    control->setGeometry(design);
    m_items.append({new QWidgetItem(control), design});
    invalidate();
}

void TwipsLayout::addItem(QLayoutItem *item)
{
    m_items.append({item, QRect(QPoint(), item->sizeHint())});
}

int TwipsLayout::count() const
{
    return int(m_items.size());
}

QLayoutItem *TwipsLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items[index].item : nullptr;
}

QLayoutItem *TwipsLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return m_items.takeAt(index).item;
}

QSize TwipsLayout::sizeHint() const
{
    QRect all;
    for (const Placed &p : m_items)
        all |= p.design;
    return all.size();
}

QSize TwipsLayout::minimumSize() const
{
    // The frame's size is fixed by the form; the layout never asks for more.
    return {0, 0};
}

int TwipsLayout::neededHeight(const QWidget *control)
{
    if (qobject_cast<const QLineEdit *>(control) || qobject_cast<const QComboBox *>(control) ||
        qobject_cast<const QAbstractButton *>(control))
        return control->sizeHint().height();
    if (const auto *label = qobject_cast<const QLabel *>(control); label && !label->wordWrap())
        return label->fontMetrics().height() + 2 * label->frameWidth() + 2 * label->margin();
    return 0;
}

void TwipsLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    if (m_items.isEmpty())
        return;
    // `rect` is the frame's content area, below its title.
    const int designTop = twipsToPixels(DesignTopTwips);
    const int top = std::max(rect.top(), designTop);
    const int bottom = rect.bottom() + 1;

    struct Row
    {
        QLayoutItem *item;
        QRect design;
        int height;
    };
    QList<Row> rows;
    int designBottom = designTop + 1;
    for (const Placed &p : m_items) {
        const int h = std::min(bottom - top, std::max(p.design.height(),
                                                      p.item->widget() ? neededHeight(p.item->widget()) : 0));
        rows.append({p.item, p.design, h});
        designBottom = std::max(designBottom, p.design.center().y() + (h + 1) / 2);
    }
    // Pressed together only when the title takes more than the forms left for it.
    const int room = bottom - top;
    const qreal scale = std::min<qreal>(1.0, qreal(room) / std::max(1, designBottom - designTop));
    for (const Row &row : rows) {
        const int centre = top + qRound((row.design.center().y() - designTop) * scale);
        int y = centre - row.height / 2;
        y = std::clamp(y, top, std::max(top, bottom - row.height));
        row.item->setGeometry(QRect(row.design.left(), y, row.design.width(), row.height));
    }
}

} // namespace corvanta

namespace corvanta {

void placeInForm(QWidget *parent, QWidget *control, QRect design)
{
    if (auto *layout = dynamic_cast<TwipsLayout *>(parent ? parent->layout() : nullptr)) {
        layout->place(control, design);
        return;
    }
    const int needed = TwipsLayout::neededHeight(control);
    if (needed > design.height())
        design.adjust(0, -(needed - design.height()) / 2, 0, (needed - design.height() + 1) / 2);
    control->setGeometry(design);
}

} // namespace corvanta
