#pragma once
// A small in-memory tree for the tests, with helpers that add nodes (checking
// the tree's invariants after each add) and draw the tree's shape as text.

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "outside/memory_tree.h"
#include "outside/tests/error_number.h"
#include "outside/tests/tree_shape.h"

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

    // "A B[B1 B2] C": keys in sibling order, children in brackets.
    std::string shape() { return tree_tests::treeShape(*nodes); }

    rt::Ref<tree::MemoryTreeView> view = rt::make<tree::MemoryTreeView>();
    rt::Ref<tree::TreeNodes> nodes = view->Nodes();
};

}  // namespace outside_tests
