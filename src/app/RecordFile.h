#pragma once

#include "net/RecordFile.h"

#include <QString>

namespace corvanta {

// Standards list line: "[" + score + "分]" + TAB + text.
QString standardListLine(const Standard &standard);

// Font size of the name display for a text: width in twips / (characters x 24), at most 70;
// never below 1. 0 (keep the size) for an empty text.
int nameFontSize(int widthTwips, int textLength);

} // namespace corvanta
