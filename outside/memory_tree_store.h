#pragma once
// The data of one in-memory tree view: the node data, the selection, the rows
// that the visible nodes stand in, and the view's own properties and
// listeners.

#include <cstdint>
#include <memory>
#include <string>

#include "outside/memory_tree.h"
#include "outside/node_store.h"
#include "outside/tree_events.h"

namespace tree {

struct MemoryTreeView::Store final : NodeStore {
    int32_t selected = NoNode;
    int32_t labelEdit = 0;
    std::string toolTipText;
    bool offersToolTipText = true;
    EventSource events;

    Store() { addsQuietly_ = true; }
    ~Store() override { orphanObjects(); }
    int32_t addTexts(std::string_view relative, int32_t relationship, std::string_view key, std::string_view text,
                     std::string_view image) override {
        return addTextsInPlace(relative, relationship, key, text, image);
    }
    void clear() override;
    bool isSelected(int32_t index) const override { return selected == index; }
    bool opensQuietly(int32_t) const override { return true; }
    bool changesInPlace() const noexcept override { return true; }
    void setSelected(int32_t index, int16_t selected) override;

    bool isVisible(int32_t index) const;
    // The 0-based row of a visible node, or -1.
    int32_t rowOf(int32_t index) const;
    // The node shown in a row, or NoNode.
    int32_t nodeInRow(int32_t row) const;

    void checkInvariants() const override;

private:
    // Calls visit(index, row) for each visible node in tree order until it
    // returns false.
    template <class Visit>
    void forEachRow(Visit visit) const {
        int32_t n = firstRoot;
        for (int32_t row = 0; n != NoNode; ++row) {
            if (!visit(n, row)) return;
            const NodeRecord& d = nodes[n];
            if (expandedValues[static_cast<size_t>(n)] != 0 && d.firstChild != NoNode) {
                n = d.firstChild;
                continue;
            }
            while (n != NoNode && nodes[n].next == NoNode) n = nodes[n].parent;
            if (n != NoNode) n = nodes[n].next;
        }
    }
};

}  // namespace tree
