#include "windows/demo/settings_window.h"

#include <commctrl.h>

#include <stdexcept>
#include <vector>

#include "runtime/classes.h"
#include "examples/demo_settings.h"
#include "windows/platform/com_text.h"

namespace demo {
namespace {

using rt::CallKind;
using rt::Missing;
using rt::Variant;

enum Command : int {
    PictureSets = 101,
    SelectAll,
    Invert,
    Query,
    ExpandAll,
    CollapseAll,
    FollowPointer,
    TagAsTip,
    Close,
};

const char* const PictureSetNames[] = {"Check boxes", "Wrong and right marks", "Wrong and right marks in colour",
                                       "Locked and unlocked"};

constexpr wchar_t WindowClass[] = L"SarnDemoSettings";

Variant call(const rt::ObjectRef& o, const char* name, rt::Args args = {}) {
    return rt::callByName(o, name, CallKind::Method, args);
}
Variant get(const rt::ObjectRef& o, const char* name) { return rt::callByName(o, name, CallKind::PropertyGet); }
void let(const rt::ObjectRef& o, const char* name, Variant v) {
    rt::callByName(o, name, CallKind::PropertyLet, {std::move(v)});
}
void set(const rt::ObjectRef& o, const char* name, rt::ObjectRef v) {
    rt::callByName(o, name, CallKind::PropertySet, {Variant(std::move(v))});
}

// The texts of a collection, joined; "none" for an empty one.
std::string joined(const rt::ObjectRef& collection) {
    std::string out;
    const int32_t n = collection ? rt::toInt32(call(collection, "Count")) : 0;
    for (int32_t i = 1; i <= n; ++i) out += (i > 1 ? ", " : "") + rt::toText(call(collection, "Item", {i}));
    return out.empty() ? "none" : out;
}

HWND child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id = 0) {
    return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

SettingsWindow::SettingsWindow() {
    INITCOMMONCONTROLSEX init{sizeof init, ICC_TREEVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
    static const bool registered = [] {
        WNDCLASSW cls{};
        cls.lpfnWndProc = windowProc;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        cls.lpszClassName = WindowClass;
        return RegisterClassW(&cls) != 0;
    }();
    if (!registered) throw std::runtime_error("cannot register the window class");
    RECT frame{0, 0, 860, 640};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    window_ = CreateWindowExW(0, WindowClass, L"Editor settings", WS_OVERLAPPEDWINDOW & ~WS_THICKFRAME, 0, 0,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                              GetModuleHandleW(nullptr), this);
    if (!window_) throw std::runtime_error("cannot create the window");
    buildControls();

    // The window has its tree view control; the automation object wraps it,
    // and the manager of sarn10b.dll, made by its programmatic identifier,
    // drives it through TreeViewObject.
    control_ = rt::make<win_tree::ControlObject>(tree_);
    manager_ = rt::createObject("Sarn10B.clsKwAmbrTvsA");
    errorHandler_ = rt::createObject("KwBrenta10.clsKwbrErrorHandlerA");
    call(errorHandler_, "ClearReports");
    set(manager_, "TreeViewObject", rt::ObjectRef(control_));
    let(manager_, "TaginToolTip", rt::True16);
    addSettings();
    showReports();
}

SettingsWindow::~SettingsWindow() {
    if (manager_) set(manager_, "TreeViewObject", nullptr);
    manager_ = nullptr;
    control_ = nullptr;
    if (window_) DestroyWindow(window_);
    if (font_) DeleteObject(font_);
}

void SettingsWindow::buildControls() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    HWND w = window_;
    child(w, L"STATIC",
          L"Editor settings. Click an item to change it. Ctrl+A opens or closes every section; F10 tells about "
          L"the item clicked last.",
          SS_LEFT, 12, 10, 836, 32);
    // The control shows no text of its own; assistive technology names the
    // tree by it.
    tree_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"Settings",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                                TVS_SHOWSELALWAYS,
                            12, 48, 480, 402, w, nullptr, GetModuleHandleW(nullptr), nullptr);
    child(w, L"BUTTON", L"Picture set", BS_GROUPBOX, 504, 44, 344, 58);
    pictureSets_ = child(w, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 516, 66, 320, 200, PictureSets);
    for (const char* name : PictureSetNames)
        SendMessageW(pictureSets_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::wide(name).c_str()));
    SendMessageW(pictureSets_, CB_SETCURSEL, 0, 0);
    child(w, L"BUTTON", L"Selected section", BS_GROUPBOX, 504, 108, 344, 92);
    child(w, L"BUTTON", L"Select all", BS_PUSHBUTTON | WS_TABSTOP, 516, 130, 156, 26, SelectAll);
    child(w, L"BUTTON", L"Invert", BS_PUSHBUTTON | WS_TABSTOP, 680, 130, 156, 26, Invert);
    child(w, L"BUTTON", L"Query section", BS_PUSHBUTTON | WS_TABSTOP, 516, 162, 320, 26, Query);
    child(w, L"BUTTON", L"Whole tree", BS_GROUPBOX, 504, 206, 344, 110);
    child(w, L"BUTTON", L"Expand all", BS_PUSHBUTTON | WS_TABSTOP, 516, 228, 156, 26, ExpandAll);
    child(w, L"BUTTON", L"Collapse all", BS_PUSHBUTTON | WS_TABSTOP, 680, 228, 156, 26, CollapseAll);
    child(w, L"BUTTON", L"Selection follows the pointer", BS_AUTOCHECKBOX | WS_TABSTOP, 516, 262, 320, 20, FollowPointer);
    HWND tip = child(w, L"BUTTON", L"Show the item's note as tool tip", BS_AUTOCHECKBOX | WS_TABSTOP, 516, 286, 320, 20,
                     TagAsTip);
    SendMessageW(tip, BM_SETCHECK, BST_CHECKED, 0);
    child(w, L"BUTTON", L"Query result", BS_GROUPBOX, 504, 322, 344, 128);
    result_ = child(w, L"STATIC", L"Select a section and press Query section.", SS_LEFT, 516, 342, 320, 102);
    child(w, L"BUTTON", L"Reports of the error channel", BS_GROUPBOX, 12, 458, 836, 130);
    reports_ = child(w, L"LISTBOX", L"", WS_VSCROLL | WS_BORDER | LBS_NOINTEGRALHEIGHT, 24, 478, 812, 100);
    child(w, L"BUTTON", L"Close", BS_PUSHBUTTON | WS_TABSTOP, 748, 600, 100, 28, Close);
    for (HWND c = GetWindow(w, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
}

void SettingsWindow::addSettings(const std::vector<int32_t>& styles, const std::vector<bool>& open) {
    size_t item = 0, section = 0;
    for (const auto& s : demo_settings::sections()) {
        const bool opened = section < open.size() ? open[section] : true;
        call(manager_, "AddNode", {Missing{}, Missing{}, s.key, s.text, int32_t{0}, Missing{}, Missing{},
                                   int16_t{opened ? rt::True16 : rt::False16}, s.tag});
        for (const auto& i : s.items) {
            const int32_t style = item < styles.size() ? styles[item] : i.style;
            call(manager_, "AddNode", {s.key, int32_t{4}, i.key, i.text, style, Missing{}, Missing{}, int16_t{0}, i.tag});
            ++item;
        }
        ++section;
    }
}

void SettingsWindow::usePictureSet(int pictureSet) {
    std::vector<int32_t> styles;
    std::vector<bool> open;
    auto nodes = treeView().Nodes();
    for (const auto& s : demo_settings::sections()) {
        open.push_back(nodes->Item(s.key)->Expanded() != 0);
        for (const auto& i : s.items) styles.push_back(rt::toInt32(call(manager_, "GetTVSNodeStyle", {s.key, i.key})));
    }
    call(manager_, "Refresh");  // empties the tree and drops the pictures
    set(manager_, "TreeViewObject", rt::ObjectRef(control_));
    let(manager_, "ImageStyles", int32_t{pictureSet});
    addSettings(styles, open);
    pictureSet_ = pictureSet;
    SendMessageW(pictureSets_, CB_SETCURSEL, static_cast<WPARAM>(pictureSet), 0);
    showReports();
}

std::string SettingsWindow::selectedSection() {
    auto node = treeView().nodeOf(reinterpret_cast<HTREEITEM>(SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0)));
    if (!node) return {};
    auto parent = node->Parent();
    return parent ? parent->Key() : node->Key();
}

void SettingsWindow::selectAll(bool invert) {
    call(manager_, "CBSelectAll", {selectedSection(), invert ? rt::False16 : rt::True16, invert ? rt::True16 : rt::False16});
    showReports();
}

void SettingsWindow::expandAll(bool open) {
    call(manager_, "ExpandAll", {open ? rt::True16 : rt::False16});
    showReports();
}

void SettingsWindow::followPointer(bool on) { let(manager_, "HitTestOnMouseMove", on ? rt::True16 : rt::False16); }
void SettingsWindow::tagAsToolTip(bool on) { let(manager_, "TaginToolTip", on ? rt::True16 : rt::False16); }

void SettingsWindow::querySection() {
    const std::string section = selectedSection();
    // The manager adds to its text and key collections at every query.
    set(manager_, "QueryNodeTextCollection", nullptr);
    set(manager_, "QueryNodeKeysCollection", nullptr);
    if (section.empty()) {
        call(manager_, "QueryNodeCollection", {section});  // the manager says why it finds nothing
        setQueryResult("No section is selected: see the reports below.");
        showReports();
        return;
    }
    auto checkBoxes = rt::toObject(call(manager_, "QueryNodeCollection", {section, int32_t{1}}));
    const std::string items = joined(rt::toObject(get(manager_, "QueryNodeTextCollection")));
    auto options = rt::toObject(call(manager_, "QueryNodeCollection", {section, int32_t{2}}));
    set(manager_, "QueryNodeTextCollection", nullptr);
    set(manager_, "QueryNodeKeysCollection", nullptr);
    const std::string title = treeView().Nodes()->Item(section)->Text();
    setQueryResult(title + " (" + section + ")\ncheck box states: " + joined(checkBoxes) +
                   "\noption button states: " + joined(options) + "\nitems: " + items);
    showReports();
}

void SettingsWindow::setQueryResult(const std::string& text) {
    queryResult_ = text;
    std::string shown;
    for (char c : text) shown += c == '\n' ? std::string("\r\n") : std::string(1, c);
    SetWindowTextW(result_, win::wide(shown).c_str());
}

void SettingsWindow::showReports() {
    auto lines = rt::toObject(get(errorHandler_, "Reports"));
    const int32_t n = rt::toInt32(call(lines, "Count"));
    SendMessageW(reports_, LB_RESETCONTENT, 0, 0);
    for (int32_t i = 1; i <= n; ++i)
        SendMessageW(reports_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win::wide(rt::toText(call(lines, "Item", {i}))).c_str()));
    if (n > 0) SendMessageW(reports_, LB_SETTOPINDEX, static_cast<WPARAM>(n - 1), 0);
}

std::string SettingsWindow::reportsText() const {
    auto lines = rt::toObject(get(errorHandler_, "Reports"));
    std::string out;
    const int32_t n = rt::toInt32(call(lines, "Count"));
    for (int32_t i = 1; i <= n; ++i) out += rt::toText(call(lines, "Item", {i})) + "\n";
    return out;
}

std::string SettingsWindow::pictureSetName() const { return PictureSetNames[pictureSet_]; }

LRESULT CALLBACK SettingsWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<SettingsWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<SettingsWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->window_ == hwnd) return self->handle(message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT SettingsWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    try {
        if (message == WM_COMMAND) {
            const int id = LOWORD(wParam);
            const bool checked = SendMessageW(reinterpret_cast<HWND>(lParam), BM_GETCHECK, 0, 0) == BST_CHECKED;
            switch (id) {
                case PictureSets:
                    if (HIWORD(wParam) == CBN_SELCHANGE)
                        usePictureSet(static_cast<int>(SendMessageW(pictureSets_, CB_GETCURSEL, 0, 0)));
                    return 0;
                case SelectAll: selectAll(false); return 0;
                case Invert: selectAll(true); return 0;
                case Query: querySection(); return 0;
                case ExpandAll: expandAll(true); return 0;
                case CollapseAll: expandAll(false); return 0;
                case FollowPointer: followPointer(checked); return 0;
                case TagAsTip: tagAsToolTip(checked); return 0;
                case Close: DestroyWindow(window_); return 0;
                default: break;
            }
        } else if (message == WM_DESTROY) {
            PostQuitMessage(0);
            return 0;
        } else if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->hwndFrom == tree_ &&
                   reinterpret_cast<NMHDR*>(lParam)->code == NM_CLICK) {
            // The manager's reports of a click show at once.
            PostMessageW(window_, WM_APP, 0, 0);
        } else if (message == WM_APP) {
            showReports();
            return 0;
        }
    } catch (const std::exception& e) {
        MessageBoxW(window_, win::wide(e.what()).c_str(), L"Editor settings", MB_ICONERROR);
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace demo
