#pragma once
// The data of one in-memory tree view. The view owns it; the node and nodes
// objects that callers hold only watch it (weak references), so they can
// tell when the tree was cleared or is gone, and no object keeps another
// alive in a circle.
//
// Nodes live in one vector in the order of adding, so a node's index is its
// position - 1. Siblings form a doubly linked list through indices, and each
// node keeps its first and last child and a child count, which makes every
// add, walk step and count O(1).
//
// Sources that create or destroy the data include memory_tree_node.h as well,
// which completes the node object type.

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "outside/memory_tree.h"

namespace tree {

class MemoryTreeNode;

inline constexpr int32_t NoNode = -1;

struct NodeData {
    std::string key;  // as given; empty for a node without key
    std::string text;
    rt::Variant tag;
    rt::Variant image;  // Empty, an image key or a list position
    int32_t parent = NoNode;
    int32_t previous = NoNode;
    int32_t next = NoNode;
    int32_t firstChild = NoNode;
    int32_t lastChild = NoNode;
    int32_t children = 0;
    int16_t expanded = 0;
    // The object handed out for this node, made on first request and kept
    // with the node, so that every request gets the very same object. It
    // watches the data only weakly: no circle.
    rt::Ref<MemoryTreeNode> object;
};

struct MemoryTreeView::Store : std::enable_shared_from_this<MemoryTreeView::Store> {
    std::vector<NodeData> nodes;                      // index = position - 1
    std::unordered_map<std::string, int32_t> byKey;  // folded key -> index
    int32_t firstRoot = NoNode;
    int32_t lastRoot = NoNode;
    int32_t roots = 0;
    int32_t selected = NoNode;
    // Grows with every Clear: node objects of an older generation are dead.
    uint64_t generation = 0;

    rt::Ref<ImageList> imageList;
    int32_t labelEdit = 0;
    std::string toolTipText;
    bool offersToolTipText = true;
    EventSource events;

    int32_t count() const noexcept { return static_cast<int32_t>(nodes.size()); }

    // A node by key (text) or 1-based position (number): 35601, 35600, or
    // the conversion's own error for other kinds.
    int32_t indexOf(const rt::Variant& keyOrPosition) const;
    // The node bearing a key, or NoNode (the empty key is borne by none).
    int32_t findKey(const std::string& key) const;
    // An image as a node stores it, after the checks against the image list.
    rt::Variant checkedImage(const rt::Variant& image) const;

    // Checks every argument first, then adds and links the node.
    int32_t add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                const rt::Variant& text, const rt::Variant& image);
    void clear();

    // The one object that stands for a node.
    rt::Ref<TreeNode> objectFor(int32_t index);
    rt::Ref<TreeNode> objectOrNothing(int32_t index) { return index == NoNode ? nullptr : objectFor(index); }

    bool isVisible(int32_t index) const;
    // The 0-based row of a visible node, or -1.
    int32_t rowOf(int32_t index) const;
    // The node shown in a row, or NoNode.
    int32_t nodeInRow(int32_t row) const;

    void checkInvariants() const;

private:
    // Puts a new node into its parent's child list (the roots for NoNode),
    // right before `before`, or last for NoNode.
    void link(int32_t index, int32_t parent, int32_t before);

    // Calls visit(index, row) for each visible node in tree order until it
    // returns false.
    template <class Visit>
    void forEachRow(Visit visit) const {
        int32_t n = firstRoot;
        for (int32_t row = 0; n != NoNode; ++row) {
            if (!visit(n, row)) return;
            const NodeData& d = nodes[n];
            if (d.expanded != 0 && d.firstChild != NoNode) {
                n = d.firstChild;
                continue;
            }
            while (n != NoNode && nodes[n].next == NoNode) n = nodes[n].parent;
            if (n != NoNode) n = nodes[n].next;
        }
    }
};

}  // namespace tree
