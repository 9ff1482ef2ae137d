#pragma once

#include <Qt>

namespace corvanta {

// What a key does in front of the class. Space, and PageDown / PageUp (what presenter
// clickers send), start and stop a draw; the digits 0 to 5 give that many points; Esc
// collapses the window. Ctrl+Z takes back the last score and Ctrl+D marks the student shown
// absent (or present again); those two stay on when the teacher turns the keys off.
enum class ClassroomAction { None, ToggleDraw, Score, Collapse, Undo, ToggleAbsent };

struct ClassroomKey
{
    ClassroomAction action = ClassroomAction::None;
    int points = -1; // for Score: 0..5
};

ClassroomKey classroomKey(int key, Qt::KeyboardModifiers modifiers, bool drawKeysOn);

} // namespace corvanta
