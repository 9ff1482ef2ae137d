#pragma once

#include "net/RecordFile.h"

#include <QString>
#include <QStringList>

namespace corvanta {

// Standards list line: "[" + score + "分]" + TAB + text.
QString standardListLine(const Standard &standard);

// Font size of the name display for a text: width in twips / (characters x 24), at most 70;
// never below 1. 0 (keep the size) for an empty text.
int nameFontSize(int widthTwips, int textLength);

// A long name in two lines of about equal length: after the "·" (or "•", "・") nearest the
// middle, so a part of a compound or minority name stays whole; else at the space nearest the
// middle; else between two characters in the middle. Fewer than two characters: one line.
QStringList nameInTwoLines(const QString &name);

} // namespace corvanta
