#include "adapters/qt/qt_keys.h"

#include <QKeyEvent>

namespace qt_tree {
namespace {

struct KeyCode {
    int qtKey;
    int16_t code;
};

// Keys whose codes do not follow from a range of Qt's key values.
constexpr KeyCode MainKeys[] = {
    {Qt::Key_Backspace, 8},   {Qt::Key_Tab, 9},          {Qt::Key_Backtab, 9},       {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13},     {Qt::Key_Enter, 13},       {Qt::Key_Shift, 16},        {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},        {Qt::Key_AltGr, 18},       {Qt::Key_Pause, 19},        {Qt::Key_CapsLock, 20},
    {Qt::Key_Escape, 27},     {Qt::Key_Space, 32},       {Qt::Key_PageUp, 33},       {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},        {Qt::Key_Home, 36},        {Qt::Key_Left, 37},         {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},      {Qt::Key_Down, 40},        {Qt::Key_Select, 41},       {Qt::Key_Print, 44},
    {Qt::Key_Insert, 45},     {Qt::Key_Delete, 46},      {Qt::Key_Help, 47},         {Qt::Key_Meta, 91},
    {Qt::Key_Super_L, 91},    {Qt::Key_Super_R, 92},     {Qt::Key_Menu, 93},         {Qt::Key_NumLock, 144},
    {Qt::Key_ScrollLock, 145}, {Qt::Key_Semicolon, 186}, {Qt::Key_Colon, 186},       {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},      {Qt::Key_Comma, 188},      {Qt::Key_Less, 188},        {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189}, {Qt::Key_Period, 190},    {Qt::Key_Greater, 190},     {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191},  {Qt::Key_QuoteLeft, 192},  {Qt::Key_AsciiTilde, 192},  {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219}, {Qt::Key_Backslash, 220},  {Qt::Key_Bar, 220},         {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221}, {Qt::Key_Apostrophe, 222}, {Qt::Key_QuoteDbl, 222},
};

// The keypad's own codes: digits 96 to 105, then the operators.
constexpr KeyCode KeypadKeys[] = {
    {Qt::Key_Asterisk, 106}, {Qt::Key_Plus, 107}, {Qt::Key_Minus, 109}, {Qt::Key_Period, 110},
    {Qt::Key_Comma, 110},    {Qt::Key_Slash, 111}, {Qt::Key_Enter, 13}, {Qt::Key_Return, 13},
};

}  // namespace

int16_t virtualKeyCode(int qtKey, bool keypad) {
    if (keypad) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<int16_t>(96 + (qtKey - Qt::Key_0));
        for (const auto& k : KeypadKeys)
            if (k.qtKey == qtKey) return k.code;
    }
    // Letters and digits share their codes with Qt (upper-case letter codes).
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<int16_t>(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<int16_t>(112 + (qtKey - Qt::Key_F1));
    for (const auto& k : MainKeys)
        if (k.qtKey == qtKey) return k.code;
    return 0;
}

int16_t virtualKeyCode(const QKeyEvent& event) {
    return virtualKeyCode(event.key(), event.modifiers().testFlag(Qt::KeypadModifier));
}

int16_t shiftMask(Qt::KeyboardModifiers modifiers) {
    int16_t mask = 0;
    if (modifiers.testFlag(Qt::ShiftModifier)) mask |= ShiftMask;
    if (modifiers.testFlag(Qt::ControlModifier)) mask |= CtrlMask;
    if (modifiers.testFlag(Qt::AltModifier)) mask |= AltMask;
    return mask;
}

int16_t buttonMask(Qt::MouseButtons buttons) {
    int16_t mask = 0;
    if (buttons.testFlag(Qt::LeftButton)) mask |= LeftButton;
    if (buttons.testFlag(Qt::RightButton)) mask |= RightButton;
    if (buttons.testFlag(Qt::MiddleButton)) mask |= MiddleButton;
    return mask;
}

}  // namespace qt_tree
