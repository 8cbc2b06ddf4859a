// sarn_demo.exe: the style manager of sarn10b.dll on the platform's own tree
// view control, in an editor's settings dialog.
//
// Usage: sarn_demo [--screenshot FILE] [--picture-set 0-3]
//
// Needs sarn10b.dll and sarn_outside.dll registered (regsvr32). With
// --screenshot the demo plays a short session through real input (a query
// with no section selected, mouse clicks on four items, Ctrl+A, a query of
// the section clicked last, then the picture set asked for), writes the
// window to FILE as PNG, prints the tree as text, the query's result and the
// reports of the error channel, and ends. Without it the window stays open.
#include <windows.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "outside/tree_text.h"
#include "runtime/picture.h"
#include "windows/demo/settings_window.h"
#include "windows/tree_control/real_input.h"

namespace {

// The window's client area as it shows on the screen, as a picture (the
// frame is the window manager's, which a virtual display may not have).
rt::Ref<rt::Picture> capture(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(window);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    GdiFlush();
    auto picture = rt::make<rt::Picture>(rt::PictureType::Bitmap, w, h);
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) picture->setPixel(x, y, pixels[y * w + x] & 0xFFFFFF);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(window, screen);
    return picture;
}

void settle(HWND window) {
    win_tree::pumpMessages();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    win_tree::pumpMessages();
}

int playAndSave(demo::SettingsWindow& window, const std::string& file, int pictureSet) {
    win_tree::ControlTreeView& view = window.treeView();
    settle(window.window());
    SendMessageW(window.tree(), TVM_SELECTITEM, TVGN_CARET, 0);
    window.querySection();  // no section is selected: the manager reports
    for (const char* key : {"CBbold", "OBright", "CBbackup", "OBrich"}) win_tree::clickNode(view, view.Nodes()->Item(key));
    // Ctrl+A: the tree is open, so the manager opens every section (again).
    win_tree::pressKey(window.tree(), 'A', 2);
    win_tree::releaseKey(window.tree(), 'A', 2);
    window.querySection();
    if (pictureSet != 0) {
        window.usePictureSet(pictureSet);
        // The tree was built anew: show the item clicked last as selected again.
        view.Nodes()->Item("OBrich")->setSelected(rt::True16);
    }
    window.showReports();
    settle(window.window());
    Sleep(200);
    settle(window.window());
    auto shot = capture(window.window());
    try {
        rt::savePng(*shot, file);
    } catch (const rt::Error& e) {
        std::fprintf(stderr, "cannot write %s: %s\n", file.c_str(), e.what());
        return 1;
    }
    std::printf("Screenshot of the window (%d x %d): %s\n\n-- the tree (key \"text\" [image key]), picture set \"%s\"\n%s\n"
                "-- query result\n%s\n\n-- reports of the error channel\n%s",
                shot->width(), shot->height(), file.c_str(), window.pictureSetName().c_str(),
                tree::treeAsText(view).c_str(), window.queryResult().c_str(), window.reportsText().c_str());
    return 0;
}

int usage() {
    std::fprintf(stderr, "usage: sarn_demo [--screenshot FILE] [--picture-set 0-3]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string screenshot;
    int pictureSet = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--screenshot" && i + 1 < argc) {
            screenshot = argv[++i];
        } else if (a == "--picture-set" && i + 1 < argc) {
            const std::string n = argv[++i];
            if (n.size() != 1 || n[0] < '0' || n[0] > '3') {
                std::fprintf(stderr, "the picture set is a number from 0 to 3\n");
                return 2;
            }
            pictureSet = n[0] - '0';
        } else {
            return usage();
        }
    }
    if (FAILED(OleInitialize(nullptr))) {
        std::fprintf(stderr, "cannot start the platform's automation\n");
        return 1;
    }
    int status = 0;
    try {
        demo::SettingsWindow window;
        ShowWindow(window.window(), SW_SHOW);
        UpdateWindow(window.window());
        if (!screenshot.empty()) {
            status = playAndSave(window, screenshot, pictureSet);
        } else {
            if (pictureSet != 0) window.usePictureSet(pictureSet);
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
                if (IsDialogMessageW(window.window(), &msg)) continue;
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "sarn_demo: %s (are sarn10b.dll and sarn_outside.dll registered?)\n", e.what());
        status = 1;
    }
    OleUninitialize();
    return status;
}
