#pragma once
// A small in-memory tree for the tests, with helpers that add nodes (checking
// the tree's invariants after each add) and draw the tree's shape as text.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <unordered_set>
#include <vector>

#include "outside/memory_tree.h"
#include "outside/tests/error_number.h"

namespace outside_tests {

inline rt::Ref<rt::Picture> newPicture() { return rt::make<rt::Picture>(rt::PictureType::Bitmap, 2, 2); }

// An image list with one picture per key.
inline rt::Ref<tree::ImageList> imageListWith(std::initializer_list<const char*> keys) {
    auto list = rt::make<tree::ImageList>();
    for (const char* key : keys) list->ListImages()->Add(rt::Missing{}, key, newPicture());
    return list;
}

class MemoryTreeTest : public ::testing::Test {
protected:
    rt::Ref<tree::TreeNode> add(const rt::Variant& relative, const rt::Variant& relationship, const std::string& key,
                                const rt::Variant& image = rt::Missing{}) {
        auto node = nodes->Add(relative, relationship, key, "text of " + key, image);
        view->checkInvariants();
        return node;
    }
    void check() { view->checkInvariants(); }
    rt::Ref<tree::TreeNode> root(const std::string& key) { return add(rt::Missing{}, rt::Missing{}, key); }
    rt::Ref<tree::TreeNode> child(const std::string& parent, const std::string& key) {
        return add(parent, tree::tvwChild, key);
    }

    // "A B[B1 B2] C": keys in sibling order, children in brackets; a node
    // without key shows its text.
    std::string shape() {
        std::vector<rt::Ref<tree::TreeNode>> roots;
        std::unordered_set<const tree::TreeNode*> followers;
        for (int32_t i = 1; i <= nodes->Count(); ++i) {
            auto node = nodes->Item(i);
            if (node->Parent()) continue;
            roots.push_back(node);
            if (auto next = node->Next()) followers.insert(next.get());
        }
        for (const auto& r : roots)
            if (!followers.count(r.get())) return siblings(r);
        return "";
    }

    static std::string siblings(rt::Ref<tree::TreeNode> first) {
        std::string out;
        for (auto n = first; n; n = n->Next()) {
            if (!out.empty()) out += ' ';
            out += n->Key().empty() ? n->Text() : n->Key();
            if (auto c = n->Child()) out += "[" + siblings(c) + "]";
        }
        return out;
    }

    rt::Ref<tree::MemoryTreeView> view = rt::make<tree::MemoryTreeView>();
    rt::Ref<tree::TreeNodes> nodes = view->Nodes();
};

}  // namespace outside_tests
