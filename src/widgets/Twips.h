#pragma once

#include <QRect>
#include <QWidget>
#include <QtMath>

namespace corvanta {

// Forms are laid out in twips; 15 twips make one (device-independent) pixel.
inline int twipsToPixels(int twips)
{
    return qRound(twips / 15.0);
}

inline QRect twips(int left, int top, int width, int height)
{
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

// Places a control at a position and size given in twips.
inline void placeInTwips(QWidget *w, int left, int top, int width, int height)
{
    w->setGeometry(twips(left, top, width, height));
}

} // namespace corvanta
