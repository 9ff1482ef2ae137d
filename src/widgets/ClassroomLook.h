#pragma once

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

// The face that draws Chinese text.
inline constexpr char kChineseFace[] = "Noto Sans CJK SC";

} // namespace corvanta
