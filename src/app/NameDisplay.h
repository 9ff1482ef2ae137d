#pragma once

#include <QLineEdit>

namespace corvanta {

// The large name display of the main window. The name is drawn centred by its ink, not by
// the font's line box: CJK fonts reserve much room above and below their glyphs, which
// would push a large name off the middle of its frame box and cut its top.
class NameDisplay : public QLineEdit
{
    Q_OBJECT
public:
    explicit NameDisplay(QWidget *parent = nullptr);

    // Sets the font to `pointSize` (the width rule's size) and lowers it only as far as
    // needed for the name's ink to fit the width of the display and `inkHeight` pixels.
    void fitFont(int pointSize, int inkHeight);

    // Where the text's ink stands inside the display, in its own coordinates.
    QRect inkRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPoint textOrigin(const QFontMetrics &metrics) const;
};

} // namespace corvanta
