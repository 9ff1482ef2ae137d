#include "Splitter.h"

#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace corvanta {

Splitter::Splitter(QWidget *parent) : QWidget(parent)
{
    setOrientation(Vertical);
}

void Splitter::setOrientation(int orientation)
{
    m_orientation = orientation;
    setCursor(orientation == Horizontal ? Qt::SizeVerCursor : Qt::SizeHorCursor);
    m_dragging = false;
    updateGeometry();
}

QColor Splitter::backColor() const
{
    return m_backColor.value_or(palette().color(QPalette::Button));
}

void Splitter::setBackColor(const QColor &color)
{
    m_backColor = color;
    update();
}

void Splitter::resetBackColor()
{
    m_backColor.reset();
    update();
}

void Splitter::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

QSize Splitter::sizeHint() const
{
    return m_orientation == Horizontal ? QSize(100, 6) : QSize(6, 100);
}

void Splitter::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), backColor());
    if (!m_picture.isNull())
        painter.drawPixmap(0, 0, m_picture);
}

void Splitter::mousePressEvent(QMouseEvent *event)
{
    emit MouseDown(event->button(), event->modifiers(), event->position());
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    if (m_orientation == Vertical) {
        m_grabOffset = at.x();
        m_dragging = true;
    } else if (m_orientation == Horizontal) {
        m_grabOffset = at.y();
        m_dragging = true;
    }
}

void Splitter::mouseMoveEvent(QMouseEvent *event)
{
    emit MouseMove(event->buttons(), event->modifiers(), event->position());
    if (!m_dragging)
        return;
    const QPoint at = event->position().toPoint();
    SplitRequest request;
    request.position = m_orientation == Vertical ? x() + at.x() - m_grabOffset : y() + at.y() - m_grabOffset;
    emit BeforeSplit(&request);
    if (request.cancel)
        return;
    if (m_orientation == Vertical)
        move(request.position, y());
    else
        move(x(), request.position);
    emit Split(request.position);
}

void Splitter::mouseReleaseEvent(QMouseEvent *event)
{
    emit MouseUp(event->button(), event->modifiers(), event->position());
    m_dragging = false;
    // The release that ends a double click closes the double click, not another click.
    const bool closesDoubleClick = std::exchange(m_doubleClicked, false);
    if (event->button() == Qt::LeftButton && !closesDoubleClick &&
        rect().contains(event->position().toPoint()))
        emit Click();
}

void Splitter::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_doubleClicked = true;
    emit DblClick();
}

void Splitter::changeEvent(QEvent *event)
{
    // A bar disabled in the middle of a drag never sees its release.
    if (event->type() == QEvent::EnabledChange && !isEnabled())
        m_dragging = false;
    QWidget::changeEvent(event);
}

void Splitter::hideEvent(QHideEvent *event)
{
    m_dragging = false;
    QWidget::hideEvent(event);
}

} // namespace corvanta
