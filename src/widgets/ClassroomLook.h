#pragma once

#include <QStringList>

class QLineEdit;
class QRect;
class QListView;
class QWidget;

namespace corvanta {

// How the tool looks on any Linux desktop, whatever its locale: Chinese drawn with the
// Simplified Chinese forms, the Windows faces the windows name mapped to faces Debian has,
// Qt's own buttons and dialogs in Chinese. Both are safe to call more than once.

// The Simplified Chinese face first in the application font, and the face substitutions.
// Every window calls it before it builds its controls.
void useClassroomFonts();
// Qt's own texts ("确定", "取消", the file dialogs) from qtbase_zh_CN; false when the
// translations are not installed (Qt then speaks English, and nothing else changes).
bool loadQtChinese();

// Key information a control shows while disabled (the score given, the chosen student's name,
// the standards) is drawn in the colours of the enabled control, not in pale grey: it must be
// read from the back of a classroom.
void drawDisabledInFullContrast(QWidget *control);
// A box filled by the program shows the start of its text, not its end.
void showStartOfFilledText(QLineEdit *box);

// The height a list box needs to show this many lines of its font whole, with room for a
// horizontal scroll bar when it has one.
int listHeightForLines(const QListView *list, int lines);

// Where a control draws its line of text, in its own coordinates, as its style lays it out;
// null for a control without one. A control fits its font when this is at least as high as
// the font's line.
QRect textLineArea(const QWidget *control);

// The faces that draw Chinese text, best first (ClassroomFaces_*.cpp: one file per platform).
QStringList chineseFaces();
// Names the faces the windows ask for (they come from Windows) after ones this system has.
void substituteMissingFaces();

} // namespace corvanta
