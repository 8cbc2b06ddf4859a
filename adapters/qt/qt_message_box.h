#pragma once
// The runtime's message box as a real modal Qt dialog: the style picks the
// icon, the buttons and the default button, and the answer is the number of
// the button that the user pressed.

#include <QMessageBox>
#include <cstdint>

#include "runtime/msgbox.h"

namespace qt_tree {

struct MessageBoxLook {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
};

// Style: buttons 0 OK, 1 OK Cancel, 2 Abort Retry Ignore, 3 Yes No Cancel,
// 4 Yes No, 5 Retry Cancel; plus icon 16 critical, 32 question, 48 warning,
// 64 information; plus 256 or 512 for the second or third button as default.
MessageBoxLook messageBoxLook(int32_t style);

// 1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No.
int32_t answerOf(QMessageBox::StandardButton button);

// Shows every message box of the process as a modal dialog over `parent`
// (or over the active window when it is nothing or gone). Returns the
// handler that was in place.
rt::MessageBoxHandler installQtMessageBox(QWidget* parent = nullptr);

}  // namespace qt_tree
