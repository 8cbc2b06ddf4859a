#include "windows/tree_control/real_input.h"

#include "outside/tree_model.h"

namespace win_tree {
namespace {

void setModifiers(int16_t shift, bool down) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const BYTE state = down ? 0x80 : 0;
    if (shift & 1) keys[VK_SHIFT] = keys[VK_LSHIFT] = state;
    if (shift & 2) keys[VK_CONTROL] = keys[VK_LCONTROL] = state;
    if (shift & 4) keys[VK_MENU] = keys[VK_LMENU] = state;
    SetKeyboardState(keys);
}

LPARAM keyData(int16_t keyCode, bool up) {
    const UINT scan = MapVirtualKeyW(static_cast<UINT>(keyCode), MAPVK_VK_TO_VSC);
    LPARAM data = 1 | (static_cast<LPARAM>(scan & 0xFF) << 16);
    if (up) data |= (1u << 30) | (1u << 31);
    return data;
}

// Keys that the platform sends as system keys: F10, and any key with Alt.
bool systemKey(int16_t keyCode, int16_t shift) { return keyCode == VK_F10 || (shift & 4); }

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
    RECT rect{};
    if (!view.itemRect(node, rect)) throw tree::errControlDeleted();
    HWND window = view.window();
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
    pumpMessages();
}

void pressKey(HWND window, int16_t keyCode, int16_t shift) {
    setModifiers(shift, true);
    PostMessageW(window, systemKey(keyCode, shift) ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WPARAM>(keyCode) & 0xFFFF,
                 keyData(keyCode, false));
    pumpMessages();
}

void releaseKey(HWND window, int16_t keyCode, int16_t shift) {
    PostMessageW(window, systemKey(keyCode, shift) ? WM_SYSKEYUP : WM_KEYUP, static_cast<WPARAM>(keyCode) & 0xFFFF,
                 keyData(keyCode, true));
    pumpMessages();
    setModifiers(shift, false);
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
