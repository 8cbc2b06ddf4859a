#include "windows/tree_control/control_tree_view.h"

#include <cmath>
#include <utility>

#include "outside/stored_node.h"
#include "windows/tree_control/control_store.h"

namespace win_tree {
namespace {

void initCommonControls() {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
}

}  // namespace

ControlTreeView::ControlTreeView(HWND parent, const RECT& area) : store_(std::make_shared<Store>()) {
    initCommonControls();
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | TVS_HASLINES | TVS_HASBUTTONS |
                        TVS_LINESATROOT | TVS_SHOWSELALWAYS | TVS_EDITLABELS;
    HWND window = CreateWindowExW(0, WC_TREEVIEWW, L"", style, area.left, area.top, area.right - area.left,
                                  area.bottom - area.top, parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) throw rt::errInvalidCall();
    store_->window = window;
    store_->ownsWindow = true;
    hookWindow(store_);
}

ControlTreeView::ControlTreeView(HWND existing) : store_(std::make_shared<Store>()) {
    initCommonControls();
    wchar_t className[64] = {};
    GetClassNameW(existing, className, 64);
    if (!existing || !IsWindow(existing) || lstrcmpiW(className, WC_TREEVIEWW) != 0) throw rt::errInvalidCall();
    store_->window = existing;
    store_->labelEdit = (GetWindowLongPtrW(existing, GWL_STYLE) & TVS_EDITLABELS) ? 0 : 1;
    store_->adoptItems();
    hookWindow(store_);
}

ControlTreeView::~ControlTreeView() {
    Store& s = *store_;
    if (!s.windowGone) {
        unhookWindow(s);
        s.dropControlImages();
        if (s.toolTip) DestroyWindow(s.toolTip);
        if (s.ownsWindow) DestroyWindow(s.window);
    }
    s.viewGone = true;
    s.markUnusable();
}

HWND ControlTreeView::window() const { return store_->windowGone ? nullptr : store_->window; }

rt::Ref<tree::TreeNodes> ControlTreeView::Nodes() {
    if (!nodes_) nodes_ = rt::make<tree::StoredNodes>(store_);
    return nodes_;
}

rt::Ref<tree::ImageList> ControlTreeView::GetImageList() {
    // A list of another module is handed back through imageListSource.
    return store_->imageSource.as<tree::ImageList>();
}

void ControlTreeView::SetImageList(const rt::Ref<tree::ImageList>& list) {
    store_->requireUsable();
    store_->setImageSource(rt::ObjectRef(list), list);
}

void ControlTreeView::setForeignImageList(const rt::ObjectRef& source) {
    store_->requireUsable();
    if (auto local = source.as<tree::ImageList>()) return SetImageList(local);
    store_->setImageSource(source, nullptr);
}

rt::ObjectRef ControlTreeView::imageListSource() const { return store_->imageSource; }

int32_t ControlTreeView::LabelEdit() { return store_->labelEdit; }

void ControlTreeView::setLabelEdit(int32_t mode) {
    store_->requireUsable();
    store_->labelEdit = mode;
    HWND w = store_->window;
    const LONG_PTR style = GetWindowLongPtrW(w, GWL_STYLE);
    SetWindowLongPtrW(w, GWL_STYLE, mode == 0 ? (style | TVS_EDITLABELS) : (style & ~static_cast<LONG_PTR>(TVS_EDITLABELS)));
}

rt::Ref<tree::TreeNode> ControlTreeView::HitTest(float x, float y) {
    std::shared_ptr<Store> s = store_;
    s->requireUsable();
    // Written so that NaN falls outside as well; far points hit nothing.
    constexpr float Far = 1e7f;
    if (!(x > -Far && x < Far && y > -Far && y < Far)) return nullptr;
    TVHITTESTINFO hit{};
    hit.pt = {static_cast<LONG>(std::floor(x)), static_cast<LONG>(std::floor(y))};
    SendMessageW(s->window, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    constexpr UINT InRow = TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT;
    if (!(hit.flags & InRow)) return nullptr;
    return s->objectOrNothing(s->indexOfItem(hit.hItem));
}

std::string ControlTreeView::ToolTipText() {
    store_->requireUsable();
    return store_->toolTipText;
}

void ControlTreeView::setToolTipText(const std::string& text) {
    Store& s = *store_;
    s.requireUsable();
    // The whole control is one tool of a tool tip window of its own.
    std::wstring shown = wideText(text);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = s.window;
    tool.uId = reinterpret_cast<UINT_PTR>(s.window);
    tool.lpszText = shown.data();
    if (!s.toolTip) {
        s.toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, s.window, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
        if (s.toolTip) SendMessageW(s.toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        SendMessageW(s.toolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    s.toolTipText = text;
}

int32_t ControlTreeView::advise(tree::TreeViewEvents* listener) { return store_->events.advise(listener); }
void ControlTreeView::unadvise(int32_t cookie) { store_->events.unadvise(cookie); }

HTREEITEM ControlTreeView::itemOf(const rt::Ref<tree::TreeNode>& node) const {
    auto* own = dynamic_cast<tree::StoredNode*>(node.get());
    const int32_t index = own ? own->indexIn(*store_) : NoNode;
    return index == NoNode || store_->windowGone ? nullptr : store_->items[index];
}

rt::Ref<tree::TreeNode> ControlTreeView::nodeOf(HTREEITEM item) const {
    if (!store_->usable()) return nullptr;
    return store_->objectOrNothing(store_->indexOfItem(item));
}

bool ControlTreeView::itemRect(const rt::Ref<tree::TreeNode>& node, RECT& rect, bool labelOnly) {
    HTREEITEM item = itemOf(node);
    if (!item) return false;
    SendMessageW(store_->window, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    *reinterpret_cast<HTREEITEM*>(&rect) = item;  // the message's way of naming the item
    return SendMessageW(store_->window, TVM_GETITEMRECT, labelOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(&rect)) != 0;
}

int ControlTreeView::imageIndexOf(const rt::Ref<tree::TreeNode>& node) const {
    HTREEITEM item = itemOf(node);
    if (!item) return -1;
    TVITEMW data{};
    data.mask = TVIF_IMAGE | TVIF_HANDLE;
    data.hItem = item;
    SendMessageW(store_->window, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
    return data.iImage;
}

HIMAGELIST ControlTreeView::controlImages() const { return store_->himl; }

void ControlTreeView::checkInvariants() const { store_->checkInvariants(); }

}  // namespace win_tree
