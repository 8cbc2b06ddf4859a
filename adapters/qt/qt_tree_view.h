#pragma once
// A tree view over a Qt QTreeWidget: the style manager drives it exactly as
// it drives the in-memory tree view, with the same rules and failure numbers,
// while the widget shows the nodes and raises the events.
//
// Nodes are the widget's items. The view keeps its own record of every node
// (key, tag, image key, links) beside its item: keys are unique and looked up
// without regard to case, positions run 1 to Count in the order of adding,
// and Clear empties the tree, after which node objects taken before fail
// with 35605. A node shows, as its icon, the picture of the view's image list
// under its image key.
//
// Events come from the widget: a left click on an item raises NodeClick, key
// presses and releases raise KeyDown and KeyUp with the control's key codes,
// and pointer moves over the viewport raise MouseMove in viewport pixels,
// the coordinates that HitTest takes. Space on the current item clicks it
// too: NodeClick follows the key's KeyUp, as a push button clicks when its
// key comes up, and a key held down clicks nothing until it comes up.
//
// Assistive technology hears what each node is from its key prefix and
// image key: a "CB" node showing "chkon" or "chkoff" is a check box, an "OB"
// node showing "opton" or "optoff" a radio button, checked or not, and a new
// image key is told as a change of state.
//
// Items that the host puts into the widget itself are no nodes: clicks on
// them raise nothing and HitTest does not find them.

#include <memory>

#include "adapters/qt/qt_view_base.h"

QT_BEGIN_NAMESPACE
class QTreeWidget;
class QTreeWidgetItem;
QT_END_NAMESPACE

namespace qt_tree {

class QtTreeView : public ViewBase {
public:
    // Makes a widget of its own, without parent. When the view goes it
    // deletes that widget, unless a window of the host has taken it in.
    QtTreeView();
    // Wraps a widget that the host owns and keeps. Items already in it become
    // nodes without key, in their order. The widget gets uniform row
    // heights, 16 pixel icons and no sorting; it stays the host's, and when
    // the host deletes it, every operation fails with 35605.
    explicit QtTreeView(QTreeWidget* widget);
    ~QtTreeView() override;

    // The widget, or nothing once it is gone.
    QTreeWidget* widget() const;

    // The item that shows a node of this view, or nothing.
    QTreeWidgetItem* itemOf(const rt::Ref<tree::TreeNode>& node) const;
    // The node that an item shows, or nothing for an item that is no node of
    // this view.
    rt::Ref<tree::TreeNode> nodeOf(const QTreeWidgetItem* item) const;

    // Checks the links, counts, key index and that the widget's items stand
    // in the same tree order; throws std::logic_error naming the first
    // broken one.
    void checkInvariants() const;

    struct Store;  // the node data, shared with the node objects and items

private:
    QtTreeView(std::shared_ptr<Store> store, QTreeWidget* widget, bool ownsWidget);

    std::shared_ptr<Store> store_;
};

}  // namespace qt_tree
