#pragma once
// What assistive technology (a screen reader, an inspection tool) sees of a
// control tree view: the control answers WM_GETOBJECT for its client area
// with an accessible object of its own, an outline whose children are the
// control's items, in tree order, by child id.
//
// An item is a check button when its image key begins with "chk", an
// option button when it begins with "opt" (without regard to case), else an
// outline item; "chkon" and "opton" are checked. An item tells whether it
// is open or closed (when it has children), hidden in a closed section,
// scrolled away, selected and focused; its value is its level (0 for the
// roots) when it is an outline item, its description the node's tag. Its
// default action is a real click for a check or option button ("Check",
// "Uncheck"), so that a style manager hears it as the user's, and opening or
// closing for an outline item with children ("Expand", "Collapse").
//
// Once the window or the view is gone, every call on an object that a
// client still holds fails with RPC_E_DISCONNECTED; a call on another
// thread than the window's fails with RPC_E_WRONG_THREAD.

#include <windows.h>
#include <oleacc.h>

#include <memory>

#include "windows/tree_control/control_store.h"

namespace win_tree {

enum class ItemKind { OutlineItem, CheckButton, OptionButton };

struct ItemLook {
    ItemKind kind = ItemKind::OutlineItem;
    bool checked = false;
    bool operator==(const ItemLook&) const = default;
};

// What a node's image key makes of its item (NoNode: a plain outline item).
ItemLook itemLook(const ControlTreeView::Store& store, int32_t index);

// A new accessible object for the store's control (a new reference).
IAccessible* newControlAccessible(const std::shared_ptr<ControlTreeView::Store>& store);

}  // namespace win_tree
