#pragma once

#include <QLayout>
#include <QList>
#include <QRect>

namespace corvanta {

// Places a frame's controls at their twip positions, measured from the frame's top left as
// the forms give them, but inside the frame's content area: below a frame's title, whatever
// the font. Rows keep their order and relative places (pressed together a little when the
// title takes more room than the forms allow for), and every control is at least as high as
// its font needs, grown about the middle of its row.
class TwipsLayout : public QLayout
{
public:
    explicit TwipsLayout(QWidget *frame);
    ~TwipsLayout() override;

    // design: where the form puts the control, in pixels from the frame's top left
    // (twips(...) of its twip position).
    void place(QWidget *control, QRect design);

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

    // The height a control needs for one line of its text.
    static int neededHeight(const QWidget *control);

private:
    struct Placed
    {
        QLayoutItem *item;
        QRect design; // in pixels from the frame's outer top left
    };
    QList<Placed> m_items;
};

// Puts a control at its place in a form or frame (design: pixels from the top left). In a
// frame with a TwipsLayout the layout places it; elsewhere it stands where the form says,
// grown about its middle to the height its font needs.
void placeInForm(QWidget *parent, QWidget *control, QRect design);

} // namespace corvanta
