#pragma once
// Draws a tree view's nodes as text, for tests of any tree view:
// "A B[B1 B2] C" lists keys in sibling order with children in brackets; a
// node without key shows its text.

#include <string>
#include <unordered_set>
#include <vector>

#include "outside/tree_model.h"

namespace tree_tests {

inline std::string siblingShape(rt::Ref<tree::TreeNode> first) {
    std::string out;
    for (auto n = first; n; n = n->Next()) {
        if (!out.empty()) out += ' ';
        out += n->Key().empty() ? n->Text() : n->Key();
        if (auto c = n->Child()) out += "[" + siblingShape(c) + "]";
    }
    return out;
}

// Found through the nodes collection and the links alone, so that it shows
// what a caller sees, not how the view keeps it.
inline std::string treeShape(tree::TreeNodes& nodes) {
    std::vector<rt::Ref<tree::TreeNode>> roots;
    std::unordered_set<const tree::TreeNode*> followers;
    for (int32_t i = 1; i <= nodes.Count(); ++i) {
        auto node = nodes.Item(i);
        if (node->Parent()) continue;
        roots.push_back(node);
        if (auto next = node->Next()) followers.insert(next.get());
    }
    for (const auto& r : roots)
        if (!followers.count(r.get())) return siblingShape(r);
    return "";
}

}  // namespace tree_tests
