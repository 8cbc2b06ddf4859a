#pragma once
// A tree view over the platform's own tree view control (comctl32's
// WC_TREEVIEW window): the style manager drives it exactly as it drives the
// in-memory tree view, with the same rules and failure numbers, while the
// window shows the nodes and raises the events.
//
// Nodes are the control's items. The view keeps its own record of every node
// (key, tag, image key, links) beside its item: keys are unique and looked up
// without regard to case, positions run 1 to Count in the order of adding,
// and Clear empties the tree, after which node objects taken before fail
// with 35605. The control shows, as an item's image, the picture of the
// view's image list under the node's image key: the view builds a real image
// list of the control (16 x 16, with masks) from the list's pictures and
// builds it again whenever the list's pictures change.
//
// Events come from the window: a left click on an item (the control's
// NM_CLICK notification) raises NodeClick, key presses and releases raise
// KeyDown and KeyUp with the platform's virtual-key codes and the shift mask
// (1 Shift, 2 Ctrl, 4 Alt), and pointer moves raise MouseMove with the
// button mask and the control's client pixels, the coordinates that HitTest
// takes.

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "outside/tree_model.h"

namespace win_tree {

class ControlTreeView : public tree::TreeView {
public:
    // Makes a tree view window of its own, a child of `parent` at `area`,
    // with lines, buttons and label editing. The window goes with the view.
    ControlTreeView(HWND parent, const RECT& area);
    // Wraps a tree view window that the host owns and keeps. Items already
    // in it become nodes without key, in their order. When the host destroys
    // the window, every operation fails with 35605.
    explicit ControlTreeView(HWND existing);
    ~ControlTreeView() override;

    // The window, or nullptr once it is gone.
    HWND window() const;

    rt::Ref<tree::TreeNodes> Nodes() override;
    rt::Ref<tree::ImageList> GetImageList() override;
    void SetImageList(const rt::Ref<tree::ImageList>& list) override;
    // 0 lets the user edit an item's text (TVS_EDITLABELS); any other mode
    // leaves editing to the host.
    int32_t LabelEdit() override;
    void setLabelEdit(int32_t mode) override;
    // x and y in the control's client pixels, as MouseMove gives them; a
    // point anywhere in an item's row finds the item.
    rt::Ref<tree::TreeNode> HitTest(float x, float y) override;
    // The text of the control's tool tip.
    std::string ToolTipText() override;
    void setToolTipText(const std::string& text) override;
    int32_t advise(tree::TreeViewEvents* listener) override;
    void unadvise(int32_t cookie) override;

    // An image list of another module, reached through automation: the view
    // reads its keys and pictures by name and reads them again when they
    // change. `source` is what the view's owner hands back as the list.
    void setForeignImageList(const rt::ObjectRef& source);
    rt::ObjectRef imageListSource() const;

    // The item that shows a node of this view, or nullptr; the node of an
    // item, or nothing.
    HTREEITEM itemOf(const rt::Ref<tree::TreeNode>& node) const;
    rt::Ref<tree::TreeNode> nodeOf(HTREEITEM item) const;
    // The rectangle of a node's row in client pixels (the item scrolled into
    // view first); false when the node is no current node of this view.
    bool itemRect(const rt::Ref<tree::TreeNode>& node, RECT& rect, bool labelOnly = true);
    // The control's image index of a node (0 for no picture), for checks.
    int imageIndexOf(const rt::Ref<tree::TreeNode>& node) const;
    // The control's own image list.
    HIMAGELIST controlImages() const;

    // Checks the links, counts, key index and that the control's items stand
    // in the same tree order; throws std::logic_error naming the first
    // broken one.
    void checkInvariants() const;

    struct Store;  // the node data, shared with the node objects and hooks

private:
    std::shared_ptr<Store> store_;
    rt::Ref<tree::TreeNodes> nodes_;  // one collection object, made on first request
};

}  // namespace win_tree
