#include "windows/tree_control/real_input.h"

#include "outside/tree_model.h"
#include "runtime/error.h"

namespace win_tree {
namespace {

void setModifiers(int16_t shift, bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE state = down ? 0x80 : 0;
    auto set = [&](int generic, int left, int right) {
        keys[generic] = keys[left] = state;
        if (!down) keys[right] = 0;
    };
    if (shift & 1) set(VK_SHIFT, VK_LSHIFT, VK_RSHIFT);
    if (shift & 2) set(VK_CONTROL, VK_LCONTROL, VK_RCONTROL);
    if (shift & 4) set(VK_MENU, VK_LMENU, VK_RMENU);
    SetKeyboardState(keys);
}

// The shift-mask bit of a modifier key (either side), 0 for other keys.
int16_t modifierOf(int16_t keyCode) {
    switch (keyCode) {
        case VK_SHIFT:
        case VK_LSHIFT:
        case VK_RSHIFT:
            return 1;
        case VK_CONTROL:
        case VK_LCONTROL:
        case VK_RCONTROL:
            return 2;
        case VK_MENU:
        case VK_LMENU:
        case VK_RMENU:
            return 4;
        default:
            return 0;
    }
}

LPARAM keyData(int16_t keyCode, bool up) {
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(keyCode), MAPVK_VK_TO_VSC);
    LPARAM data = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
    if (up) data |= (1u << 30) | (1u << 31);
    return data;
}

// Keys that the platform sends as system keys: F10, and any key with Alt.
bool systemKey(int16_t keyCode, int16_t shift) { return keyCode == VK_F10 || (shift & 4); }

// Whether the control's own hit test places the point on the item's picture
// or label, where a click raises the control's click notification for it.
bool onItem(HWND window, HTREEITEM item, int x, int y) {
    TVHITTESTINFO hit{};
    hit.pt = {x, y};
    SendMessageW(window, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    return hit.hItem == item && (hit.flags & TVHT_ONITEM);
}

// The point to click a node at: the middle of its label when the control
// counts that as on the item, else the first point of the label and then of
// the row, from the left, that it does count so (the label of an empty text
// is a few pixels wide, and its middle lies right of the item).
bool clickPoint(ControlTreeView& view, const rt::Ref<tree::TreeNode>& node, POINT& at) {
    RECT label{}, row{};
    if (!view.itemRect(node, label) || !view.itemRect(node, row, false)) throw tree::errControlDeleted();
    HWND window = view.window();
    HTREEITEM item = view.itemOf(node);
    const int y = (label.top + label.bottom) / 2;
    at = {(label.left + label.right) / 2, y};
    if (onItem(window, item, at.x, y)) return true;
    for (const RECT* span : {&label, &row})
        for (at.x = span->left; at.x < span->right; ++at.x)
            if (onItem(window, item, at.x, y)) return true;
    return false;
}

}  // namespace

void pumpMessages() {
    // Handling one message may post others; a few rounds let them settle.
    for (int round = 0; round < 3; ++round) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void clickNode(ControlTreeView& view, const rt::Ref<tree::TreeNode>& node) {
    POINT point{};
    if (!clickPoint(view, node, point)) throw rt::errInvalidCall();
    HWND window = view.window();
    const LPARAM at = MAKELPARAM(point.x, point.y);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    pumpMessages();
}

// The keyboard state that a key message is handled in is the state after the
// key went down or up, as the platform records real input: pressing Shift
// reports Shift held, releasing it reports Shift up.
void pressKey(HWND window, int16_t keyCode, int16_t shift) {
    setModifiers(shift | modifierOf(keyCode), true);
    PostMessageW(window, systemKey(keyCode, shift) ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WPARAM>(keyCode) & 0xFFFF,
                 keyData(keyCode, false));
    pumpMessages();
}

void releaseKey(HWND window, int16_t keyCode, int16_t shift) {
    const int16_t released = modifierOf(keyCode);
    if (released) setModifiers(released, false);
    PostMessageW(window, systemKey(keyCode, shift) ? WM_SYSKEYUP : WM_KEYUP, static_cast<WPARAM>(keyCode) & 0xFFFF,
                 keyData(keyCode, true));
    pumpMessages();
    setModifiers(shift | released, false);
}

void movePointer(HWND window, int16_t button, int16_t shift, int x, int y) {
    WPARAM keys = 0;
    if (button & 1) keys |= MK_LBUTTON;
    if (button & 2) keys |= MK_RBUTTON;
    if (button & 4) keys |= MK_MBUTTON;
    if (shift & 1) keys |= MK_SHIFT;
    if (shift & 2) keys |= MK_CONTROL;
    setModifiers(shift, true);
    PostMessageW(window, WM_MOUSEMOVE, keys, MAKELPARAM(x, y));
    pumpMessages();
    setModifiers(shift, false);
}

}  // namespace win_tree
