#include "NameDisplay.h"

#include <QPainter>

namespace corvanta {

namespace {

// Room kept free on each side of the ink, in pixels.
constexpr int InkMargin = 8;

} // namespace

NameDisplay::NameDisplay(QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setFrame(false);
    setFocusPolicy(Qt::NoFocus);
    setAlignment(Qt::AlignCenter);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, QColor(0xb7, 0x1c, 0x1c));
    setPalette(colours);
}

void NameDisplay::fitFont(int pointSize, int inkHeight)
{
    QFont f = font();
    int size = std::max(1, pointSize);
    f.setPointSize(size);
    const int roomWidth = width() - 2 * InkMargin;
    const int roomHeight = inkHeight - 2;
    while (size > 1) {
        const QRect ink = QFontMetrics(f).tightBoundingRect(text());
        if (ink.width() <= roomWidth && ink.height() <= roomHeight)
            break;
        f.setPointSize(--size);
    }
    setFont(f);
    update();
}

QPoint NameDisplay::textOrigin(const QFontMetrics &metrics) const
{
    const QRect ink = metrics.tightBoundingRect(text());
    return {(width() - ink.width()) / 2 - ink.left(), (height() - ink.height()) / 2 - ink.top()};
}

QRect NameDisplay::inkRect() const
{
    const QFontMetrics metrics(font());
    return metrics.tightBoundingRect(text()).translated(textOrigin(metrics));
}

void NameDisplay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (text().isEmpty())
        return;
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(textOrigin(painter.fontMetrics()), text());
}

} // namespace corvanta
