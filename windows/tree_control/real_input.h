#pragma once
// Input for a control tree view as the user gives it: mouse and key messages
// posted to the control's window at the places of its items, then handled
// by the thread's message loop before the call returns. The control cannot
// tell them from a user's (the modifier keys are set in the thread's
// keyboard state, where the control reads them).

#include <windows.h>

#include <cstdint>

#include "windows/tree_control/control_tree_view.h"

namespace win_tree {

// Handles every message waiting for this thread.
void pumpMessages();
// A left click in the middle of a node's label (scrolled into view first);
// 35605 for a node that is no current node of the view.
void clickNode(ControlTreeView& view, const rt::Ref<tree::TreeNode>& node);
// A key pressed or released with a shift mask (1 Shift, 2 Ctrl, 4 Alt): the
// modifiers go down with the press and up with the release.
void pressKey(HWND window, int16_t keyCode, int16_t shift);
void releaseKey(HWND window, int16_t keyCode, int16_t shift);
// The pointer moved to x, y (client pixels) with buttons (1 left, 2 right,
// 4 middle) and a shift mask held.
void movePointer(HWND window, int16_t button, int16_t shift, int x, int y);

}  // namespace win_tree
