#pragma once
// A style manager bound to an in-memory tree view, with a recording error
// handler and message box: a test builds a tree, does one thing, and compares
// what changed and what was reported.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "manager/hidden_form.h"
#include "manager/style_manager.h"
#include "outside/memory_tree.h"
#include "outside/tree_text.h"
#include "testing/recording_handler.h"

namespace Sarn10B::test {

using testing_support::Report;
using testing_support::reportsAt;

class ManagerTest : public testing_support::ChannelTest {
protected:
    ManagerTest() {
        frmKwAmbrTvsA::drop();  // every test starts with a fresh hidden form
        manager->setTreeViewObject(tv);
    }
    ~ManagerTest() override { frmKwAmbrTvsA::drop(); }

    // A section node at the root, with the blank picture.
    void addSection(const std::string& key, const std::string& text = "Section") {
        manager->AddNode({.sKey = key, .sText = text, .enumTVSNodeStyle = TVSNodeStyle_Default});
    }
    // An item under a section, with a state style (1 to 4).
    void addItem(const std::string& section, const std::string& key, int32_t style,
                 const std::string& text = "Item") {
        manager->AddNode({.sRelative = section, .sRelationship = tree::tvwChild, .sKey = key, .sText = text,
                          .enumTVSNodeStyle = style});
    }
    // A section with items given as (key, style) pairs; reports cleared.
    void addSectionWith(const std::string& section, std::vector<std::pair<std::string, int32_t>> items) {
        addSection(section);
        for (const auto& [key, style] : items) addItem(section, key, style);
        handler.clear();
    }

    rt::Ref<tree::TreeNode> node(const std::string& key) { return tv->Nodes()->Item(rt::Variant(key)); }
    std::string imageOf(const std::string& key) { return tree::imageText(node(key)->Image()); }
    // The image keys of a section's items, in sibling order.
    std::vector<std::string> imagesUnder(const std::string& section) {
        std::vector<std::string> out;
        for (auto item = node(section)->Child(); item; item = item->Next())
            out.push_back(tree::imageText(item->Image()));
        return out;
    }
    // Sets an image key directly on the tree view, bypassing the manager.
    void setImage(const std::string& key, const rt::Variant& image) { node(key)->setImage(image); }

    rt::Ref<tree::MemoryTreeView> tv = rt::make<tree::MemoryTreeView>();
    rt::Ref<clsKwAmbrTvsA> manager = rt::make<clsKwAmbrTvsA>();
};

using Strings = std::vector<std::string>;

inline rt::Ref<rt::Picture> somePicture() { return rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16); }

// An image list holding pictures under exactly the given keys.
inline rt::Ref<tree::ImageList> listWith(const Strings& keys) {
    auto list = rt::make<tree::ImageList>("partial");
    for (const auto& key : keys) list->ListImages()->Add(rt::Missing{}, key, somePicture());
    return list;
}

}  // namespace Sarn10B::test
