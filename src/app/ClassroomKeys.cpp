#include "ClassroomKeys.h"

namespace corvanta {

ClassroomKey classroomKey(int key, Qt::KeyboardModifiers modifiers, bool drawKeysOn)
{
    // The number pad's digits count as digits.
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (held == Qt::ControlModifier) {
        if (key == Qt::Key_Z)
            return {ClassroomAction::Undo};
        if (key == Qt::Key_D)
            return {ClassroomAction::ToggleAbsent};
        return {};
    }
    if (held != Qt::NoModifier || !drawKeysOn)
        return {};
    switch (key) {
    case Qt::Key_Space:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
        return {ClassroomAction::ToggleDraw};
    case Qt::Key_Escape:
        return {ClassroomAction::Collapse};
    default:
        break;
    }
    if (key >= Qt::Key_0 && key <= Qt::Key_5)
        return {ClassroomAction::Score, key - Qt::Key_0};
    return {};
}

} // namespace corvanta
