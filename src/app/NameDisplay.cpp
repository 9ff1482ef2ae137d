#include "NameDisplay.h"

#include "app/DisplayText.h"

#include <QPainter>

namespace corvanta {

namespace {

// Room kept free on each side of the ink, in pixels.
constexpr int InkMargin = 8;
// The largest size the width rule gives.
constexpr int MaxPointSize = 70;

// Between the ink of two lines: an eighth of the taller line's ink, at least two pixels.
int lineGap(int inkHeight)
{
    return std::max(2, inkHeight / 8);
}

QRect inkOf(const QFont &font, const QString &text)
{
    return QFontMetrics(font).tightBoundingRect(text);
}

// The ink of the lines stacked, as wide as the widest line.
QSize stackedInk(const QFont &font, const QStringList &lines)
{
    int width = 0, height = 0, tallest = 0;
    for (const QString &line : lines) {
        const QRect ink = inkOf(font, line);
        width = std::max(width, ink.width());
        tallest = std::max(tallest, ink.height());
    }
    height = int(lines.size()) * tallest + (int(lines.size()) - 1) * lineGap(tallest);
    return {width, height};
}

// The largest size from `start` down at which the lines' ink fits the room; 1 at the least.
int largestFitting(QFont font, int start, const QStringList &lines, QSize room)
{
    int size = std::max(1, start);
    while (size > 1) {
        font.setPointSize(size);
        const QSize ink = stackedInk(font, lines);
        if (ink.width() <= room.width() && ink.height() <= room.height())
            break;
        --size;
    }
    return size;
}

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
    const QSize room(width() - 2 * InkMargin, inkHeight - 2);
    m_lines = QStringList{text()};
    int size = largestFitting(f, pointSize, m_lines, room);
    m_fittedText = text();
    f.setPointSize(size);
    // Two lines can be larger only when one line leaves more than half the height free.
    const int oneLineInk = stackedInk(f, m_lines).height();
    const QStringList two = 2 * oneLineInk + lineGap(oneLineInk) < room.height() ? nameInTwoLines(text())
                                                                                  : QStringList();
    if (two.size() == 2) {
        // Each line is about half the name: the width rule for the longer one is where to start.
        const int longer = int(std::max(two[0].size(), two[1].size()));
        const int start = std::min(MaxPointSize, nameFontSize(width() * 15, longer));
        const int twoLineSize = largestFitting(f, start, two, room);
        if (twoLineSize > size) {
            size = twoLineSize;
            m_lines = two;
        }
    }
    f.setPointSize(size);
    setFont(f);
    update();
}

int NameDisplay::linesHeight() const
{
    const QStringList lines = shownLines();
    if (lines.size() < 2)
        return fontMetrics().height();
    return stackedInk(font(), lines).height() + 2 * InkMargin;
}

QList<NameDisplay::PlacedLine> NameDisplay::placedLines(const QFont &font) const
{
    // Lines fitted for another text (the text changed since) are drawn as the one text.
    const QStringList lines = shownLines();
    int tallest = 0;
    QList<PlacedLine> placed;
    for (const QString &line : lines) {
        placed.append({line, {}, inkOf(font, line)});
        tallest = std::max(tallest, placed.last().ink.height());
    }
    const int gap = lineGap(tallest);
    const int block = int(placed.size()) * tallest + (int(placed.size()) - 1) * gap;
    int top = (height() - block) / 2;
    for (PlacedLine &line : placed) {
        // Each line centred across, its ink in the middle of its share of the block.
        const int lineTop = top + (tallest - line.ink.height()) / 2;
        line.origin = {(width() - line.ink.width()) / 2 - line.ink.left(), lineTop - line.ink.top()};
        line.ink.translate(line.origin);
        top += tallest + gap;
    }
    return placed;
}

QRect NameDisplay::inkRect() const
{
    QRect ink;
    for (const PlacedLine &line : placedLines(font()))
        ink |= line.ink;
    return ink;
}

void NameDisplay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (text().isEmpty())
        return;
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    for (const PlacedLine &line : placedLines(font()))
        painter.drawText(line.origin, line.text);
}

} // namespace corvanta
