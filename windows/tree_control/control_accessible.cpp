// The accessible object of a control tree view (control_accessible.h): the
// outline and, by child id, its items, read from the control and the nodes
// each time they are asked for, so that nothing is ever out of date.
#include "windows/tree_control/control_accessible.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <utility>
#include <vector>

#include "runtime/error.h"

namespace win_tree {
namespace {

using Store = ControlTreeView::Store;

HTREEITEM nextItem(HWND window, HTREEITEM from, UINT how) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, how, reinterpret_cast<LPARAM>(from)));
}

// Every item of the control in tree order, a parent before its children.
std::vector<HTREEITEM> itemsInOrder(HWND window) {
    std::vector<HTREEITEM> out;
    HTREEITEM item = nextItem(window, nullptr, TVGN_ROOT);
    while (item) {
        out.push_back(item);
        if (HTREEITEM child = nextItem(window, item, TVGN_CHILD)) {
            item = child;
            continue;
        }
        while (item) {
            if (HTREEITEM next = nextItem(window, item, TVGN_NEXT)) {
                item = next;
                break;
            }
            item = nextItem(window, item, TVGN_PARENT);
        }
    }
    return out;
}

std::wstring itemText(HWND window, HTREEITEM item) {
    std::wstring text(1024, L'\0');
    TVITEMW data{};
    data.mask = TVIF_TEXT | TVIF_HANDLE;
    data.hItem = item;
    data.pszText = text.data();
    data.cchTextMax = static_cast<int>(text.size());
    if (!SendMessageW(window, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data)) || !data.pszText) return {};
    return data.pszText;
}

std::wstring windowText(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

int levelOf(HWND window, HTREEITEM item) {
    int level = 0;
    for (HTREEITEM up = nextItem(window, item, TVGN_PARENT); up; up = nextItem(window, up, TVGN_PARENT)) ++level;
    return level;
}

bool isOpen(HWND window, HTREEITEM item) {
    return (SendMessageW(window, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
}

// The rectangle of an item's picture and label in client pixels; false when
// a closed section hides the item.
bool itemArea(HWND window, HTREEITEM item, RECT& area) {
    *reinterpret_cast<HTREEITEM*>(&area) = item;  // the message's way of naming the item
    if (!SendMessageW(window, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&area))) return false;
    const auto pictures = reinterpret_cast<HIMAGELIST>(SendMessageW(window, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    int width = 0, height = 0;
    if (pictures && ImageList_GetIconSize(pictures, &width, &height)) area.left = std::max(0L, area.left - width - 3);
    return true;
}

BSTR newText(const std::wstring& text) { return SysAllocStringLen(text.data(), static_cast<UINT>(text.size())); }

void setChildId(VARIANT* out, LONG id) {
    out->vt = VT_I4;
    out->lVal = id;
}

// Where a click raises the control's click notification for the item: the
// middle of its label, or the first point of the label that the control's
// hit test places on the item.
bool clickPoint(HWND window, HTREEITEM item, POINT& at) {
    SendMessageW(window, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT label{};
    *reinterpret_cast<HTREEITEM*>(&label) = item;
    if (!SendMessageW(window, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label))) return false;
    auto onItem = [&](POINT p) {
        TVHITTESTINFO hit{};
        hit.pt = p;
        SendMessageW(window, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        return hit.hItem == item && (hit.flags & TVHT_ONITEM);
    };
    const LONG y = (label.top + label.bottom) / 2;
    at = {(label.left + label.right) / 2, y};
    if (onItem(at)) return true;
    for (at.x = label.left; at.x < label.right; ++at.x)
        if (onItem(at)) return true;
    return false;
}

class ControlAccessible final : public IAccessible, public IOleWindow, public IEnumVARIANT {
public:
    explicit ControlAccessible(std::weak_ptr<Store> store) : store_(std::move(store)) {}

    // Every call from now on fails with RPC_E_DISCONNECTED.
    void disconnect() { connected_ = false; }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IAccessible) {
            *out = static_cast<IAccessible*>(this);
        } else if (iid == IID_IOleWindow) {
            *out = static_cast<IOleWindow*>(this);
        } else if (iid == IID_IEnumVARIANT) {
            *out = static_cast<IEnumVARIANT*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return refs_.fetch_add(1) + 1; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = refs_.fetch_sub(1) - 1;
        if (left == 0) delete this;
        return left;
    }

    // IDispatch, through the platform's description of IAccessible.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = typeInfo() ? 1 : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ITypeInfo* t = typeInfo();
        if (!t) return E_NOTIMPL;
        t->AddRef();
        *info = t;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ITypeInfo* t = typeInfo();
        return t ? t->GetIDsOfNames(names, count, ids) : E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argError) override {
        ITypeInfo* t = typeInfo();
        return t ? t->Invoke(static_cast<IAccessible*>(this), id, flags, params, result, exception, argError) : E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        if (!parent) return E_POINTER;
        *parent = nullptr;
        std::shared_ptr<Store> s;
        if (HRESULT hr = live(s); hr != S_OK) return hr;
        // The window's own object, as the platform makes it.
        if (FAILED(AccessibleObjectFromWindow(s->window, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                              reinterpret_cast<void**>(parent))))
            return S_FALSE;
        return *parent ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        std::shared_ptr<Store> s;
        if (HRESULT hr = live(s); hr != S_OK) return hr;
        *count = static_cast<long>(SendMessageW(s->window, TVM_GETCOUNT, 0, 0));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        Target t;
        if (HRESULT hr = resolve(child, t); hr != S_OK) return hr;
        if (!t.item) {
            AddRef();
            *out = static_cast<IAccessible*>(this);
            return S_OK;
        }
        return S_FALSE;  // an item is an element of the outline, no object of its own
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!name) return E_POINTER;
        *name = nullptr;
        Target t;
        if (HRESULT hr = resolve(child, t); hr != S_OK) return hr;
        if (t.item) {
            *name = newText(itemText(t.window(), t.item));
            return S_OK;
        }
        // The control's own text, else the title of the window that holds it.
        std::wstring text = windowText(t.window());
        if (text.empty()) text = windowText(GetAncestor(t.window(), GA_ROOT));
        if (text.empty()) return S_FALSE;
        *name = newText(text);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        if (!value) return E_POINTER;
        *value = nullptr;
        Target t;
        if (HRESULT hr = resolve(child, t); hr != S_OK) return hr;
        if (!t.item || look(t).kind != ItemKind::OutlineItem) return S_FALSE;
        *value = newText(std::to_wstring(levelOf(t.window(), t.item)));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (!description) return E_POINTER;
        *description = nullptr;
        Target t;
        if (HRESULT hr = resolve(child, t); hr != S_OK) return hr;
        const int32_t index = t.item ? t.store->indexOfItem(t.item) : NoNode;
        if (index == NoNode) return S_FALSE;
        std::string tag;
        try {
            tag = rt::toText(t.store->tag(index));
        } catch (const rt::Error&) {
            return S_FALSE;  // a tag with no text, such as a null value
        }
        if (tag.empty()) return S_FALSE;
        *description = newText(wideText(tag));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (!role) return E_POINTER;
        VariantInit(role);
        Target t;
        if (HRESULT hr = resolve(child, t); hr != S_OK) return hr;
        LONG value = ROLE_SYSTEM_OUTLINE;
        if (t.item) {
            switch (look(t).kind) {
                case ItemKind::CheckButton: value = ROLE_SYSTEM_CHECKBUTTON; break;
                case ItemKind::OptionButton: value = ROLE_SYSTEM_RADIOBUTTON; break;
                case ItemKind::OutlineItem: value = ROLE_SYSTEM_OUTLINEITEM; break;
            }
        }
        setChildId(role, value);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        if (!state) return E_POINTER;
        VariantInit(state);
        Target t;
        if (HRESULT hr = resolve(child, t); hr != S_OK) return hr;
        HWND w = t.window();
        const bool focused = GetFocus() == w;
        LONG value = 0;
        if (!t.item) {
            value = STATE_SYSTEM_FOCUSABLE;
            if (focused) value |= STATE_SYSTEM_FOCUSED;
            if (!IsWindowVisible(w)) value |= STATE_SYSTEM_INVISIBLE;
            if (!IsWindowEnabled(w)) value |= STATE_SYSTEM_UNAVAILABLE;
        } else {
            value = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
            if (nextItem(w, nullptr, TVGN_CARET) == t.item) {
                value |= STATE_SYSTEM_SELECTED;
                if (focused) value |= STATE_SYSTEM_FOCUSED;
            }
            if (look(t).checked) value |= STATE_SYSTEM_CHECKED;
            if (nextItem(w, t.item, TVGN_CHILD)) value |= isOpen(w, t.item) ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
            RECT area{}, client{};
            GetClientRect(w, &client);
            if (!itemArea(w, t.item, area)) {
                value |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
            } else if (area.bottom <= client.top || area.top >= client.bottom || area.right <= client.left ||
                       area.left >= client.right) {
                value |= STATE_SYSTEM_OFFSCREEN;
            }
        }
        setChildId(state, value);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override { return noText(child, help); }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        if (!file || !topic) return E_POINTER;
        *file = nullptr;
        *topic = 0;
        Target t;
        if (HRESULT hr = resolve(child, t); hr != S_OK) return hr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return noText(child, shortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        if (!focus) return E_POINTER;
        VariantInit(focus);
        std::shared_ptr<Store> s;
        if (HRESULT hr = live(s); hr != S_OK) return hr;
        if (GetFocus() != s->window) return S_FALSE;
        HTREEITEM caret = nextItem(s->window, nullptr, TVGN_CARET);
        setChildId(focus, caret ? s->childIdOf(caret) : CHILDID_SELF);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        if (!selection) return E_POINTER;
        VariantInit(selection);
        std::shared_ptr<Store> s;
        if (HRESULT hr = live(s); hr != S_OK) return hr;
        HTREEITEM caret = nextItem(s->window, nullptr, TVGN_CARET);
        if (!caret) return S_FALSE;
        setChildId(selection, s->childIdOf(caret));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        if (!action) return E_POINTER;
        *action = nullptr;
        Target t;
        if (HRESULT hr = resolve(child, t); hr != S_OK) return hr;
        const wchar_t* name = defaultAction(t);
        if (!name) return S_FALSE;
        *action = SysAllocString(name);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        Target t;
        if (HRESULT hr = resolve(child, t); hr != S_OK) return hr;
        constexpr long Supported = SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION;
        // One item at a time is selected: adding, extending and removing are
        // not for this control.
        if (flags == 0 || (flags & ~Supported) != 0) return E_INVALIDARG;
        HWND w = t.window();
        if (flags & SELFLAG_TAKEFOCUS) SetFocus(w);
        if (t.item) SendMessageW(w, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(t.item));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
        if (!left || !top || !width || !height) return E_POINTER;
        *left = *top = *width = *height = 0;
        Target t;
        if (HRESULT hr = resolve(child, t); hr != S_OK) return hr;
        HWND w = t.window();
        RECT area{};
        if (!t.item) {
            GetWindowRect(w, &area);
        } else {
            if (!itemArea(w, t.item, area)) return S_FALSE;
            MapWindowPoints(w, nullptr, reinterpret_cast<POINT*>(&area), 2);
        }
        *left = area.left;
        *top = area.top;
        *width = area.right - area.left;
        *height = area.bottom - area.top;
        return S_OK;
    }
    // From the outline: its first and last item. From an item: the next and
    // previous item under the same parent, the next and previous item shown
    // (down, up), and its own first and last child.
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        if (!end) return E_POINTER;
        VariantInit(end);
        Target t;
        if (HRESULT hr = resolve(start, t); hr != S_OK) return hr;
        HWND w = t.window();
        HTREEITEM to = nullptr;
        if (!t.item) {
            if (direction == NAVDIR_FIRSTCHILD) {
                to = nextItem(w, nullptr, TVGN_ROOT);
            } else if (direction == NAVDIR_LASTCHILD) {
                const std::vector<HTREEITEM> all = itemsInOrder(w);
                to = all.empty() ? nullptr : all.back();
            } else if (direction < NAVDIR_UP || direction > NAVDIR_LASTCHILD) {
                return E_INVALIDARG;
            }
        } else {
            switch (direction) {
                case NAVDIR_NEXT: to = nextItem(w, t.item, TVGN_NEXT); break;
                case NAVDIR_PREVIOUS: to = nextItem(w, t.item, TVGN_PREVIOUS); break;
                case NAVDIR_DOWN: to = nextItem(w, t.item, TVGN_NEXTVISIBLE); break;
                case NAVDIR_UP: to = nextItem(w, t.item, TVGN_PREVIOUSVISIBLE); break;
                case NAVDIR_FIRSTCHILD: to = nextItem(w, t.item, TVGN_CHILD); break;
                case NAVDIR_LASTCHILD:
                    for (HTREEITEM c = nextItem(w, t.item, TVGN_CHILD); c; c = nextItem(w, c, TVGN_NEXT)) to = c;
                    break;
                case NAVDIR_LEFT:
                case NAVDIR_RIGHT: break;
                default: return E_INVALIDARG;
            }
        }
        if (!to) return S_FALSE;
        setChildId(end, t.store->childIdOf(to));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* found) override {
        if (!found) return E_POINTER;
        VariantInit(found);
        std::shared_ptr<Store> s;
        if (HRESULT hr = live(s); hr != S_OK) return hr;
        POINT at{x, y};
        RECT client{};
        GetClientRect(s->window, &client);
        ScreenToClient(s->window, &at);
        if (!PtInRect(&client, at)) return S_FALSE;
        TVHITTESTINFO hit{};
        hit.pt = at;
        SendMessageW(s->window, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        constexpr UINT InRow = TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT;
        setChildId(found, hit.hItem && (hit.flags & InRow) ? s->childIdOf(hit.hItem) : CHILDID_SELF);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        Target t;
        if (HRESULT hr = resolve(child, t); hr != S_OK) return hr;
        const wchar_t* name = defaultAction(t);
        if (!name) return DISP_E_MEMBERNOTFOUND;
        HWND w = t.window();
        if (look(t).kind != ItemKind::OutlineItem) {
            // A click of the user's own, handled when this call has returned.
            POINT at{};
            if (!clickPoint(w, t.item, at)) return E_FAIL;
            PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
            PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
            return S_OK;
        }
        SendMessageW(w, TVM_EXPAND, isOpen(w, t.item) ? TVE_COLLAPSE : TVE_EXPAND, reinterpret_cast<LPARAM>(t.item));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

    // IOleWindow
    HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
        if (!window) return E_POINTER;
        *window = nullptr;
        std::shared_ptr<Store> s;
        if (HRESULT hr = live(s); hr != S_OK) return hr;
        *window = s->window;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IEnumVARIANT: the child ids of the items in tree order, as they stood
    // at the last Reset.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* out, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        if (!out) return E_POINTER;
        std::shared_ptr<Store> s;
        if (HRESULT hr = live(s); hr != S_OK) return hr;
        if (!enumerated_) takeChildren(*s);
        ULONG n = 0;
        for (; n < count && position_ < children_.size(); ++n, ++position_) {
            VariantInit(&out[n]);
            setChildId(&out[n], children_[position_]);
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        std::shared_ptr<Store> s;
        if (HRESULT hr = live(s); hr != S_OK) return hr;
        if (!enumerated_) takeChildren(*s);
        const size_t left = children_.size() - position_;
        position_ += std::min<size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        std::shared_ptr<Store> s;
        if (HRESULT hr = live(s); hr != S_OK) return hr;
        takeChildren(*s);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        if (!copy) return E_POINTER;
        *copy = nullptr;
        std::shared_ptr<Store> s;
        if (HRESULT hr = live(s); hr != S_OK) return hr;
        auto* other = new ControlAccessible(store_);
        if (!enumerated_) takeChildren(*s);
        other->children_ = children_;
        other->position_ = position_;
        other->enumerated_ = true;
        // The view holds it too, to disconnect it with the first: no client
        // may keep code of this module alive past the window.
        s->accessibleCopies.push_back(static_cast<IAccessible*>(other));
        other->AddRef();
        *copy = static_cast<IEnumVARIANT*>(other);
        return S_OK;
    }

private:
    ~ControlAccessible() = default;

    // What a child argument names: the outline (item nullptr) or an item.
    struct Target {
        std::shared_ptr<Store> store;
        HTREEITEM item = nullptr;
        HWND window() const { return store->window; }
    };

    // The store while the control works; calls come on the window's thread,
    // as the apartment of the object is that thread.
    HRESULT live(std::shared_ptr<Store>& s) const {
        s = connected_ ? store_.lock() : nullptr;
        if (!s || !s->usable() || !s->window || !IsWindow(s->window)) {
            s = nullptr;
            return RPC_E_DISCONNECTED;
        }
        if (GetWindowThreadProcessId(s->window, nullptr) != GetCurrentThreadId()) {
            s = nullptr;
            return RPC_E_WRONG_THREAD;
        }
        return S_OK;
    }

    HRESULT resolve(const VARIANT& child, Target& t) const {
        if (HRESULT hr = live(t.store); hr != S_OK) return hr;
        VARIANT id;
        VariantInit(&id);
        if (child.vt == VT_EMPTY || FAILED(VariantChangeType(&id, const_cast<VARIANT*>(&child), 0, VT_I4))) return E_INVALIDARG;
        if (id.lVal == CHILDID_SELF) return S_OK;
        t.item = t.store->itemOfChildId(id.lVal);
        return t.item ? S_OK : E_INVALIDARG;
    }

    static ItemLook look(const Target& t) { return itemLook(*t.store, t.store->indexOfItem(t.item)); }

    static const wchar_t* defaultAction(const Target& t) {
        if (!t.item) return nullptr;
        const ItemLook l = look(t);
        if (l.kind == ItemKind::CheckButton) return l.checked ? L"Uncheck" : L"Check";
        if (l.kind == ItemKind::OptionButton) return L"Check";
        if (!nextItem(t.window(), t.item, TVGN_CHILD)) return nullptr;
        return isOpen(t.window(), t.item) ? L"Collapse" : L"Expand";
    }

    HRESULT noText(const VARIANT& child, BSTR* text) const {
        if (!text) return E_POINTER;
        *text = nullptr;
        Target t;
        if (HRESULT hr = resolve(child, t); hr != S_OK) return hr;
        return S_FALSE;
    }

    void takeChildren(Store& s) {
        children_.clear();
        for (HTREEITEM item : itemsInOrder(s.window)) children_.push_back(s.childIdOf(item));
        position_ = 0;
        enumerated_ = true;
    }

    static ITypeInfo* typeInfo() {
        static ITypeInfo* const info = [] {
            ITypeLib* library = nullptr;
            ITypeInfo* found = nullptr;
            if (SUCCEEDED(LoadRegTypeLib(LIBID_Accessibility, 1, 1, 0, &library))) {
                library->GetTypeInfoOfGuid(IID_IAccessible, &found);
                library->Release();
            }
            return found;  // kept for the life of the module
        }();
        return info;
    }

    std::atomic<ULONG> refs_{1};
    std::weak_ptr<Store> store_;
    bool connected_ = true;
    std::vector<LONG> children_;
    size_t position_ = 0;
    bool enumerated_ = false;
};

}  // namespace

IAccessible* newControlAccessible(const std::shared_ptr<Store>& store) { return new ControlAccessible(store); }

LRESULT Store::answerGetObject(WPARAM flags, LPARAM object) {
    if (static_cast<DWORD>(object) != static_cast<DWORD>(OBJID_CLIENT) || !usable()) return 0;
    if (!accessible) accessible = newControlAccessible(self());
    return LresultFromObject(IID_IAccessible, flags, accessible);
}

void Store::dropAccessible() {
    std::vector<IAccessible*> held = std::exchange(accessibleCopies, {});
    if (accessible) held.push_back(std::exchange(accessible, nullptr));
    for (IAccessible* object : held) {
        static_cast<ControlAccessible*>(object)->disconnect();
        CoDisconnectObject(object, 0);
        object->Release();
    }
}

}  // namespace win_tree
