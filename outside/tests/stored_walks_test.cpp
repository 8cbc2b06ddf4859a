// Runs of siblings on stored nodes whose view does more at each change than
// store it (as the widget views do): every change still goes through the
// view, one call per item in sibling order, and a run stops where the view
// failed or ran code that changed the tree.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
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

// Opening nodes that a view opens with outside code is left to the caller.
TEST(StoredWalks, OpenStatesRunOnlyOverQuietNodes) {
    auto s = storeWithItems();
    auto nodes = rt::make<tree::StoredNodes>(s);
    int32_t done = 0;
    nodes->expandRun(1, 6, rt::True16, done);
    EXPECT_EQ(done, 0) << "a view's data opens no node quietly by default";
}

}  // namespace
