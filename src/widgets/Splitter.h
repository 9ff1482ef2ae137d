#pragma once

#include <QColor>
#include <QPixmap>
#include <QPointF>
#include <QWidget>

#include <optional>

namespace corvanta {

// What a BeforeSplit answer sees and may change.
struct SplitRequest
{
    int position = 0;    // the bar's new left (vertical bar) or top (horizontal bar) in its container
    bool cancel = false; // set to keep the bar where it is
};

// A bar the user drags with the left button: a vertical bar (orientation 2) moves left and
// right, a horizontal bar (orientation 1) up and down. It moves itself inside its container
// and asks the container first (BeforeSplit, which may cancel or adjust the new position),
// then tells it (Split), so the container can lay out the controls on both sides.
// Whether it reacts to the mouse is QWidget's own `enabled` property.
class Splitter : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QPixmap Picture READ picture WRITE setPicture RESET resetPicture)
    Q_PROPERTY(QColor BackColor READ backColor WRITE setBackColor RESET resetBackColor)
    Q_PROPERTY(int Orientation READ orientation WRITE setOrientation)

public:
    static constexpr int Horizontal = 1; // moved up and down
    static constexpr int Vertical = 2;   // moved left and right

    explicit Splitter(QWidget *parent = nullptr);

    int orientation() const { return m_orientation; }
    // Any value is kept; 1 shows the north-south sizing cursor, any other the west-east one.
    // Only 1 and 2 can be dragged.
    void setOrientation(int orientation);

    // Without a colour of its own the bar takes the palette's button colour.
    QColor backColor() const;
    void setBackColor(const QColor &color);
    void resetBackColor();

    // Drawn at the top left corner, unscaled, over the background colour.
    QPixmap picture() const { return m_picture; }
    void setPicture(const QPixmap &picture);
    void resetPicture() { setPicture(QPixmap()); }

    QSize sizeHint() const override;

signals:
    // The bar has moved to `position` (its left or top in the container).
    void Split(int position);
    // Asked before each move of a drag; a direct connection may set request->cancel or
    // change request->position.
    void BeforeSplit(corvanta::SplitRequest *request);
    void Click();
    void DblClick();
    // Positions in the bar's own coordinates.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF position);
    void MouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPointF position);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF position);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    int m_orientation = Vertical;
    std::optional<QColor> m_backColor;
    QPixmap m_picture;
    bool m_dragging = false;
    bool m_doubleClicked = false;
    int m_grabOffset = 0; // where in the bar the drag took hold, along its direction of travel
};

} // namespace corvanta
