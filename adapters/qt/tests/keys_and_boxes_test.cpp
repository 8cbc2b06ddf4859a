// The tables that turn Qt's keys, modifiers and buttons into the control's
// codes, and message box styles into a dialog's look.
#include <gtest/gtest.h>

#include "adapters/qt/qt_keys.h"
#include "adapters/qt/qt_message_box.h"

namespace qt_tests {
namespace {

TEST(KeyCodes, QtKeysBecomeTheControlsVirtualKeyCodes) {
    struct Case {
        const char* name;
        int key;
        bool keypad;
        int16_t code;
    };
    const Case cases[] = {
        {"A", Qt::Key_A, false, 65},           {"Z", Qt::Key_Z, false, 90},
        {"0", Qt::Key_0, false, 48},           {"9", Qt::Key_9, false, 57},
        {"F1", Qt::Key_F1, false, 112},        {"F10", Qt::Key_F10, false, 121},
        {"F24", Qt::Key_F24, false, 135},      {"Return", Qt::Key_Return, false, 13},
        {"keypad Enter", Qt::Key_Enter, true, 13}, {"Escape", Qt::Key_Escape, false, 27},
        {"Space", Qt::Key_Space, false, 32},   {"Tab", Qt::Key_Tab, false, 9},
        {"Backspace", Qt::Key_Backspace, false, 8}, {"Shift", Qt::Key_Shift, false, 16},
        {"Control", Qt::Key_Control, false, 17}, {"Alt", Qt::Key_Alt, false, 18},
        {"Left", Qt::Key_Left, false, 37},     {"Down", Qt::Key_Down, false, 40},
        {"Home", Qt::Key_Home, false, 36},     {"Delete", Qt::Key_Delete, false, 46},
        {"keypad 0", Qt::Key_0, true, 96},     {"keypad 9", Qt::Key_9, true, 105},
        {"keypad *", Qt::Key_Asterisk, true, 106}, {"keypad +", Qt::Key_Plus, true, 107},
        {"keypad -", Qt::Key_Minus, true, 109}, {"keypad /", Qt::Key_Slash, true, 111},
        {"keypad Home keeps its code", Qt::Key_Home, true, 36},
        {"comma", Qt::Key_Comma, false, 188},  {"minus", Qt::Key_Minus, false, 189},
        {"a key without code", Qt::Key_MediaPlay, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(qt_tree::virtualKeyCode(c.key, c.keypad), c.code);
    }
}

TEST(KeyCodes, ModifiersAndButtonsBecomeMasks) {
    EXPECT_EQ(qt_tree::shiftMask(Qt::NoModifier), 0);
    EXPECT_EQ(qt_tree::shiftMask(Qt::ShiftModifier), 1);
    EXPECT_EQ(qt_tree::shiftMask(Qt::ControlModifier), 2);
    EXPECT_EQ(qt_tree::shiftMask(Qt::AltModifier), 4);
    EXPECT_EQ(qt_tree::shiftMask(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier), 7);
    EXPECT_EQ(qt_tree::shiftMask(Qt::MetaModifier | Qt::KeypadModifier), 0) << "the control has no bit for them";
    EXPECT_EQ(qt_tree::buttonMask(Qt::NoButton), 0);
    EXPECT_EQ(qt_tree::buttonMask(Qt::LeftButton | Qt::RightButton | Qt::MiddleButton), 7);
    EXPECT_EQ(qt_tree::buttonMask(Qt::BackButton), 0);
}

TEST(MessageBoxes, TheStyleGivesIconButtonsAndDefault) {
    using B = QMessageBox;
    struct Case {
        const char* name;
        int32_t style;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
    };
    const Case cases[] = {
        {"information, OK", 64, B::Information, B::Ok, B::Ok},
        {"plain OK", 0, B::NoIcon, B::Ok, B::Ok},
        {"critical, OK Cancel", 16 + 1, B::Critical, B::Ok | B::Cancel, B::Ok},
        {"question, Yes No, second default", 32 + 4 + 256, B::Question, B::Yes | B::No, B::No},
        {"warning, Abort Retry Ignore, third default", 48 + 2 + 512, B::Warning, B::Abort | B::Retry | B::Ignore,
         B::Ignore},
        {"Yes No Cancel", 3, B::NoIcon, B::Yes | B::No | B::Cancel, B::Yes},
        {"Retry Cancel", 5, B::NoIcon, B::Retry | B::Cancel, B::Retry},
        {"a default past the buttons falls back to the first", 512, B::NoIcon, B::Ok, B::Ok},
        {"unknown buttons: OK", 7, B::NoIcon, B::Ok, B::Ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto look = qt_tree::messageBoxLook(c.style);
        EXPECT_EQ(look.icon, c.icon);
        EXPECT_EQ(look.buttons, c.buttons);
        EXPECT_EQ(look.defaultButton, c.defaultButton);
    }
}

TEST(MessageBoxes, TheAnswerIsTheButtonsNumber) {
    using B = QMessageBox;
    const std::pair<QMessageBox::StandardButton, int32_t> answers[] = {
        {B::Ok, 1}, {B::Cancel, 2}, {B::Abort, 3}, {B::Retry, 4}, {B::Ignore, 5}, {B::Yes, 6}, {B::No, 7},
        {B::NoButton, 2},
    };
    for (auto [button, number] : answers) EXPECT_EQ(qt_tree::answerOf(button), number) << button;
}

}  // namespace
}  // namespace qt_tests
