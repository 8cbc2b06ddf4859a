#include "outside/tree_text.h"

#include <unordered_set>

namespace tree {
namespace {

void writeNode(TreeNode& node, int depth, std::string& out) {
    out.append(static_cast<size_t>(depth) * 2, ' ');
    out += node.Key() + " \"" + node.Text() + "\" [" + imageText(node.Image()) + "]\n";
    for (auto child = node.Child(); child; child = child->Next()) writeNode(*child, depth + 1, out);
}

}  // namespace

std::string imageText(const rt::Variant& image) {
    if (image.isEmpty()) return "";
    if (image.isString()) return rt::toText(image);
    std::string position = "#";
    return position += rt::toText(image);
}

std::string treeAsText(TreeView& treeView) {
    // The model offers no first root, so find the root that no other root
    // names as its next sibling.
    auto nodes = treeView.Nodes();
    const int32_t count = nodes->Count();
    std::vector<rt::Ref<TreeNode>> roots;
    std::unordered_set<const TreeNode*> followers;
    for (int32_t i = 1; i <= count; ++i) {
        auto node = nodes->Item(rt::Variant(i));
        if (node->Parent()) continue;
        roots.push_back(node);
        if (auto next = node->Next()) followers.insert(next.get());
    }
    std::string out;
    for (const auto& root : roots)
        if (!followers.count(root.get()))
            for (auto node = root; node; node = node->Next()) writeNode(*node, 0, out);
    return out;
}

}  // namespace tree
