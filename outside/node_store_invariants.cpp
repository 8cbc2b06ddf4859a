#include <stdexcept>
#include <string>

#include "outside/node_store.h"
#include "outside/stored_node.h"
#include "runtime/text.h"

namespace tree {

void NodeStore::broken(const std::string& what) { throw std::logic_error("tree invariant broken: " + what); }

std::string NodeStore::nodeName(int32_t index) { return "node at position " + std::to_string(index + 1); }

std::string NodeStore::ownerName(int32_t owner) {
    return owner == NoNode ? "the root list" : "the children of " + nodeName(owner);
}

void NodeStore::checkInvariants() const {
    const int32_t n = count();

    // Each sibling list: linked both ways, every member naming the owner as
    // parent, ending at the recorded last node, as long as the recorded count.
    // Together the lists must hold every node once.
    const auto checkList = [&](int32_t owner, int32_t first, int32_t last, int32_t expected) {
        int32_t walked = 0;
        int32_t previous = NoNode;
        for (int32_t c = first; c != NoNode; c = nodes[c].next) {
            if (c < 0 || c >= n) broken(ownerName(owner) + " links to index " + std::to_string(c));
            if (++walked > n) broken(ownerName(owner) + " runs in a circle");
            if (nodes[c].parent != owner) broken(nodeName(c) + " is listed under " + ownerName(owner) + " but names another parent");
            if (nodes[c].previous != previous) broken(nodeName(c) + " has a wrong previous sibling link");
            previous = c;
        }
        if (previous != last) broken(ownerName(owner) + " ends at another node than its recorded last one");
        if (walked != expected)
            broken(ownerName(owner) + " holds " + std::to_string(walked) + " nodes but counts " + std::to_string(expected));
        return walked;
    };

    if (expandedValues.size() != nodes.size()) broken("the open states are not kept for every node");
    int64_t listed = checkList(NoNode, firstRoot, lastRoot, roots);
    size_t keyed = 0;
    for (int32_t i = 0; i < n; ++i) {
        const NodeRecord& d = nodes[i];
        // A parent is always added before its children.
        if (d.parent != NoNode && (d.parent < 0 || d.parent >= i))
            broken(nodeName(i) + " names a parent added after it");
        listed += checkList(i, d.firstChild, d.lastChild, d.children);
        if (!d.key.empty()) {
            ++keyed;
            if (findKey(d.key) != i) broken("the key index does not find " + nodeName(i) + " by its key");
        }
        if (d.object && static_cast<const StoredNode&>(*d.object).indexIn(*this) != i) broken("the object of " + nodeName(i) + " stands for another node");
        if (d.image < 0 && static_cast<size_t>(~d.image) >= imageKeys.size()) broken(nodeName(i) + " names no image key");
        if (d.tag < 0 || static_cast<size_t>(d.tag) >= tags.size()) broken(nodeName(i) + " names no tag slot");
    }
    if (listed != n) broken("the sibling lists hold " + std::to_string(listed) + " of " + std::to_string(n) + " nodes");
    if (keyed != byKey.size()) broken("the key index holds keys that no node bears");
}

}  // namespace tree
