#pragma once
// What the tree view's key and pointer events carry, taken from Qt's events:
// the control's virtual key codes ("A" 65, F10 121), the shift mask (Shift 1,
// Ctrl 2, Alt 4) and the button mask (left 1, right 2, middle 4).

#include <Qt>
#include <cstdint>

class QKeyEvent;

namespace qt_tree {

inline constexpr int16_t ShiftMask = 1;
inline constexpr int16_t CtrlMask = 2;
inline constexpr int16_t AltMask = 4;

inline constexpr int16_t LeftButton = 1;
inline constexpr int16_t RightButton = 2;
inline constexpr int16_t MiddleButton = 4;

// The virtual key code of a Qt key; keypad keys have codes of their own.
// 0 for a key that the control has no code for.
int16_t virtualKeyCode(int qtKey, bool keypad);
int16_t virtualKeyCode(const QKeyEvent& event);

int16_t shiftMask(Qt::KeyboardModifiers modifiers);
int16_t buttonMask(Qt::MouseButtons buttons);

}  // namespace qt_tree
