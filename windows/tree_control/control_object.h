#pragma once
// The control tree view as an automation object with a connection point, so
// that a style manager binds to it through TreeViewObject as to any host's
// tree view: the control's members (Nodes, ImageList, LabelEdit, HitTest,
// ToolTipText, SelectedItem), its window (hWnd, Visible, Move), real input
// for scripts (ClickNode, PressKey, ReleaseKey, MovePointer post the mouse
// and key messages and handle them before they return), and the four events
// raised through the connection point.

#include <windows.h>

#include "runtime/dispatch.h"
#include "windows/platform/tree_event_source.h"
#include "windows/tree_control/control_tree_view.h"

namespace win_tree {

class ControlObject final : public rt::Object, public win::TreeEventSource {
public:
    // A control in a window of its own (hidden until Visible is set).
    ControlObject();
    // A control window that the host owns.
    explicit ControlObject(HWND existing);
    ~ControlObject() override;

    ControlTreeView& view() { return *view_; }
    HWND frame() const { return frame_; }
    void setVisible(bool visible);
    void move(int left, int top, int width, int height);

    const GUID& eventInterface() const override;
    ITypeInfo* classTypeInfo() const override;
    const rt::ClassInfo& classInfo() const override;

private:
    HWND frame_ = nullptr;  // the window of our own, if any
    rt::Ref<ControlTreeView> view_;
    int32_t cookie_ = 0;
};

// A new automation object for a control window that a C++ host owns (a new
// reference, the caller releases it): hand it to a style manager's
// TreeViewObject. The object's type information is the registered
// SarnControl library, or the one in the calling module's resources.
IDispatch* wrapTreeControl(HWND existing);

// Unregisters the class of the windows that hold a control of our own, for
// a module that is being unloaded (a module loaded again registers it anew,
// with its own window procedure).
void forgetFrameClass(HINSTANCE module);

}  // namespace win_tree
