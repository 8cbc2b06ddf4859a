#include "outside/memory_tree_store.h"

#include "outside/stored_node.h"

namespace tree {

void MemoryTreeView::Store::clear() {
    DroppedNodes old = takeAll();
    selected = NoNode;
    // `old` goes last, once the tree is consistent again.
}

void MemoryTreeView::Store::setSelected(int32_t index, int16_t value) {
    if (value != 0)
        selected = index;
    else if (selected == index)
        selected = NoNode;
}

bool MemoryTreeView::Store::isVisible(int32_t index) const {
    for (int32_t p = nodes[index].parent; p != NoNode; p = nodes[p].parent)
        if (expandedValues[static_cast<size_t>(p)] == 0) return false;
    return true;
}

int32_t MemoryTreeView::Store::rowOf(int32_t index) const {
    if (!isVisible(index)) return -1;
    int32_t found = -1;
    forEachRow([&](int32_t n, int32_t row) {
        if (n != index) return true;
        found = row;
        return false;
    });
    return found;
}

int32_t MemoryTreeView::Store::nodeInRow(int32_t row) const {
    if (row < 0 || row >= count()) return NoNode;
    int32_t found = NoNode;
    forEachRow([&](int32_t n, int32_t r) {
        if (r != row) return true;
        found = n;
        return false;
    });
    return found;
}

void MemoryTreeView::Store::checkInvariants() const {
    NodeStore::checkInvariants();
    if (selected != NoNode && (selected < 0 || selected >= count())) broken("the selection names no node");
}

}  // namespace tree
