#pragma once
// Members by name for the objects that a Python host meets besides the
// library's classes: the tree view, its nodes collection and its nodes.
// The C++ host calls these interfaces directly; a Python host reaches them
// through the same kind of member table as every public class.
//
//   tv = sarn10b.create("SarnTree.TreeView")   # the in-memory tree view
//   tv.ClickNode("CBbold")
//   tv.Nodes.Item("CBbold").Image               # "chkon"

#include <string_view>

#include "outside/memory_tree.h"
#include "runtime/dispatch.h"

namespace sarnpy {

// The programmatic identifier of the in-memory tree view.
inline constexpr std::string_view MemoryTreeViewProgId = "SarnTree.TreeView";

// The in-memory tree view with its members by name, and what a user does to
// it (ClickNode, PressKey, ReleaseKey, MovePointer).
class MemoryTreeViewObject final : public tree::MemoryTreeView {
public:
    const rt::ClassInfo& classInfo() const override;
};

// The members of any tree view, of a nodes collection and of a node.
const rt::ClassInfo& treeViewMembers();
const rt::ClassInfo& treeNodesMembers();
const rt::ClassInfo& treeNodeMembers();

// The table that calls by name on obj go through: its own, or for a tree
// interface without one, the table above. Never null; empty for an object
// without members.
const rt::ClassInfo& membersOf(const rt::Object& obj);

}  // namespace sarnpy
