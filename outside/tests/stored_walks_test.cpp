// Runs of siblings on stored nodes whose view does more at each change than
// store it (as the widget views do): every change still goes through the
// view, one call per item in sibling order, and a run stops where the view
// failed or ran code that changed the tree.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "outside/node_store.h"
#include "outside/stored_node.h"
#include "outside/tests/error_number.h"

namespace {

using outside_tests::errorNumberOf;

// A view's data that records every change of image and may fail one or run
// code after one.
struct RecordingStore final : tree::NodeStore {
    std::vector<int32_t> changed;  // node indices, in the order of the calls
    int32_t failAt = tree::NoNode;
    std::function<void(RecordingStore&, int32_t)> after;

    ~RecordingStore() override { orphanObjects(); }
    bool isSelected(int32_t) const override { return false; }
    void setSelected(int32_t, int16_t) override {}
    void setImage(int32_t index, const rt::Variant& image) override {
        changed.push_back(index);
        if (index == failAt) throw tree::errControlDeleted();
        NodeStore::setImage(index, image);
        if (after) after(*this, index);
    }
};

// A section (node 0) with five items (nodes 1 to 5), all "chkoff".
std::shared_ptr<RecordingStore> storeWithItems() {
    auto s = std::make_shared<RecordingStore>();
    auto list = rt::make<tree::ImageList>();
    for (const char* key : {"chkoff", "chkon"})
        list->ListImages()->Add(rt::Missing{}, key, rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16));
    s->imageList = list;
    s->add(rt::Missing{}, rt::Missing{}, "S", "", rt::Missing{});
    for (int i = 1; i <= 5; ++i)
        s->add(rt::Variant("S"), tree::tvwChild, "CB" + std::to_string(i), "", rt::Variant("chkoff"));
    return s;
}

TEST(StoredWalks, ChangesGoThroughTheViewAndStopWhereItFailsOrChangesTheTree) {
    struct Row {
        std::string name;
        int32_t failAt;
        std::function<void(RecordingStore&, int32_t)> after;
        std::string stopKey;  // empty: no key ends the run
        std::vector<int32_t> changed;
        int32_t passes;
        bool visited;
        int32_t thrown;  // 0: none
        std::string standsAt;  // "": nothing
    };
    const std::vector<Row> rows = {
        {"every item", tree::NoNode, nullptr, "", {1, 2, 3, 4, 5}, 5, false, 0, ""},
        {"a key ends it", tree::NoNode, nullptr, "cb4", {1, 2, 3}, 3, false, 0, "CB4"},
        {"the view fails at the third", 3, nullptr, "", {1, 2, 3}, 2, true, tree::errnum::ControlDeleted, "CB3"},
        {"the view clears the tree at the second", tree::NoNode,
         [](RecordingStore& s, int32_t index) {
             if (index == 2) s.clear();
         },
         "", {1, 2}, 1, true, 0, "CB2"},
        {"the view adds a node at the second", tree::NoNode,
         [](RecordingStore& s, int32_t index) {
             if (index == 2) s.add(rt::Variant("CB2"), tree::tvwNext, "CBnew", "", rt::Missing{});
         },
         "", {1, 2}, 1, true, 0, "CB2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto s = storeWithItems();
        s->failAt = row.failAt;
        s->after = row.after;
        const rt::Variant on("chkon");
        tree::SiblingPass pass;
        pass.stopAtKey = !row.stopKey.empty();
        pass.stopKey = row.stopKey;
        pass.image = tree::SiblingPass::Image::Set;
        pass.set = &on;
        rt::Ref<tree::TreeNode> current = s->objectFor(1);
        tree::SiblingRun run;
        const int32_t thrown = errorNumberOf([&] { current->runSiblings(pass, 5, current, run); });
        EXPECT_EQ(thrown, row.thrown);
        EXPECT_EQ(s->changed, row.changed);
        EXPECT_EQ(run.passes, row.passes);
        EXPECT_EQ(run.visited, row.visited);
        if (row.standsAt.empty()) {
            EXPECT_FALSE(current);
        } else {
            ASSERT_TRUE(current);
            // The node object stays valid even after the tree was cleared.
            EXPECT_EQ(current.get(), s->nodes.empty() ? current.get() : s->objectFor(s->findKey(row.standsAt)).get());
        }
    }
}

// A view's data that lets walks store images in place and hears of the nodes
// whose images changed, as runs of neighbouring siblings; nodes without
// children open by their value alone.
struct TellingStore final : tree::NodeStore {
    std::vector<std::pair<int32_t, int32_t>> told;
    int32_t setImages = 0;

    ~TellingStore() override { orphanObjects(); }
    bool isSelected(int32_t) const override { return false; }
    void setSelected(int32_t, int16_t) override {}
    InPlace imagesInPlace() const noexcept override { return InPlace::Told; }
    void imagesStored(int32_t first, int32_t last) noexcept override { told.emplace_back(first, last); }
    bool childlessOpenInPlace() const noexcept override { return true; }
    void setImage(int32_t index, const rt::Variant& image) override {
        ++setImages;
        NodeStore::setImage(index, image);
    }
};

// A section (node 0) with CB1 (off), CB2 (on), CB3 (off), PL4 (off) and CB5
// (off), nodes 1 to 5.
std::shared_ptr<TellingStore> mixedSection() {
    auto s = std::make_shared<TellingStore>();
    auto list = rt::make<tree::ImageList>();
    for (const char* key : {"chkoff", "chkon"})
        list->ListImages()->Add(rt::Missing{}, key, rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16));
    s->imageList = list;
    s->add(rt::Missing{}, rt::Missing{}, "S", "", rt::Missing{});
    for (const char* key : {"CB1", "CB2", "CB3", "PL4", "CB5"})
        s->add(rt::Variant("S"), tree::tvwChild, key, "", rt::Variant(key == std::string("CB2") ? "chkon" : "chkoff"));
    return s;
}

TEST(StoredWalks, AViewThatHearsOfImagesStoredInPlaceHearsExactlyTheChangedNodesInOrder) {
    using Runs = std::vector<std::pair<int32_t, int32_t>>;
    struct Row {
        std::string name;
        tree::SiblingPass::Image image;
        const char* set;  // Set: the image; Toggle: the image for an item off
        const char* other;  // Toggle: the image for an item on
        const char* prefix;  // nullptr: every item
        const char* stopKey;  // nullptr: none
        Runs told;
        int32_t passes;
        std::string standsAt;  // "": nothing
        std::vector<std::string> images;  // of nodes 1 to 5 afterwards
    };
    using I = tree::SiblingPass::Image;
    const std::vector<Row> rows = {
        {"set all: the item already on is no change", I::Set, "chkon", nullptr, nullptr, nullptr,
         {{1, 1}, {3, 5}}, 5, "", {"chkon", "chkon", "chkon", "chkon", "chkon"}},
        {"set by prefix: the other item is passed", I::Set, "chkon", nullptr, "CB", nullptr,
         {{1, 1}, {3, 3}, {5, 5}}, 5, "", {"chkon", "chkon", "chkon", "chkoff", "chkon"}},
        {"set to the same image: nothing changes", I::Set, "chkoff", nullptr, nullptr, nullptr,
         {{2, 2}}, 5, "", {"chkoff", "chkoff", "chkoff", "chkoff", "chkoff"}},
        {"a key ends the run", I::Set, "chkon", nullptr, nullptr, "cb3", {{1, 1}}, 2, "CB3",
         {"chkon", "chkon", "chkoff", "chkoff", "chkoff"}},
        {"invert: every item changes", I::Toggle, "chkon", "chkoff", nullptr, nullptr, {{1, 5}}, 5, "",
         {"chkon", "chkoff", "chkon", "chkon", "chkon"}},
        {"a key the list lacks: nothing is stored, the walk makes the step", I::Set, "gone", nullptr, nullptr,
         nullptr, {}, 0, "CB1", {"chkoff", "chkon", "chkoff", "chkoff", "chkoff"}},
        {"invert meets an image the list lacks at the second item", I::Toggle, "chkon", "gone", nullptr, nullptr,
         {{1, 1}}, 1, "CB2", {"chkon", "chkon", "chkoff", "chkoff", "chkoff"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto s = mixedSection();
        const rt::Variant set(row.set);
        const rt::Variant other(row.other ? row.other : "");
        tree::SiblingPass pass;
        pass.image = row.image;
        pass.stopAtKey = row.stopKey != nullptr;
        pass.stopKey = row.stopKey ? row.stopKey : "";
        pass.onlyPrefix = row.prefix != nullptr;
        pass.prefix = row.prefix ? row.prefix : "";
        pass.set = &set;
        // An item off ("chkoff", the second key) gets the first image.
        pass.firstKey = "chkon";
        pass.secondKey = "chkoff";
        pass.firstImage = &set;
        pass.secondImage = &other;
        rt::Ref<tree::TreeNode> current = s->objectFor(1);
        tree::SiblingRun run;
        current->runSiblings(pass, 5, current, run);
        EXPECT_EQ(s->told, row.told);
        EXPECT_EQ(s->setImages, 0) << "nothing goes through setImage";
        EXPECT_EQ(run.passes, row.passes);
        EXPECT_FALSE(run.visited);
        if (row.standsAt.empty())
            EXPECT_FALSE(current);
        else
            EXPECT_EQ(current.get(), s->objectFor(s->findKey(row.standsAt)).get());
        std::vector<std::string> images;
        for (int32_t i = 1; i <= 5; ++i) images.push_back(rt::toText(s->image(i)));
        EXPECT_EQ(images, row.images);
    }
}

// Opening nodes that a view opens with outside code is left to the caller.
TEST(StoredWalks, OpenStatesRunOnlyOverQuietNodes) {
    auto s = storeWithItems();
    auto nodes = rt::make<tree::StoredNodes>(s);
    int32_t done = 0;
    nodes->expandRun(1, 6, rt::True16, done);
    EXPECT_EQ(done, 0) << "a view's data opens no node quietly by default";
}

// Nodes without children open in place; the first with children is left to
// the caller.
TEST(StoredWalks, OpenStatesOfNodesWithoutChildrenGoInPlace) {
    auto s = mixedSection();
    auto nodes = rt::make<tree::StoredNodes>(s);
    int32_t done = 0;
    nodes->expandRun(1, 6, rt::True16, done);
    EXPECT_EQ(done, 0) << "the section has children";
    nodes->expandRun(2, 5, rt::True16, done);
    EXPECT_EQ(done, 5);
    for (int32_t i = 1; i <= 5; ++i) EXPECT_EQ(s->expanded(i), rt::True16) << i;
    EXPECT_EQ(s->expanded(0), 0);
}

}  // namespace
