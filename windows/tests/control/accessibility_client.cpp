// A screen reader's view of the demo, from another process: starts
// sarn_demo.exe, gets the accessible object of its tree view control from
// the window (AccessibleObjectFromWindow), as assistive technology does, and
// reads the roles, states, names, values and descriptions of its items
// before and after a real click, a Space and the default actions, while an
// out-of-context event hook hears what the demo says changed. Only the
// platform's accessibility interface: nothing of the library.
//
// Usage: accessibility_client DEMO_EXE. Ends with "N passed, M failed".
#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "windows/tests/control/checks.h"

namespace {

control_tests::Checks checks;

struct HeardEvent {
    DWORD event;
    HWND window;
    LONG object;
    LONG child;
};
std::vector<HeardEvent> heard;
// The rows' child ids once listed, and any other id that an event named.
std::set<LONG> listedIds;
std::vector<LONG> strangers;

void CALLBACK eventHeard(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    heard.push_back({event, window, object, child});
    if (!listedIds.empty() && object == OBJID_CLIENT && child != CHILDID_SELF && !listedIds.count(child))
        strangers.push_back(child);
}

// Handles this thread's messages (the hook's events among them) for a while,
// or until `done` holds.
template <class Done>
bool waitFor(DWORD milliseconds, Done done) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done()) return true;
        if (GetTickCount() - start > milliseconds) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

bool heardFor(HWND tree, DWORD event, LONG child) {
    for (const auto& e : heard)
        if (e.event == event && e.window == tree && e.object == OBJID_CLIENT && e.child == child) return true;
    return false;
}

// Events need a little time to cross from the demo: wait for one, then
// settle for the demo to finish what it is doing.
bool waitForEvent(HWND tree, DWORD event, LONG child) {
    const bool got = waitFor(5000, [&] { return heardFor(tree, event, child); });
    waitFor(200, [] { return false; });
    return got;
}

VARIANT childVariant(LONG id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

std::string narrow(const wchar_t* text, UINT length) {
    if (!text || length == 0) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), n, nullptr, nullptr);
    return out;
}

// A text property; "(none)" when the object has none, "(failed)" when the
// call fails.
template <class Getter>
std::string text(Getter get) {
    BSTR value = nullptr;
    const HRESULT hr = get(&value);
    if (FAILED(hr)) return "(failed)";
    if (hr == S_FALSE || !value) return "(none)";
    std::string out = narrow(value, SysStringLen(value));
    SysFreeString(value);
    return out;
}

struct Reader {
    IAccessible* acc;

    std::string name(LONG id) const { return text([&](BSTR* b) { return acc->get_accName(childVariant(id), b); }); }
    std::string value(LONG id) const { return text([&](BSTR* b) { return acc->get_accValue(childVariant(id), b); }); }
    std::string description(LONG id) const {
        return text([&](BSTR* b) { return acc->get_accDescription(childVariant(id), b); });
    }
    std::string action(LONG id) const {
        return text([&](BSTR* b) { return acc->get_accDefaultAction(childVariant(id), b); });
    }
    LONG role(LONG id) const {
        VARIANT v;
        VariantInit(&v);
        if (FAILED(acc->get_accRole(childVariant(id), &v)) || v.vt != VT_I4) return -1;
        return v.lVal;
    }
    LONG state(LONG id) const {
        VARIANT v;
        VariantInit(&v);
        if (FAILED(acc->get_accState(childVariant(id), &v)) || v.vt != VT_I4) return -1;
        return v.lVal;
    }
    bool has(LONG id, LONG flag) const { return (state(id) & flag) == flag; }
    RECT location(LONG id) const {
        long x = 0, y = 0, w = 0, h = 0;
        acc->accLocation(&x, &y, &w, &h, childVariant(id));
        return {x, y, x + w, y + h};
    }
    LONG navigate(long direction, LONG from) const {
        VARIANT end;
        VariantInit(&end);
        if (acc->accNavigate(direction, childVariant(from), &end) != S_OK || end.vt != VT_I4) return -1;
        return end.lVal;
    }
};

std::string roleName(LONG role) {
    switch (role) {
        case ROLE_SYSTEM_OUTLINE: return "outline";
        case ROLE_SYSTEM_OUTLINEITEM: return "outline item";
        case ROLE_SYSTEM_CHECKBUTTON: return "check button";
        case ROLE_SYSTEM_RADIOBUTTON: return "radio button";
        default: return "role " + std::to_string(role);
    }
}

std::string flags(const Reader& r, LONG id) {
    const LONG s = r.state(id);
    if (s < 0) return "(failed)";
    std::string out;
    const std::pair<LONG, const char*> names[] = {
        {STATE_SYSTEM_CHECKED, "checked"},     {STATE_SYSTEM_EXPANDED, "expanded"},
        {STATE_SYSTEM_COLLAPSED, "collapsed"}, {STATE_SYSTEM_INVISIBLE, "invisible"},
        {STATE_SYSTEM_SELECTED, "selected"},   {STATE_SYSTEM_FOCUSED, "focused"},
        {STATE_SYSTEM_SELECTABLE, "selectable"}, {STATE_SYSTEM_FOCUSABLE, "focusable"}};
    for (auto [flag, name] : names)
        if (s & flag) out += std::string(out.empty() ? "" : " ") + name;
    return out;
}

// What a screen reader says of an item: role, name, states, value.
std::string spoken(const Reader& r, LONG id) {
    return roleName(r.role(id)) + " \"" + r.name(id) + "\" [" + flags(r, id) + "] value " + r.value(id);
}

void postClick(HWND tree, const RECT& screen) {
    POINT at{(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2};
    ScreenToClient(tree, &at);
    PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageW(tree, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

void postSpace(HWND tree) {
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(VK_SPACE, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 1 | scan);
    PostMessageW(tree, WM_KEYUP, VK_SPACE, 1 | scan | (1u << 30) | (1u << 31));
}

// The rows by name, from AccessibleChildren, checked to be the 23 rows with
// a child id each; their ids join the listed ones.
std::map<std::string, LONG> listRows(const Reader& r) {
    long count = 0;
    r.acc->get_accChildCount(&count);
    checks.check(count == 23, "the outline has the 23 rows as children (" + std::to_string(count) + ")");
    std::vector<VARIANT> children(static_cast<size_t>(count > 0 ? count : 1));
    LONG got = 0;
    const HRESULT listed = AccessibleChildren(r.acc, 0, count, children.data(), &got);
    std::map<std::string, LONG> ids;
    std::vector<LONG> order;
    for (LONG i = 0; i < got; ++i) {
        if (children[static_cast<size_t>(i)].vt != VT_I4) continue;
        const LONG id = children[static_cast<size_t>(i)].lVal;
        order.push_back(id);
        ids[r.name(id)] = id;
    }
    checks.check(SUCCEEDED(listed) && got == count && order.size() == static_cast<size_t>(count),
                 "AccessibleChildren lists every row by child id");
    checks.check(ids.size() == order.size(), "every row has a child id of its own");
    listedIds.insert(order.begin(), order.end());
    return ids;
}

// Another picture set: the demo builds its tree anew with the same image
// keys; the rows come back with new ids, roles and states as they were.
void pictureSetChange(HWND top, HWND tree, const Reader& r, const std::map<std::string, LONG>& before) {
    checks.scope = "another picture set";
    HWND sets = FindWindowExW(top, nullptr, L"COMBOBOX", nullptr);
    heard.clear();
    SendMessageW(sets, CB_SETCURSEL, 2, 0);
    PostMessageW(top, WM_COMMAND, MAKEWPARAM(101, CBN_SELCHANGE), reinterpret_cast<LPARAM>(sets));
    checks.check(waitForEvent(tree, EVENT_OBJECT_REORDER, CHILDID_SELF) &&
                     heardFor(tree, EVENT_OBJECT_DESTROY, before.at("Bold")),
                 "the rebuilt tree tells that the old rows are gone and the outline's children changed");
    waitFor(500, [] { return false; });
    std::map<std::string, LONG> ids = listRows(r);
    if (ids.size() < 23) return;
    checks.check(ids.at("Bold") != before.at("Bold") && r.role(before.at("Bold")) == -1,
                 "the new rows have new ids; the old ones are refused");
    checks.equal(spoken(r, ids.at("Bold")) + " / " + spoken(r, ids.at("Italic")) + " / " + spoken(r, ids.at("Centred")),
                 "check button \"Bold\" [checked selectable focusable] value (none) / "
                 "check button \"Italic\" [selectable focusable] value (none) / "
                 "radio button \"Centred\" [checked selectable focusable] value (none)",
                 "roles and states are those of before, in the new picture set");
}

void readTheTree(HWND top, HWND tree, IAccessible* acc) {
    Reader r{acc};
    checks.scope = "the outline";
    checks.equal(roleName(r.role(CHILDID_SELF)), "outline", "the control is an outline");
    checks.equal(r.name(CHILDID_SELF), "Settings", "the outline is named by the control's text");
    std::map<std::string, LONG> ids = listRows(r);
    if (ids.size() < 23) return;

    checks.scope = "before any input";
    struct Row {
        const char* name;
        const char* spoken;
        const char* action;
        const char* description;
    };
    const Row rows[] = {
        {"Text formatting", "outline item \"Text formatting\" [expanded selectable focusable] value 0", "Collapse",
         "How new text looks"},
        {"Bold", "check button \"Bold\" [selectable focusable] value (none)", "Check", "Shows new text in bold type"},
        {"Italic", "check button \"Italic\" [checked selectable focusable] value (none)", "Uncheck", "Slants new text"},
        {"Left", "radio button \"Left\" [checked selectable focusable] value (none)", "Check",
         "Lines start at the left margin"},
        {"Centred", "radio button \"Centred\" [selectable focusable] value (none)", "Check",
         "Lines are centred between the margins"},
    };
    for (const Row& row : rows) {
        const LONG id = ids[row.name];
        checks.equal(spoken(r, id), row.spoken, std::string(row.name) + ": what a screen reader says");
        checks.equal(r.action(id), row.action, std::string(row.name) + ": its default action");
        checks.equal(r.description(id), row.description, std::string(row.name) + ": its note as description");
    }
    checks.check(r.navigate(NAVDIR_FIRSTCHILD, CHILDID_SELF) == ids["Text formatting"] &&
                     r.navigate(NAVDIR_NEXT, ids["Text formatting"]) == ids["Alignment"] &&
                     r.navigate(NAVDIR_DOWN, ids["Text formatting"]) == ids["Bold"] &&
                     r.navigate(NAVDIR_LASTCHILD, ids["Alignment"]) == ids["Justified"],
                 "accNavigate goes to the first row, the next section, the row below and a section's last item");
    const RECT bold = r.location(ids["Bold"]);
    VARIANT hit;
    VariantInit(&hit);
    acc->accHitTest((bold.left + bold.right) / 2, (bold.top + bold.bottom) / 2, &hit);
    checks.check(bold.right > bold.left && hit.vt == VT_I4 && hit.lVal == ids["Bold"],
                 "accHitTest at the middle of Bold's place finds Bold");

    checks.scope = "a real click";
    heard.clear();
    postClick(tree, bold);
    checks.check(waitForEvent(tree, EVENT_OBJECT_STATECHANGE, ids["Bold"]),
                 "a click on Bold raises EVENT_OBJECT_STATECHANGE for Bold");
    checks.equal(flags(r, ids["Bold"]), "checked selected focused selectable focusable",
                 "Bold is checked, selected and focused after the click");
    checks.equal(r.action(ids["Bold"]), "Uncheck", "Bold's default action is Uncheck now");

    checks.scope = "Space";
    const HRESULT selected = acc->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, childVariant(ids["Italic"]));
    waitFor(300, [] { return false; });
    checks.check(selected == S_OK && r.has(ids["Italic"], STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED),
                 "accSelect makes Italic the selected and focused row: " + flags(r, ids["Italic"]));
    checks.check(heardFor(tree, EVENT_OBJECT_FOCUS, ids["Italic"]), "taking the focus raises EVENT_OBJECT_FOCUS for Italic");
    heard.clear();
    postSpace(tree);
    checks.check(waitForEvent(tree, EVENT_OBJECT_STATECHANGE, ids["Italic"]),
                 "Space raises EVENT_OBJECT_STATECHANGE for the current row");
    checks.equal(flags(r, ids["Italic"]), "selected focused selectable focusable", "Space unchecked Italic");
    heard.clear();
    PostMessageW(tree, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageW(tree, WM_KEYUP, VK_DOWN, 1 | (1u << 30) | (1u << 31));
    checks.check(waitForEvent(tree, EVENT_OBJECT_FOCUS, ids["Underline"]) && r.has(ids["Underline"], STATE_SYSTEM_FOCUSED),
                 "Down moves the focus to Underline and tells so");

    checks.scope = "default actions";
    heard.clear();
    checks.check(acc->accDoDefaultAction(childVariant(ids["Centred"])) == S_OK, "Centred's default action is done");
    checks.check(waitForEvent(tree, EVENT_OBJECT_STATECHANGE, ids["Centred"]) &&
                     heardFor(tree, EVENT_OBJECT_STATECHANGE, ids["Left"]),
                 "checking Centred raises a state change for Centred and for Left, which it switched off");
    checks.check(r.has(ids["Centred"], STATE_SYSTEM_CHECKED) && !r.has(ids["Left"], STATE_SYSTEM_CHECKED),
                 "Centred is checked, Left no longer");
    checks.check(!heardFor(tree, EVENT_OBJECT_STATECHANGE, ids["Right"]), "Right, off before and after, tells nothing");
    heard.clear();
    checks.check(acc->accDoDefaultAction(childVariant(ids["Alignment"])) == S_OK, "a section's default action is done");
    checks.check(waitForEvent(tree, EVENT_OBJECT_STATECHANGE, ids["Alignment"]),
                 "closing a section raises EVENT_OBJECT_STATECHANGE for it");
    checks.equal(flags(r, ids["Alignment"]) + " / " + r.action(ids["Alignment"]) + " / " + flags(r, ids["Left"]),
                 "collapsed selected focused selectable focusable / Expand / invisible selectable focusable",
                 "the section is closed, its items hidden, and the selection moved from Centred to the section");
    heard.clear();
    acc->accDoDefaultAction(childVariant(ids["Alignment"]));
    checks.check(waitForEvent(tree, EVENT_OBJECT_STATECHANGE, ids["Alignment"]) &&
                     r.has(ids["Alignment"], STATE_SYSTEM_EXPANDED) && !r.has(ids["Left"], STATE_SYSTEM_INVISIBLE),
                 "Expand opens it again and tells so");
    // The keyboard closes and opens the current section (the control's own
    // handling of Left and Right).
    acc->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, childVariant(ids["Alignment"]));
    waitFor(300, [] { return false; });
    for (const auto& [key, state, what] : {std::tuple{VK_LEFT, STATE_SYSTEM_COLLAPSED, "Left closes the section"},
                                           std::tuple{VK_RIGHT, STATE_SYSTEM_EXPANDED, "Right opens it"}}) {
        heard.clear();
        PostMessageW(tree, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
        PostMessageW(tree, WM_KEYUP, static_cast<WPARAM>(key), 1 | (1u << 30) | (1u << 31));
        checks.check(waitForEvent(tree, EVENT_OBJECT_STATECHANGE, ids["Alignment"]) && r.has(ids["Alignment"], state),
                     std::string(what) + " and tells so");
    }
    checks.check(acc->accDoDefaultAction(childVariant(1 << 30)) == E_INVALIDARG &&
                     r.role(1 << 30) == -1,
                 "a child id that names no row is refused");
    pictureSetChange(top, tree, r, ids);
    checks.scope = "all events";
    std::erase_if(strangers, [](LONG id) { return listedIds.count(id) != 0; });
    checks.check(strangers.empty(), "every event names the outline or a row that it lists (" +
                                        std::to_string(strangers.size()) + " named another)");
    checks.scope.clear();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: accessibility_client DEMO_EXE\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::string command = std::string("\"") + argv[1] + "\"";
    STARTUPINFOA start{};
    start.cb = sizeof start;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process)) {
        std::printf("cannot start %s\n", argv[1]);
        return 1;
    }
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_MIN, EVENT_MAX, nullptr, eventHeard, process.dwProcessId, 0,
                                         WINEVENT_OUTOFCONTEXT);
    checks.check(hook != nullptr, "an out-of-context event hook is set on the demo's process");
    HWND top = nullptr, tree = nullptr;
    waitFor(30000, [&] {
        top = FindWindowW(L"SarnDemoSettings", nullptr);
        tree = top ? FindWindowExW(top, nullptr, WC_TREEVIEWW, nullptr) : nullptr;
        return tree != nullptr && SendMessageW(tree, TVM_GETCOUNT, 0, 0) == 23;
    });
    checks.check(tree != nullptr, "the demo shows its window with the tree of 23 rows");
    IAccessible* acc = nullptr;
    if (tree) {
        waitFor(500, [] { return false; });
        const HRESULT hr = AccessibleObjectFromWindow(tree, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                                      reinterpret_cast<void**>(&acc));
        checks.check(SUCCEEDED(hr) && acc, "AccessibleObjectFromWindow gives the control's object (" +
                                              std::to_string(static_cast<long>(hr)) + ")");
    }
    if (acc) readTheTree(top, tree, acc);

    // The demo ends; the object that this client still holds answers with a
    // failure, and nothing crashes.
    if (top) PostMessageW(top, WM_CLOSE, 0, 0);
    const bool ended = WaitForSingleObject(process.hProcess, 20000) == WAIT_OBJECT_0;
    checks.check(ended, "the demo ends when its window is closed");
    if (!ended) TerminateProcess(process.hProcess, 1);
    if (acc) {
        long count = -1;
        const HRESULT after = acc->get_accChildCount(&count);
        checks.check(FAILED(after), "a call on the object held after the demo ended fails (" +
                                        std::to_string(static_cast<long>(after)) + ")");
        acc->Release();
    }
    if (hook) UnhookWinEvent(hook);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CoUninitialize();
    return checks.summary();
}
