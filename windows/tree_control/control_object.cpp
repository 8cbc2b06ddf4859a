#include "windows/tree_control/control_object.h"

#include <oleauto.h>

#include <cstring>

#include "runtime/guid.h"
#include "windows/platform/com_bridge.h"
#include "windows/platform/tree_tables.h"
#include "windows/tree_control/identifiers.h"
#include "windows/tree_control/real_input.h"

namespace win_tree {
namespace {

using rt::Args;
using rt::CallKind;
using rt::Object;
using rt::Variant;
using rt::VarType;

GUID guidOf(std::string_view text) {
    GUID out{};
    if (auto g = rt::Guid::parse(text)) std::memcpy(&out, &*g, sizeof out);
    return out;
}

ControlObject& me(Object& o) { return rt::self<ControlObject>(o); }
const Variant& arg(Args& a, size_t i) { return rt::requiredArg(a, i); }
int16_t optionalShift(Args& a, size_t i) { return rt::isOmitted(a, i) ? 0 : rt::toInt16(a[i]); }

// A pointer coordinate as a mouse message carries it (16 bits); NaN and
// anything farther away overflow.
int pixel(const Variant& v) {
    const float f = rt::toSingle(v);
    if (!(f > -32769.0f && f < 32768.0f)) throw rt::errOverflow();
    return static_cast<int>(f);
}

HMODULE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

// The window of a control of our own: the control fills it, and closing it
// only hides it (the object owns it).
constexpr wchar_t FrameClass[] = L"SarnControlFrame";

LRESULT CALLBACK frameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        if (HWND tree = GetWindow(hwnd, GW_CHILD)) MoveWindow(tree, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }
    if (message == WM_CLOSE) {
        ShowWindow(hwnd, SW_HIDE);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND makeFrame() {
    static const bool registered = [] {
        WNDCLASSW cls{};
        cls.lpfnWndProc = frameProc;
        cls.hInstance = thisModule();
        cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        cls.lpszClassName = FrameClass;
        return RegisterClassW(&cls) != 0;
    }();
    HWND frame = registered ? CreateWindowExW(0, FrameClass, L"Tree view", WS_OVERLAPPEDWINDOW, 40, 40, 320, 420,
                                              nullptr, nullptr, thisModule(), nullptr)
                            : nullptr;
    if (!frame) throw rt::Error(rt::errnum::CannotCreate, "Cannot create the tree view's window");
    return frame;
}

// The nodes, nodes collection and image lists that the control hands out
// answer calls by name from the tree model's tables, registered once for
// the module whoever makes the first control.
void useTreeTables() {
    static const bool registered = (win::registerTreeTables(), true);
    (void)registered;
}

RECT clientOf(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return r;
}

}  // namespace

ControlObject::ControlObject() : frame_(makeFrame()) {
    useTreeTables();
    try {
        view_ = rt::make<ControlTreeView>(frame_, clientOf(frame_));
    } catch (...) {
        DestroyWindow(frame_);
        throw;
    }
    cookie_ = view_->advise(this);
}

ControlObject::ControlObject(HWND existing) : view_(rt::make<ControlTreeView>(existing)) {
    useTreeTables();
    cookie_ = view_->advise(this);
}

ControlObject::~ControlObject() {
    view_->unadvise(cookie_);
    view_ = nullptr;  // the control goes before its window
    if (frame_) DestroyWindow(frame_);
}

void ControlObject::setVisible(bool visible) {
    if (!frame_) {
        if (HWND w = view_->window()) ShowWindow(w, visible ? SW_SHOW : SW_HIDE);
        return;
    }
    ShowWindow(frame_, visible ? SW_SHOW : SW_HIDE);
    if (visible) UpdateWindow(frame_);
}

void ControlObject::move(int left, int top, int width, int height) {
    HWND w = frame_ ? frame_ : view_->window();
    if (!w) throw tree::errControlDeleted();
    MoveWindow(w, left, top, width, height, TRUE);
}

const GUID& ControlObject::eventInterface() const {
    static const GUID events = guidOf(Events);
    return events;
}

ITypeInfo* ControlObject::classTypeInfo() const {
    ITypeLib* lib = nullptr;
    if (FAILED(LoadRegTypeLib(guidOf(TypeLibrary), 1, 0, 0, &lib))) {
        // A host that carries the type library itself needs no registration.
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(thisModule(), path, MAX_PATH);
        if (FAILED(LoadTypeLibEx(path, REGKIND_NONE, &lib))) return nullptr;
    }
    ITypeInfo* info = nullptr;
    lib->GetTypeInfoOfGuid(guidOf(Clsid), &info);
    lib->Release();
    return info;
}

const rt::ClassInfo& ControlObject::classInfo() const {
    static const rt::Param value{"RHS"};
    static const rt::ClassInfo info{
        "TreeControl",
        {
            {"Nodes", 1, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return me(o).view().Nodes(); }, {},
             VarType::Object},
            {"ImageList", 2, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return me(o).view().imageListSource(); }, {}, VarType::Object},
            {"ImageList", 2, CallKind::PropertySet,
             [](Object& o, Args& a) -> Variant {
                 me(o).view().setForeignImageList(rt::toObject(arg(a, 0)));
                 return {};
             },
             {value}},
            {"LabelEdit", 3, CallKind::PropertyGet, [](Object& o, Args&) -> Variant { return me(o).view().LabelEdit(); },
             {}, VarType::Long},
            {"LabelEdit", 3, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 me(o).view().setLabelEdit(rt::toInt32(arg(a, 0)));
                 return {};
             },
             {value}},
            {"HitTest", 4, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 return me(o).view().HitTest(rt::toSingle(arg(a, 0)), rt::toSingle(arg(a, 1)));
             },
             {{"x", VarType::Single}, {"y", VarType::Single}}, VarType::Object},
            {"ToolTipText", 5, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant { return me(o).view().ToolTipText(); }, {}, VarType::String},
            {"ToolTipText", 5, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 me(o).view().setToolTipText(rt::toText(arg(a, 0)));
                 return {};
             },
             {value}},
            {"SelectedItem", 6, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant {
                 ControlTreeView& v = me(o).view();
                 HWND w = v.window();
                 if (!w) throw tree::errControlDeleted();
                 return v.nodeOf(reinterpret_cast<HTREEITEM>(SendMessageW(w, TVM_GETNEXTITEM, TVGN_CARET, 0)));
             },
             {}, VarType::Object},
            {"hWnd", 7, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant {
                 // Window handles hold 32 significant bits.
                 return static_cast<int32_t>(reinterpret_cast<intptr_t>(me(o).view().window()));
             },
             {}, VarType::Long},
            {"Visible", 8, CallKind::PropertyGet,
             [](Object& o, Args&) -> Variant {
                 HWND w = me(o).frame() ? me(o).frame() : me(o).view().window();
                 return rt::Bool16{static_cast<int16_t>(w && IsWindowVisible(w) ? rt::True16 : rt::False16)};
             },
             {}, VarType::Boolean},
            {"Visible", 8, CallKind::PropertyLet,
             [](Object& o, Args& a) -> Variant {
                 me(o).setVisible(rt::toInt16(arg(a, 0)) != 0);
                 return {};
             },
             {value}},
            {"Move", 9, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 me(o).move(rt::toInt32(arg(a, 0)), rt::toInt32(arg(a, 1)), rt::toInt32(arg(a, 2)),
                            rt::toInt32(arg(a, 3)));
                 return {};
             },
             {{"Left", VarType::Long}, {"Top", VarType::Long}, {"Width", VarType::Long}, {"Height", VarType::Long}}},
            {"ClickNode", 10, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 const Variant& which = arg(a, 0);
                 ControlTreeView& v = me(o).view();
                 rt::Ref<tree::TreeNode> node;
                 if (which.isObject()) {
                     node = rt::toObject(which).as<tree::TreeNode>();
                     if (!node || !v.itemOf(node)) throw rt::errInvalidCall();
                 } else {
                     node = v.Nodes()->Item(rt::toText(which));
                 }
                 clickNode(v, node);
                 return {};
             },
             {{"Node"}}},
            {"PressKey", 11, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 HWND w = me(o).view().window();
                 if (!w) throw tree::errControlDeleted();
                 pressKey(w, rt::toInt16(arg(a, 0)), optionalShift(a, 1));
                 return {};
             },
             {{"KeyCode", VarType::Integer}, {"Shift", VarType::Integer, true}}},
            {"ReleaseKey", 12, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 HWND w = me(o).view().window();
                 if (!w) throw tree::errControlDeleted();
                 releaseKey(w, rt::toInt16(arg(a, 0)), optionalShift(a, 1));
                 return {};
             },
             {{"KeyCode", VarType::Integer}, {"Shift", VarType::Integer, true}}},
            {"MovePointer", 13, CallKind::Method,
             [](Object& o, Args& a) -> Variant {
                 HWND w = me(o).view().window();
                 if (!w) throw tree::errControlDeleted();
                 movePointer(w, rt::toInt16(arg(a, 0)), rt::toInt16(arg(a, 1)), pixel(arg(a, 2)), pixel(arg(a, 3)));
                 return {};
             },
             {{"Button", VarType::Integer}, {"Shift", VarType::Integer}, {"x", VarType::Single}, {"y", VarType::Single}}},
        }};
    return info;
}

void forgetFrameClass(HINSTANCE module) { UnregisterClassW(FrameClass, module); }

IDispatch* wrapTreeControl(HWND existing) { return win::toDispatch(rt::ObjectRef(rt::make<ControlObject>(existing))); }

}  // namespace win_tree
