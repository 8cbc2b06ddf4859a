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
// A left click on a node (scrolled into view first), at a point of its
// label or picture that the control's hit test places on it, so that the
// control raises its click for the node: the label's middle where it can;
// 35605 for a node that is no current node of the view, 5 when no point of
// its row is on it.
void clickNode(ControlTreeView& view, const rt::Ref<tree::TreeNode>& node);
// A key pressed or released with a shift mask (1 Shift, 2 Ctrl, 4 Alt): the
// modifiers go down with the press and up with the release. A modifier key
// itself is down from its press and up from its release on, so its key-up
// reports the state after the release (Shift released: KeyUp 16 0).
void pressKey(HWND window, int16_t keyCode, int16_t shift);
void releaseKey(HWND window, int16_t keyCode, int16_t shift);
// The pointer moved to x, y (client pixels) with buttons (1 left, 2 right,
// 4 middle) and a shift mask held.
void movePointer(HWND window, int16_t button, int16_t shift, int x, int y);

}  // namespace win_tree
