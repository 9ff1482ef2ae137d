#pragma once

#include <QLineEdit>
#include <QStringList>

namespace corvanta {

// The large name display of the main window. The name is drawn centred by its ink, not by
// the font's line box: CJK fonts reserve much room above and below their glyphs, which
// would push a large name off the middle of its frame box and cut its top. A long name that
// one line would shrink is drawn in two lines when that makes it larger.
class NameDisplay : public QLineEdit
{
    Q_OBJECT
public:
    explicit NameDisplay(QWidget *parent = nullptr);

    // Sets the font to `pointSize` (the width rule's size) and lowers it only as far as
    // needed for the name's ink to fit the width of the display and `inkHeight` pixels; or,
    // when two lines give a larger size, to the largest size at which both lines fit.
    void fitFont(int pointSize, int inkHeight);

    // The lines the name is drawn in (one or two).
    QStringList shownLines() const { return m_fittedText == text() ? m_lines : QStringList{text()}; }
    // The height the display needs for its lines.
    int linesHeight() const;

    // Where the text's ink stands inside the display, in its own coordinates.
    QRect inkRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct PlacedLine
    {
        QString text;
        QPoint origin;
        QRect ink;
    };
    QList<PlacedLine> placedLines(const QFont &font) const;

    QStringList m_lines;
    QString m_fittedText; // the text m_lines were made for
};

} // namespace corvanta
