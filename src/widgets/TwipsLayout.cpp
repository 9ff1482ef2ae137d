#include "TwipsLayout.h"

#include "ClassroomLook.h"
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
    if (const auto *label = qobject_cast<const QLabel *>(control); label && (label->wordWrap() || label->text().isEmpty()))
        return 0;
    const QRect line = textLineArea(control);
    if (line.isNull())
        return 0;
    // The style's frame and margins around the line, and the line.
    return control->height() - line.height() + control->fontMetrics().height();
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
        designBottom = std::max(designBottom, p.design.top() + p.design.height() + (h - p.design.height() + 1) / 2);
    }
    // Pressed together only when the title takes more than the forms left for it; a control
    // grown for its font grows about its middle.
    const int room = bottom - top;
    const qreal scale = std::min<qreal>(1.0, qreal(room) / std::max(1, designBottom - designTop));
    for (Row &row : rows) {
        // A list or a text area (no line of its own) is pressed together with the rows.
        if (row.item->widget() && neededHeight(row.item->widget()) == 0)
            row.height = std::max(1, qRound(row.height * scale));
        int y = top + qRound((row.design.top() - designTop) * scale) - (row.height - row.design.height()) / 2;
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
