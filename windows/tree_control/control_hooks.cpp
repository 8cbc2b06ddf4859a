// What connects a control tree view to its window: the control's click
// notification, its keys and pointer moves become the tree view's events, a
// user's edit of an item's text reaches the node, the control's image list
// follows the view's list before each paint, and a destroyed window is
// noticed. The control answers assistive technology with an accessible
// object of the view's (control_accessible.h) and tells it what changed
// where the control tells nothing itself. The hooks are window subclasses of
// the control and of the window that receives its notifications.
#include <windowsx.h>

#include "windows/tree_control/control_store.h"

namespace win_tree {
namespace {

using Store = ControlTreeView::Store;
// Each view hooks its windows under its own identifier, so two views with one
// parent window each keep their hook.
UINT_PTR hookId(const Store& store) { return reinterpret_cast<UINT_PTR>(&store); }

int16_t shiftMask() {
    int16_t mask = 0;
    if (GetKeyState(VK_SHIFT) < 0) mask |= 1;
    if (GetKeyState(VK_CONTROL) < 0) mask |= 2;
    if (GetKeyState(VK_MENU) < 0) mask |= 4;
    return mask;
}

int16_t buttonMask(WPARAM keys) {
    int16_t mask = 0;
    if (keys & MK_LBUTTON) mask |= 1;
    if (keys & MK_RBUTTON) mask |= 2;
    if (keys & MK_MBUTTON) mask |= 4;
    return mask;
}

// Raises an event to every listener. A failure that a listener lets out has
// no caller to go to inside the window's message handling: it goes to the
// debugger's output, and the control carries on. The data is held for the
// whole raise: a listener may release the view.
template <class Call>
void raise(Store& store, Call call) {
    std::shared_ptr<Store> held = std::static_pointer_cast<Store>(store.shared_from_this());
    if (!held->usable()) return;
    try {
        held->events.raise(call);
    } catch (const std::exception& e) {
        OutputDebugStringA((std::string("A listener of the tree view's events failed: ") + e.what()).c_str());
    }
}

void clicked(Store& store) {
    POINT at = store.lastPress;
    if (at.x < 0) {
        const DWORD pos = GetMessagePos();
        at = {GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
        ScreenToClient(store.window, &at);
    }
    store.lastPress = {-1, -1};
    TVHITTESTINFO hit{};
    hit.pt = at;
    SendMessageW(store.window, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (!(hit.flags & TVHT_ONITEM)) return;
    const int32_t index = store.indexOfItem(hit.hItem);
    if (index == NoNode) return;
    rt::Ref<tree::TreeNode> node = store.objectFor(index);
    raise(store, [&](tree::TreeViewEvents& l) { l.NodeClick(node); });
}

void labelEdited(Store& store, HTREEITEM item, const std::string& text) {
    const int32_t index = store.indexOfItem(item);
    if (index != NoNode) store.nodes[index].text = text;
    store.tellUnlessControlDoes(EVENT_OBJECT_NAMECHANGE, item);
}

HTREEITEM caretItem(const Store& store) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(store.window, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

bool isOpen(const Store& store, HTREEITEM item) {
    return (SendMessageW(store.window, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

// Space, released without a modifier, clicks the current item, as a click
// of the pointer would.
void spaceReleased(Store& store) {
    if (!store.usable()) return;
    const int32_t index = store.indexOfItem(caretItem(store));
    if (index == NoNode) return;
    rt::Ref<tree::TreeNode> node = store.objectFor(index);
    raise(store, [&](tree::TreeViewEvents& l) { l.NodeClick(node); });
}

// A program opened or closed an item: the control tells no one.
LRESULT expandMessage(Store& store, HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const auto item = reinterpret_cast<HTREEITEM>(lParam);
    const bool outer = !store.expandMessage;
    const bool wasOpen = outer && item && isOpen(store, item);
    store.expandMessage = true;
    const LRESULT answer = DefSubclassProc(hwnd, TVM_EXPAND, wParam, lParam);
    if (!outer) return answer;
    store.expandMessage = false;
    if (item && store.usable() && isOpen(store, item) != wasOpen)
        store.tellUnlessControlDoes(EVENT_OBJECT_STATECHANGE, item);
    return answer;
}

LRESULT CALLBACK controlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    Store& store = *reinterpret_cast<Store*>(data);
    // A listener may release the view while a message is handled.
    std::shared_ptr<Store> held = std::static_pointer_cast<Store>(store.shared_from_this());
    switch (message) {
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN: {
            int16_t code = static_cast<int16_t>(wParam);
            int16_t shift = shiftMask();
            raise(store, [&](tree::TreeViewEvents& l) { l.KeyDown(code, shift); });
            // F10 is the listeners' key here, not the window menu's.
            if (wParam == VK_F10) return 0;
            break;
        }
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            int16_t code = static_cast<int16_t>(wParam);
            int16_t shift = shiftMask();
            const bool plainSpace = message == WM_KEYUP && wParam == VK_SPACE && shift == 0;
            raise(store, [&](tree::TreeViewEvents& l) { l.KeyUp(code, shift); });
            if (wParam == VK_F10) return 0;
            if (plainSpace) spaceReleased(store);
            break;
        }
        case WM_MOUSEMOVE: {
            int16_t button = buttonMask(wParam);
            int16_t shift = shiftMask();
            float x = static_cast<float>(GET_X_LPARAM(lParam));
            float y = static_cast<float>(GET_Y_LPARAM(lParam));
            raise(store, [&](tree::TreeViewEvents& l) { l.MouseMove(button, shift, x, y); });
            break;
        }
        case WM_LBUTTONDOWN:
            store.lastPress = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            break;
        case WM_PAINT:
            store.syncImages();
            break;
        case WM_GETOBJECT: {
            const LRESULT answer = store.answerGetObject(wParam, lParam);
            if (answer > 0) return answer;
            break;
        }
        case TVM_EXPAND:
            return expandMessage(store, hwnd, wParam, lParam);
        case WM_SETFOCUS: {
            const LRESULT answer = DefSubclassProc(hwnd, message, wParam, lParam);
            if (store.usable()) store.tellUnlessControlDoes(EVENT_OBJECT_FOCUS, caretItem(store));
            return answer;
        }
        case WM_NCDESTROY: {
            unhookWindow(store);
            held->forgetWindow();
            return DefSubclassProc(hwnd, message, wParam, lParam);
        }
        default:
            break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK parentProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) {
    Store& store = *reinterpret_cast<Store*>(data);
    if (message != WM_NOTIFY || !store.usable()) return DefSubclassProc(hwnd, message, wParam, lParam);
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->hwndFrom != store.window) return DefSubclassProc(hwnd, message, wParam, lParam);
    // The host's own handling first; its answer stands unless an edit is taken.
    const LRESULT answer = DefSubclassProc(hwnd, message, wParam, lParam);
    std::shared_ptr<Store> held = std::static_pointer_cast<Store>(store.shared_from_this());
    const auto* change = reinterpret_cast<const NMTREEVIEWW*>(lParam);  // the same layout in both forms
    if (header->code == NM_CLICK) {
        clicked(store);
    } else if (header->code == TVN_SELCHANGEDW || header->code == TVN_SELCHANGEDA) {
        store.tellUnlessControlDoes(EVENT_OBJECT_SELECTION, change->itemNew.hItem);
        if (GetFocus() == store.window) store.tellUnlessControlDoes(EVENT_OBJECT_FOCUS, change->itemNew.hItem);
    } else if (header->code == TVN_ITEMEXPANDEDW || header->code == TVN_ITEMEXPANDEDA) {
        if (!store.expandMessage) store.tellUnlessControlDoes(EVENT_OBJECT_STATECHANGE, change->itemNew.hItem);
    } else if (header->code == TVN_DELETEITEMW || header->code == TVN_DELETEITEMA) {
        store.itemDeleted(change->itemOld.hItem);
    } else if (header->code == TVN_ENDLABELEDITW) {
        const auto* edit = reinterpret_cast<const NMTVDISPINFOW*>(lParam);
        if (!edit->item.pszText) return answer;
        labelEdited(store, edit->item.hItem, utf8Text(edit->item.pszText));
        return TRUE;
    } else if (header->code == TVN_ENDLABELEDITA) {
        const auto* edit = reinterpret_cast<const NMTVDISPINFOA*>(lParam);
        if (!edit->item.pszText) return answer;
        const int n = MultiByteToWideChar(CP_ACP, 0, edit->item.pszText, -1, nullptr, 0);
        std::wstring wide(static_cast<size_t>(n), L'\0');
        MultiByteToWideChar(CP_ACP, 0, edit->item.pszText, -1, wide.data(), n);
        labelEdited(store, edit->item.hItem, utf8Text(wide.c_str()));
        return TRUE;
    }
    return answer;
}

}  // namespace

void hookWindow(const std::shared_ptr<ControlTreeView::Store>& store) {
    const auto data = reinterpret_cast<DWORD_PTR>(store.get());
    SetWindowSubclass(store->window, controlProc, hookId(*store), data);
    store->parent = GetParent(store->window);
    if (store->parent) SetWindowSubclass(store->parent, parentProc, hookId(*store), data);
    store->hooked = true;
}

void unhookWindow(ControlTreeView::Store& store) {
    if (!store.hooked) return;
    store.hooked = false;
    store.dropAccessible();
    RemoveWindowSubclass(store.window, controlProc, hookId(store));
    if (store.parent) RemoveWindowSubclass(store.parent, parentProc, hookId(store));
}

}  // namespace win_tree
