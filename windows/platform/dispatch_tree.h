#pragma once
// A host's tree view reached through automation, as the tree model the
// manager works on: its nodes collection, nodes and image list called by
// name through its dispatch interface, and its events taken from its
// connection point, the four of them found by name in its type information.

namespace win {

// From now on, platform objects that offer the tree view's members (Nodes,
// HitTest) and a connection point enter the runtime as tree::TreeView.
void registerTreeViewAdapter();

}  // namespace win
