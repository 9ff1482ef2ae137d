#pragma once

#include <QLatin1String>
#include <QList>
#include <QString>
#include <QStringView>

// Pinyin initials: LXM for 李小明, so that a teacher can find a student by typing the first
// letters of the name's readings.
namespace corvanta {

// The initials text of a text: each Chinese character becomes the upper-case first letter
// of its reading, every other character stays as it is (A李1 -> AL1). One output character
// per input character, except that a GBK addition whose place lies past the end of the
// level-2 letters gives none.
QString PinYinLeader(QStringView text);
// What PinYinLeader gives for each character of the text, in order: its letter, the
// character itself, or a null QChar for a GBK addition that gives none.
QList<QChar> pinYinLeaderPerCharacter(QStringView text);

// Letter of the GB2312 level-1 range that holds a signed code-page-936 code, "" when no
// range does.
QString Level1Leader(int code);

// The 3008 letters of the GB2312 level-2 block in code order, joined from its 16 texts.
QString BuildLevel2Leaders();
// The joined letters, built once for the whole run on first use.
const QString &Level2Leaders();

// Code-page-936 code of a character: lead byte x 256 + trail byte - 65536 for a double-byte
// character (a negative number), the byte value for a single-byte one and 63 ("?") for a
// character the code page cannot hold.
int gbkSignedCode(QChar c);

// The tables, for checking them.
QStringView pinYinSpecialCharacters();
QStringView pinYinSpecialLetters();
constexpr int Level2TextCount = 16;
QLatin1String level2Text(int index); // empty out of range

} // namespace corvanta
