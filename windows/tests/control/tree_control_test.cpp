// The tree view over the platform's tree view control, under Wine on a
// virtual display:
// - the tree model's contract (relationships, keys, positions, Clear, texts,
//   tags, open and selected state, failure numbers) run on the in-memory
//   tree view and on the control, which must answer alike;
// - the control's image list built from the view's pictures and kept in step;
// - the events that real mouse and key messages raise;
// - a style manager of sarn10b.dll, created by programmatic identifier,
//   bound to the control (made by its own programmatic identifier, and a
//   host's own control window wrapped) and driven by real input: clicks give
//   the image keys that the same clicks give on the in-memory tree view,
//   Ctrl+A opens and closes every section, F10 shows the item box (recorded
//   here in place of a user), and the selection follows the pointer.
// Ends with "N passed, M failed".
#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "manager/style_manager.h"
#include "outside/error_handler_standin.h"
#include "outside/memory_tree.h"
#include "outside/tree_text.h"
#include "runtime/classes.h"
#include "examples/demo_settings.h"
#include "windows/platform/com_bridge.h"
#include "windows/platform/com_text.h"
#include "windows/tests/control/checks.h"
#include "windows/tree_control/control_object.h"
#include "windows/tree_control/real_input.h"

namespace {

using control_tests::Checks;
using rt::CallKind;
using rt::Missing;
using rt::Variant;
using win_tree::ControlTreeView;

Checks checks;

HWND makeHostWindow(const wchar_t* title) {
    static const bool registered = [] {
        WNDCLASSW cls{};
        cls.lpfnWndProc = DefWindowProcW;
        cls.hInstance = GetModuleHandleW(nullptr);
        cls.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        cls.lpszClassName = L"ControlTestHost";
        return RegisterClassW(&cls) != 0;
    }();
    if (!registered) throw std::runtime_error("cannot register the host window's class");
    HWND w = CreateWindowExW(0, L"ControlTestHost", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 420, 600,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    win_tree::pumpMessages();
    return w;
}

const RECT TreeArea{8, 8, 392, 540};

std::string outcome(const std::function<void()>& step) {
    try {
        step();
        return "ok";
    } catch (const rt::Error& e) {
        return "error " + std::to_string(e.number());
    }
}

rt::Ref<rt::Picture> halfPicture(rt::Rgb colour) {
    // The left half in the colour, the right half transparent.
    auto p = rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (x < 8) p->setPixel(x, y, colour); else p->clearPixel(x, y);
    return p;
}

rt::Ref<tree::ImageList> stateList() {
    auto list = rt::make<tree::ImageList>();
    const std::pair<const char*, rt::Rgb> pictures[] = {
        {"chkoff", 0xFF0000}, {"chkon", 0x00FF00}, {"optoff", 0x0000FF}, {"opton", 0xFFFF00}};
    for (auto [key, colour] : pictures) list->ListImages()->Add(Missing{}, key, rt::ObjectRef(halfPicture(colour)));
    return list;
}

// ---- the contract, on both tree views ----

struct ContractCase {
    const char* name;
    std::function<std::string(tree::TreeView&)> run;
};

const std::vector<ContractCase>& contractCases() {
    static const std::vector<ContractCase> cases = {
        {"relationships 0 to 4 place nodes as the control does",
         [](tree::TreeView& v) {
             auto n = v.Nodes();
             n->Add(Missing{}, Missing{}, "R1", "Root one", Missing{});
             n->Add(Missing{}, Missing{}, "R2", "Root two", Missing{});
             n->Add("R1", tree::tvwChild, "C", "Child", Missing{});
             n->Add("C", tree::tvwFirst, "F", "First", Missing{});
             n->Add("C", tree::tvwLast, "L", "Last", Missing{});
             n->Add("F", tree::tvwNext, "N", "Next of first", Missing{});
             n->Add("L", tree::tvwPrevious, "P", "Previous of last", Missing{});
             n->Add("R1", Missing{}, "A", "After R1", Missing{});
             return tree::treeAsText(v) + "count " + std::to_string(n->Count()) + ", R1 has " +
                    std::to_string(n->Item("R1")->Children()) + ", position 3 is " + n->Item(3)->Key() +
                    ", parent of P is " + n->Item("P")->Parent()->Key();
         }},
        {"the failures of Add",
         [](tree::TreeView& v) {
             auto n = v.Nodes();
             n->Add(Missing{}, Missing{}, "K", "Key", Missing{});
             return outcome([&] { n->Add(Missing{}, Missing{}, "k", "same key in small letters", Missing{}); }) + " / " +
                    outcome([&] { n->Add("nobody", tree::tvwChild, "X", "x", Missing{}); }) + " / " +
                    outcome([&] { n->Add("K", 7, "Y", "y", Missing{}); }) + " / " +
                    outcome([&] { n->Add(Missing{}, Missing{}, "Z", "z", "chkon"); }) + " / count " +
                    std::to_string(n->Count());
         }},
        {"image keys and positions against the image list",
         [](tree::TreeView& v) {
             auto n = v.Nodes();
             v.SetImageList(stateList());
             std::string r = outcome([&] { n->Add(Missing{}, Missing{}, "A", "a", "chkoff"); });
             r += " / " + outcome([&] { n->Add(Missing{}, Missing{}, "B", "b", "nothing"); });
             r += " / " + outcome([&] { n->Add(Missing{}, Missing{}, "C", "c", 9); });
             r += " / " + outcome([&] { n->Add(Missing{}, Missing{}, "D", "d", 2); });
             r += " / " + outcome([&] { n->Item("A")->setImage("CHKON"); });
             r += " / " + outcome([&] { n->Item("A")->setImage("missing"); });
             r += " / " + outcome([&] { n->Item("A")->setImage(""); });
             v.SetImageList(nullptr);
             r += " / " + outcome([&] { n->Item("D")->setImage("opton"); });
             return r + "\n" + tree::treeAsText(v);
         }},
        {"Item by key in any case and by position, and its failures",
         [](tree::TreeView& v) {
             auto n = v.Nodes();
             n->Add(Missing{}, Missing{}, "Alpha", "a", Missing{});
             n->Add("Alpha", tree::tvwChild, "Beta", "b", Missing{});
             return n->Item("ALPHA")->Text() + " " + n->Item(2)->Key() + " / " +
                    outcome([&] { n->Item("gamma"); }) + " / " + outcome([&] { n->Item(0); }) + " / " +
                    outcome([&] { n->Item(3); });
         }},
        {"Clear empties the tree and retires the nodes taken before",
         [](tree::TreeView& v) {
             auto n = v.Nodes();
             n->Add(Missing{}, Missing{}, "A", "a", Missing{});
             auto a = n->Item("A");
             n->Clear();
             return "count " + std::to_string(n->Count()) + " / " + outcome([&] { a->Key(); }) + " / " +
                    outcome([&] { n->Add(Missing{}, Missing{}, "A", "again", Missing{}); }) + " / " +
                    tree::treeAsText(v);
         }},
        {"texts, tags, open and selected state",
         [](tree::TreeView& v) {
             auto n = v.Nodes();
             auto a = n->Add(Missing{}, Missing{}, "A", "a", Missing{});
             auto b = n->Add("A", tree::tvwChild, "B", "b", Missing{});
             a->setText("renamed");
             b->setTag(int32_t{42});
             a->setExpanded(rt::True16);
             const std::string open = std::to_string(a->Expanded());
             b->setExpanded(1);  // no children: kept as told
             b->setSelected(rt::True16);
             const std::string selected = std::to_string(b->Selected()) + std::to_string(a->Selected());
             a->setSelected(rt::True16);
             a->setExpanded(rt::False16);
             return a->Text() + " " + rt::toText(b->Tag()) + " open " + open + " " + std::to_string(a->Expanded()) +
                    " " + std::to_string(b->Expanded()) + " selected " + selected + std::to_string(b->Selected()) +
                    std::to_string(a->Selected());
         }},
        {"tool tip text and label editing",
         [](tree::TreeView& v) {
             v.setToolTipText("a note");
             v.setLabelEdit(1);
             return v.ToolTipText() + " " + std::to_string(v.LabelEdit());
         }},
    };
    return cases;
}

void contractOnBothViews(HWND host) {
    for (const auto& c : contractCases()) {
        checks.scope = c.name;
        auto memory = rt::make<tree::MemoryTreeView>();
        auto control = rt::make<ControlTreeView>(host, TreeArea);
        std::string expected, actual;
        try {
            expected = c.run(*memory);
        } catch (const std::exception& e) {
            expected = std::string("thrown: ") + e.what();
        }
        try {
            actual = c.run(*control);
            control->checkInvariants();
        } catch (const std::exception& e) {
            actual = std::string("thrown: ") + e.what();
        }
        checks.equal(actual, expected, "the control answers as the in-memory tree view");
    }
    checks.scope.clear();
}

// ---- the control's image list ----

// The colour of a pixel of the control's picture drawn over white.
COLORREF drawnPixel(HIMAGELIST list, int index, int x, int y) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 16, -16, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, 16, 16};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(list, index, dc, 0, 0, ILD_NORMAL);
    GdiFlush();
    const uint32_t pixel = static_cast<uint32_t*>(bits)[y * 16 + x] & 0xFFFFFF;  // 0xRRGGBB
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixel;
}

void imageList(HWND host) {
    checks.scope = "image list";
    auto view = rt::make<ControlTreeView>(host, TreeArea);
    auto list = stateList();
    view->SetImageList(list);
    HIMAGELIST h = view->controlImages();
    checks.check(h && ImageList_GetImageCount(h) == 5, "a blank picture and the four pictures of the list");
    int cx = 0, cy = 0;
    ImageList_GetIconSize(h, &cx, &cy);
    checks.check(cx == 16 && cy == 16, "the pictures are 16 x 16");
    checks.check(reinterpret_cast<HIMAGELIST>(SendMessageW(view->window(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0)) == h,
                 "the control shows that list");
    checks.check(drawnPixel(h, 2, 3, 8) == 0x00FF00 && drawnPixel(h, 2, 12, 8) == 0xFFFFFF,
                 "chkon is drawn green on its left and lets the white through on its right (its mask)");
    auto node = view->Nodes()->Add(Missing{}, Missing{}, "CBa", "a", "chkon");
    checks.check(view->imageIndexOf(node) == 2, "a node shows the picture of its image key");
    node->setImage("optoff");
    checks.check(view->imageIndexOf(node) == 3, "a new image key shows its picture");
    list->ListImages()->Add(Missing{}, "extra", rt::ObjectRef(halfPicture(0x808080)));
    node->setImage("extra");
    h = view->controlImages();
    checks.check(ImageList_GetImageCount(h) == 6 && view->imageIndexOf(node) == 5,
                 "a picture added to the list is in the control's list at once");
    checks.check(drawnPixel(h, 5, 3, 8) == 0x808080, "and drawn as it is");
    view->SetImageList(nullptr);
    checks.check(!view->controlImages() && rt::toText(node->Image()) == "extra",
                 "without a list the control shows no pictures and the node keeps its key");
    view->SetImageList(list);
    checks.check(view->imageIndexOf(node) == 5, "the list set again shows the key's picture again");
    checks.scope.clear();
}

// ---- events from real input ----

class Recorder final : public tree::TreeViewEvents {
public:
    std::vector<std::string> log;
    void NodeClick(const rt::Ref<tree::TreeNode>& node) override { log.push_back("NodeClick " + node->Key()); }
    void KeyDown(int16_t& k, int16_t& s) override { log.push_back("KeyDown " + std::to_string(k) + " " + std::to_string(s)); }
    void KeyUp(int16_t& k, int16_t& s) override { log.push_back("KeyUp " + std::to_string(k) + " " + std::to_string(s)); }
    void MouseMove(int16_t& b, int16_t& s, float& x, float& y) override {
        log.push_back("MouseMove " + std::to_string(b) + " " + std::to_string(s) + " " +
                      std::to_string(static_cast<int>(x)) + " " + std::to_string(static_cast<int>(y)));
    }
};

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const auto& l : lines) out += l + "; ";
    return out;
}

void postClick(HWND window, int x, int y) {
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    win_tree::pumpMessages();
}

void events(HWND host) {
    checks.scope = "events";
    auto view = rt::make<ControlTreeView>(host, TreeArea);
    auto n = view->Nodes();
    n->Add(Missing{}, Missing{}, "S1", "Section", Missing{});
    n->Add("S1", tree::tvwChild, "CB1", "First", Missing{});
    n->Add("S1", tree::tvwChild, "CB2", "Second", Missing{});
    n->Item("S1")->setExpanded(rt::True16);
    Recorder recorder;
    const int32_t cookie = view->advise(&recorder);
    HWND w = view->window();

    win_tree::clickNode(*view, n->Item("CB2"));
    checks.equal(joined(recorder.log), "NodeClick CB2; ", "a click on an item raises NodeClick with its node");
    recorder.log.clear();
    // An item with an empty text: its label is a few pixels wide and its
    // middle lies right of the item, so the click goes where the control's
    // hit test places it on the item. Without pictures no point is on it.
    n->Add("S1", tree::tvwChild, "CB3", "", Missing{});
    checks.equal(outcome([&] { win_tree::clickNode(*view, n->Item("CB3")); }) + " " + joined(recorder.log), "error 5 ",
                 "an item that shows neither text nor picture cannot be clicked: 5, and nothing is raised");
    view->SetImageList(stateList());
    n->Item("CB3")->setImage("chkoff");
    for (const char* key : {"CB3", "CB1", "S1"}) win_tree::clickNode(*view, n->Item(key));
    checks.equal(joined(recorder.log), "NodeClick CB3; NodeClick CB1; NodeClick S1; ",
                 "a click on an item with an empty text and a picture raises NodeClick, and so do the others");
    view->SetImageList(nullptr);
    recorder.log.clear();
    postClick(w, 5, 500);
    checks.equal(joined(recorder.log), "", "a click below the items raises nothing");
    recorder.log.clear();
    win_tree::pressKey(w, 'A', 2);
    win_tree::releaseKey(w, 'A', 2);
    win_tree::pressKey(w, VK_F10, 1);
    win_tree::releaseKey(w, VK_F10, 1);
    win_tree::pressKey(w, VK_DOWN, 0);
    win_tree::releaseKey(w, VK_DOWN, 0);
    checks.equal(joined(recorder.log), "KeyDown 65 2; KeyUp 65 2; KeyDown 121 1; KeyUp 121 1; KeyDown 40 0; KeyUp 40 0; ",
                 "keys raise KeyDown and KeyUp with the virtual-key code and the shift mask");
    recorder.log.clear();

    // A modifier key reports the state after its own press or release, as
    // real input does, and is up again after its release: the key after it
    // arrives without it.
    struct ModifierCase {
        const char* name;
        int16_t key;
        int16_t pressMask, releaseMask;
        const char* expected;
    };
    const ModifierCase modifiers[] = {
        {"Shift pressed as held, released as not", VK_SHIFT, 1, 0, "KeyDown 16 1; KeyUp 16 0; KeyDown 65 2; KeyUp 65 2; "},
        {"Shift pressed and released as held", VK_SHIFT, 1, 1, "KeyDown 16 1; KeyUp 16 0; KeyDown 65 2; KeyUp 65 2; "},
        {"Shift pressed and released without mask", VK_SHIFT, 0, 0, "KeyDown 16 1; KeyUp 16 0; KeyDown 65 2; KeyUp 65 2; "},
        {"Ctrl pressed as held, released as not", VK_CONTROL, 2, 0, "KeyDown 17 2; KeyUp 17 0; KeyDown 65 2; KeyUp 65 2; "},
    };
    for (const auto& c : modifiers) {
        win_tree::pressKey(w, c.key, c.pressMask);
        win_tree::releaseKey(w, c.key, c.releaseMask);
        win_tree::pressKey(w, 'A', 2);
        win_tree::releaseKey(w, 'A', 2);
        checks.equal(joined(recorder.log), c.expected, std::string(c.name) + ", then Ctrl+A");
        checks.check(GetKeyState(VK_SHIFT) >= 0 && GetKeyState(VK_CONTROL) >= 0,
                     std::string(c.name) + ": no modifier is left down in the thread's keyboard state");
        recorder.log.clear();
    }
    win_tree::movePointer(w, 1, 2, 30, 7);
    win_tree::movePointer(w, 0, 0, 31, 40);
    checks.equal(joined(recorder.log), "MouseMove 1 2 30 7; MouseMove 0 0 31 40; ",
                 "pointer moves raise MouseMove with buttons, shift mask and client pixels");

    RECT r{};
    view->itemRect(n->Item("CB1"), r, false);
    auto hit = view->HitTest(static_cast<float>(r.right - 2), static_cast<float>((r.top + r.bottom) / 2));
    checks.check(hit && hit->Key() == "CB1", "HitTest finds the item anywhere in its row");
    checks.check(!view->HitTest(5, 500), "HitTest below the items finds nothing");
    checks.check(!view->HitTest(std::nanf(""), 3), "HitTest of no number finds nothing");
    view->unadvise(cookie);

    // A control window of the host, with items of its own.
    HWND own = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | TVS_HASLINES, 8, 8, 200, 200, host,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    TVINSERTSTRUCTW ins{};
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT;
    ins.item.pszText = const_cast<wchar_t*>(L"Host item");
    auto top = reinterpret_cast<HTREEITEM>(SendMessageW(own, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
    ins.hParent = top;
    ins.item.pszText = const_cast<wchar_t*>(L"Its child");
    SendMessageW(own, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins));
    auto wrapped = rt::make<ControlTreeView>(own);
    auto wn = wrapped->Nodes();
    checks.check(wn->Count() == 2 && wn->Item(1)->Text() == "Host item" && wn->Item(2)->Parent()->Text() == "Host item" &&
                     wn->Item(1)->Key().empty(),
                 "the items of a wrapped window become nodes without key");
    auto kept = wn->Item(1);
    DestroyWindow(own);
    checks.equal(outcome([&] { wn->Count(); }) + " " + outcome([&] { kept->Text(); }) + " " +
                     outcome([&] { wrapped->HitTest(1, 1); }),
                 "error 35605 error 35605 error 35605", "a destroyed window leaves a tree view that fails with 35605");
    checks.scope.clear();
}

// ---- the style manager of sarn10b.dll on the control ----

rt::ObjectRef create(const char* progId) { return rt::createObject(progId); }
// Calls by name on an object, or on the object that a result holds, always
// through its dispatch interface, as a script or another module calls it
// (the tree model's objects of this module answer by name only there).
rt::ObjectRef viaDispatch(const Variant& o) {
    IDispatch* d = win::toDispatch(rt::toObject(o));
    if (!d) throw rt::errObjectNotSet();
    rt::ObjectRef peer = win::platformObject(d);
    d->Release();
    return peer;
}
Variant get(const Variant& o, const char* name) { return rt::callByName(viaDispatch(o), name, CallKind::PropertyGet); }
Variant call(const Variant& o, const char* name, rt::Args args) {
    return rt::callByName(viaDispatch(o), name, CallKind::Method, args);
}
void let(const Variant& o, const char* name, Variant v) {
    rt::callByName(viaDispatch(o), name, CallKind::PropertyLet, {std::move(v)});
}

void addSettings(const rt::ObjectRef& manager) {
    for (const auto& s : demo_settings::sections()) {
        call(manager, "AddNode", {Missing{}, Missing{}, s.key, s.text, int32_t{0}, Missing{}, Missing{}, rt::True16, s.tag});
        for (const auto& i : s.items)
            call(manager, "AddNode", {s.key, int32_t{tree::tvwChild}, i.key, i.text, i.style, Missing{}, Missing{},
                                      int16_t{0}, i.tag});
    }
}

const std::vector<const char*> Clicks = {"CBbold", "CBitalic", "OBright", "OBcentre", "CBbackup",
                                         "OBrich", "OBcrlf",   "CBcaps",  "S2",       "CBcaps"};

// The image keys of every item, by a reader of one node's image key.
std::string itemImages(const std::function<std::string(const char*)>& imageOf) {
    std::string out;
    for (const auto& s : demo_settings::sections())
        for (const auto& i : s.items) out += std::string(i.key) + "=" + imageOf(i.key) + " ";
    return out;
}

// The same clicks on the in-memory tree view with the manager's own code.
std::string expectedImages() {
    outside::registerErrorHandlerStandIn([](const std::string&) {});
    auto view = rt::make<tree::MemoryTreeView>();
    auto m = rt::make<Sarn10B::clsKwAmbrTvsA>();
    m->setTreeViewObject(view);
    addSettings(rt::ObjectRef(m));
    for (const char* key : Clicks) view->clickNode(std::string(key));
    std::string images = itemImages([&](const char* key) { return tree::imageText(view->Nodes()->Item(key)->Image()); });
    m->setTreeViewObject(nullptr);
    // From here on the error handler is the registered component's again.
    rt::unregisterClass("KwBrenta10.clsKwbrErrorHandlerA");
    return images;
}

// Closes the message box that the manager shows and records its title and
// text, as a user reading it and pressing OK.
std::vector<std::string> boxes;
BOOL CALLBACK closeIfMessageBox(HWND w, LPARAM) {
    wchar_t cls[16] = {}, title[256] = {}, text[512] = {};
    GetClassNameW(w, cls, 16);
    if (lstrcmpW(cls, L"#32770") != 0 || !IsWindowVisible(w)) return TRUE;
    GetWindowTextW(w, title, 256);
    GetDlgItemTextW(w, 0xFFFF, text, 512);
    boxes.push_back(win::narrow(std::wstring(title)) + ": " + win::narrow(std::wstring(text)));
    PostMessageW(w, WM_COMMAND, IDOK, 0);
    return FALSE;
}
void CALLBACK closeMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), closeIfMessageBox, 0);
    if (!boxes.empty()) KillTimer(nullptr, timer);
}

int16_t sectionOpen(HWND window, const rt::ObjectRef& tv, const char* key, bool& controlAgrees) {
    const int16_t open = rt::toInt16(get(call(get(tv, "Nodes"), "Item", {key}), "Expanded"));
    // The control's own state of the section's item.
    bool found = false;
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_ROOT, 0));
    for (; item; item = reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
        wchar_t text[128] = {};
        TVITEMW data{};
        data.mask = TVIF_TEXT | TVIF_STATE | TVIF_HANDLE;
        data.hItem = item;
        data.pszText = text;
        data.cchTextMax = 128;
        data.stateMask = TVIS_EXPANDED;
        SendMessageW(window, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        const std::string title = win::narrow(std::wstring(text));
        for (const auto& s : demo_settings::sections())
            if (s.key == std::string(key) && title == s.text) {
                found = true;
                controlAgrees &= ((data.state & TVIS_EXPANDED) != 0) == (open != 0);
            }
    }
    controlAgrees &= found;
    return open;
}

// Whether every item of the control shows a picture of the control's image
// list (a section its blank picture, an item its state's).
bool everyItemShowsAPicture(HWND window) {
    const auto list = reinterpret_cast<HIMAGELIST>(SendMessageW(window, TVM_GETIMAGELIST, TVSIL_NORMAL, 0));
    if (!list) return false;
    const int pictures = ImageList_GetImageCount(list);
    std::vector<HTREEITEM> walk{reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_ROOT, 0))};
    int seen = 0;
    while (!walk.empty()) {
        HTREEITEM item = walk.back();
        walk.pop_back();
        if (!item) continue;
        ++seen;
        TVITEMW data{};
        data.mask = TVIF_IMAGE | TVIF_HANDLE;
        data.hItem = item;
        SendMessageW(window, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
        if (data.iImage <= 0 || data.iImage >= pictures) return false;
        walk.push_back(reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item))));
        walk.push_back(reinterpret_cast<HTREEITEM>(SendMessageW(window, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item))));
    }
    return seen == 23;
}

// The road of a typical use, the manager bound to `tv` (the control's
// automation object) through TreeViewObject.
void managerOnControl(const char* name, const rt::ObjectRef& tv, const std::string& expected) {
    checks.scope = name;
    auto handler = create("KwBrenta10.clsKwbrErrorHandlerA");
    call(handler, "ClearReports", {});
    auto m = create("Sarn10B.clsKwAmbrTvsA");
    rt::callByName(m, "TreeViewObject", CallKind::PropertySet, {tv});
    let(m, "TaginToolTip", rt::True16);
    addSettings(m);
    std::function<std::string(const char*)> imageOf = [&](const char* key) { return tree::imageText(get(call(get(tv, "Nodes"), "Item", {key}), "Image")); };
    checks.equal(itemImages(imageOf).substr(0, 34), "CBbold=chkoff CBitalic=chkon CBund", "the items show their styles");
    HWND window = reinterpret_cast<HWND>(static_cast<intptr_t>(rt::toInt32(get(tv, "hWnd"))));
    checks.check(everyItemShowsAPicture(window),
                 "every item shows a picture of the manager's list, the ones added after the list was given too");

    for (const char* key : Clicks) call(tv, "ClickNode", {key});
    checks.equal(itemImages(imageOf), expected, "clicks give the image keys of the same clicks on the in-memory tree view");
    checks.equal(rt::toText(get(tv, "ToolTipText")), "Skips words written in capitals only",
                 "the note of the item clicked last is the tool tip");
    checks.check(rt::toInt32(get(m, "NodeChildren")) == 0 && rt::toText(get(m, "Tag")) == "Skips words written in capitals only",
                 "the manager records the clicked item's tag and child count");

    // Ctrl+A opens and closes every section, in turn.
    for (int round = 0; round < 3; ++round) {
        call(tv, "PressKey", {int16_t{'A'}, int16_t{2}});
        call(tv, "ReleaseKey", {int16_t{'A'}, int16_t{2}});
        const bool open = round != 1;
        bool all = true, agrees = true;
        for (const auto& s : demo_settings::sections()) all &= (sectionOpen(window, tv, s.key, agrees) != 0) == open;
        checks.check(all && agrees, std::string("Ctrl+A number ") + std::to_string(round + 1) + (open ? " opens" : " closes") +
                                        " every section, in the control too");
    }
    // A click while a key is down changes nothing.
    const std::string before = imageOf("CBbold");
    call(tv, "PressKey", {int16_t{VK_SHIFT}, int16_t{1}});
    call(tv, "ClickNode", {"CBbold"});
    call(tv, "ReleaseKey", {int16_t{VK_SHIFT}, int16_t{1}});
    checks.equal(imageOf("CBbold"), before, "a click while a key is down toggles nothing");

    // F10 tells about the item clicked last.
    call(tv, "ClickNode", {"S3"});
    boxes.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, closeMessageBox);
    call(tv, "PressKey", {int16_t{VK_F10}, int16_t{0}});
    call(tv, "ReleaseKey", {int16_t{VK_F10}, int16_t{0}});
    KillTimer(nullptr, timer);
    checks.equal(joined(boxes), "Item Desription...: When and how documents are saved , 4 More items. ; ",
                 "F10 shows the item box with the tag and the child count");

    // The selection follows the pointer.
    let(m, "HitTestOnMouseMove", rt::True16);
    call(tv, "ClickNode", {"OBlf"});  // scrolls it into view; OBlf is on already
    call(tv, "ClickNode", {"CBbold"});
    int y = -1;
    for (int probe = 0; probe < 600 && y < 0; probe += 2) {
        auto hit = rt::toObject(call(tv, "HitTest", {float{40}, static_cast<float>(probe)}));
        if (hit && rt::toText(get(hit, "Key")) == "OBlf") y = probe;
    }
    checks.check(y >= 0, "HitTest finds the row of OBlf");
    call(tv, "MovePointer", {int16_t{0}, int16_t{0}, float{40}, static_cast<float>(y + 1)});
    checks.check(rt::toText(get(rt::toObject(get(tv, "SelectedItem")), "Key")) == "OBlf",
                 "the selected item follows the pointer");

    // The error channel heard nothing, and Refresh empties and unbinds.
    checks.check(rt::toInt32(get(handler, "ReportCount")) == 0,
                 "the road makes no report (" + rt::toText(get(handler, "ReportCount")) + ")");
    call(m, "Refresh", {});
    checks.check(rt::toInt32(get(get(tv, "Nodes"), "Count")) == 0 && !rt::toObject(get(tv, "ImageList")) &&
                     !rt::toObject(get(m, "TreeViewObject")),
                 "Refresh leaves no node, no image list and no binding");
    checks.check(rt::toInt32(get(handler, "ReportCount")) == 0, "Refresh while bound reports nothing");
    checks.scope.clear();
}

}  // namespace

int main() {
    if (FAILED(OleInitialize(nullptr))) {
        std::printf("cannot start the platform's automation\n");
        return 1;
    }
    {
        HWND host = makeHostWindow(L"Control tests");
        contractOnBothViews(host);
        imageList(host);
        events(host);
        const std::string expected = expectedImages();
        try {
            // The control by its programmatic identifier, as a script binds it.
            auto tv = create("SarnControl.TreeControl");
            let(tv, "Visible", rt::True16);
            managerOnControl("by programmatic identifier", tv, expected);
        } catch (const rt::Error& e) {
            checks.check(false, "the road on SarnControl.TreeControl failed: " + std::string(e.what()));
        }
        try {
            // A host's own control window, wrapped.
            HWND other = makeHostWindow(L"Host window");
            HWND own = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASLINES |
                                       TVS_HASBUTTONS | TVS_LINESATROOT, 8, 8, 392, 540, other, nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
            IDispatch* wrapped = win_tree::wrapTreeControl(own);
            // Reached through its dispatch interface, as the manager reaches it.
            rt::ObjectRef tv = win::platformObject(wrapped);
            wrapped->Release();
            managerOnControl("a host's own window", tv, expected);
            tv = nullptr;
            DestroyWindow(other);
        } catch (const rt::Error& e) {
            checks.check(false, "the road on a wrapped window failed: " + std::string(e.what()));
        }
        DestroyWindow(host);
    }
    OleUninitialize();
    return checks.summary();
}
