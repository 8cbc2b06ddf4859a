#pragma once
// The demo's window: an editor's settings dialog whose tree of check boxes
// and option buttons is a tree view control of the window's own, wrapped as
// an automation object and driven by a style manager of sarn10b.dll,
// created by its programmatic identifier and called through its automation
// surface only. Beside the tree: the choice of picture set and buttons for
// the manager's bulk operations and queries; below it: every report of the
// error channel.

#include <windows.h>

#include <string>

#include "runtime/dispatch.h"
#include "windows/tree_control/control_object.h"

namespace demo {

class SettingsWindow {
public:
    SettingsWindow();
    ~SettingsWindow();
    SettingsWindow(const SettingsWindow&) = delete;
    SettingsWindow& operator=(const SettingsWindow&) = delete;

    HWND window() const { return window_; }
    HWND tree() const { return tree_; }
    win_tree::ControlTreeView& treeView() { return control_->view(); }

    // What the window's controls do, for its own handlers and the session.
    void usePictureSet(int set);
    void selectAll(bool invert);
    void querySection();
    void expandAll(bool open);
    void followPointer(bool on);
    void tagAsToolTip(bool on);
    // Shows what the error channel received so far.
    void showReports();

    std::string queryResult() const { return queryResult_; }
    std::string reportsText() const;
    std::string pictureSetName() const;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void buildControls();
    // Adds every section and item through the manager; styles and open
    // sections as saved, or as a new dialog has them.
    void addSettings(const std::vector<int32_t>& styles = {}, const std::vector<bool>& open = {});
    // The key of the section of the selected item, or "" when none is.
    std::string selectedSection();
    void setQueryResult(const std::string& text);

    HWND window_ = nullptr;
    HWND tree_ = nullptr;
    HWND pictureSets_ = nullptr;
    HWND result_ = nullptr;
    HWND reports_ = nullptr;
    HFONT font_ = nullptr;
    rt::Ref<win_tree::ControlObject> control_;
    rt::ObjectRef manager_;
    rt::ObjectRef errorHandler_;
    std::string queryResult_;
    int pictureSet_ = 0;
};

}  // namespace demo
