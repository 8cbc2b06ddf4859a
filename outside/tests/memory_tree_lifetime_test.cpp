// Clear, and node objects that outlive their nodes or their tree view.

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "outside/tests/memory_tree_fixture.h"
#include "outside/tests/node_operations.h"

namespace {

using outside_tests::errorNumberOf;
using outside_tests::imageListWith;
using outside_tests::MemoryTreeTest;
using tree_tests::nodeOperations;

void expectDead(tree::TreeNode& node) {
    for (const auto& op : nodeOperations) {
        SCOPED_TRACE(op.name);
        EXPECT_EQ(errorNumberOf([&] { op.call(node); }), tree::errnum::ControlDeleted);
    }
}

class MemoryTreeClearTest : public MemoryTreeTest {
protected:
    void SetUp() override {
        view->SetImageList(imageListWith({"chkoff"}));
        a = root("a");
        b = child("a", "b");
        b->setSelected(rt::True16);
        nodes->Clear();
        view->checkInvariants();
    }
    rt::Ref<tree::TreeNode> a, b;
};

TEST_F(MemoryTreeClearTest, EmptiesTheTreeAndDropsTheSelection) {
    EXPECT_EQ(nodes->Count(), 0);
    EXPECT_TRUE(view->selectedNode().isNothing());
    EXPECT_EQ(errorNumberOf([&] { nodes->Item("a"); }), tree::errnum::ElementNotFound);
    EXPECT_EQ(errorNumberOf([&] { nodes->Item(1); }), tree::errnum::IndexOutOfBounds);
    EXPECT_TRUE(view->HitTest(1, 1).isNothing());
    // The image list is the view's, not the nodes'.
    EXPECT_FALSE(view->GetImageList().isNothing());
}

TEST_F(MemoryTreeClearTest, NodesTakenBeforeFailWithControlDeleted) {
    expectDead(*a);
    expectDead(*b);
}

TEST_F(MemoryTreeClearTest, NodesTakenBeforeStayDeadWhenNewNodesTakeTheirPlaces) {
    auto again = root("a");  // the same key and position as before
    child("a", "b");
    EXPECT_FALSE(rt::sameObject(again, a));
    EXPECT_TRUE(rt::sameObject(nodes->Item(1), again));
    expectDead(*a);
    expectDead(*b);
}

TEST_F(MemoryTreeClearTest, TheNodesCollectionTakenBeforeStillWorks) {
    root("c");
    EXPECT_EQ(nodes->Count(), 1);
    EXPECT_EQ(view->Nodes()->Item("c")->Key(), "c");
}

TEST(MemoryTreeLifetime, NodesThatOutliveTheirTreeViewFailWithControlDeleted) {
    auto view = rt::make<tree::MemoryTreeView>();
    auto nodes = view->Nodes();
    auto a = nodes->Add(rt::Missing{}, rt::Missing{}, "a", "A", rt::Missing{});
    auto b = nodes->Add("a", tree::tvwChild, "b", "B", rt::Missing{});
    view->checkInvariants();
    view = nullptr;
    expectDead(*a);
    expectDead(*b);
    EXPECT_EQ(errorNumberOf([&] { nodes->Count(); }), tree::errnum::ControlDeleted);
    EXPECT_EQ(errorNumberOf([&] { nodes->Item("a"); }), tree::errnum::ControlDeleted);
    EXPECT_EQ(errorNumberOf([&] { nodes->Add(rt::Missing{}, rt::Missing{}, "c", "C", rt::Missing{}); }),
              tree::errnum::ControlDeleted);
    EXPECT_EQ(errorNumberOf([&] { nodes->Clear(); }), tree::errnum::ControlDeleted);
}

// A tag may hold the last reference to the view itself; letting go of it in
// the middle of a call must not pull the tree away under that call.
TEST(MemoryTreeLifetime, ATagThatHoldsTheLastReferenceToItsViewMayLetGo) {
    auto view = rt::make<tree::MemoryTreeView>();
    auto nodes = view->Nodes();
    auto a = nodes->Add(rt::Missing{}, rt::Missing{}, "a", "A", rt::Missing{});
    a->setTag(view);
    view->checkInvariants();
    view = nullptr;  // now only the tag keeps the view
    EXPECT_EQ(nodes->Count(), 1);
    a->setTag(rt::Empty{});  // releases the view during the call
    expectDead(*a);
}

TEST(MemoryTreeLifetime, ClearMayReleaseTheLastReferenceToItsView) {
    auto view = rt::make<tree::MemoryTreeView>();
    auto nodes = view->Nodes();
    auto a = nodes->Add(rt::Missing{}, rt::Missing{}, "a", "A", rt::Missing{});
    a->setTag(view);
    view->checkInvariants();
    view = nullptr;
    nodes->Clear();  // releases the tag and with it the view
    EXPECT_EQ(errorNumberOf([&] { nodes->Count(); }), tree::errnum::ControlDeleted);
    expectDead(*a);
}

TEST(MemoryTreeLifetime, NodesMayHoldEachOtherInTheirTags) {
    auto view = rt::make<tree::MemoryTreeView>();
    auto nodes = view->Nodes();
    auto a = nodes->Add(rt::Missing{}, rt::Missing{}, "a", "A", rt::Missing{});
    auto b = nodes->Add(rt::Missing{}, rt::Missing{}, "b", "B", rt::Missing{});
    a->setTag(b);
    b->setTag(a);
    view->checkInvariants();
    // Leaks would show under the leak checker when the view goes.
}

// Node objects share blocks that their store allocates; a block goes with
// the last object in it, whichever outlives the other.
class NodeObjectLifetimeTest : public ::testing::Test {
protected:
    // Adds n nodes and takes every object, so that they fill several blocks.
    std::vector<rt::Ref<tree::TreeNode>> addNodes(int32_t n, const std::string& prefix) {
        std::vector<rt::Ref<tree::TreeNode>> taken;
        for (int32_t i = 0; i < n; ++i)
            taken.push_back(nodes->Add(rt::Missing{}, rt::Missing{}, prefix + std::to_string(i), "T", rt::Missing{}));
        return taken;
    }
    rt::Ref<tree::MemoryTreeView> view = rt::make<tree::MemoryTreeView>();
    rt::Ref<tree::TreeNodes> nodes = view->Nodes();
};

TEST_F(NodeObjectLifetimeTest, ObjectsOutliveTheirViewAndGoInAnyOrder) {
    struct Case {
        const char* name;
        bool (*kept)(size_t i);
        bool reversed;
    };
    const Case cases[] = {
        {"every object, last first", [](size_t) { return true; }, true},
        {"every seventh, first first", [](size_t i) { return i % 7 == 0; }, false},
        {"the first and the last", [](size_t i) { return i == 0 || i == 999; }, false},
        {"none", [](size_t) { return false; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto v = rt::make<tree::MemoryTreeView>();
        auto n = v->Nodes();
        std::vector<rt::Ref<tree::TreeNode>> kept;
        for (size_t i = 0; i < 1000; ++i) {
            auto node = n->Add(rt::Missing{}, rt::Missing{}, "k" + std::to_string(i), "T", rt::Missing{});
            if (c.kept(i)) kept.push_back(node);
        }
        v = nullptr;
        n = nullptr;
        for (auto& node : kept) expectDead(*node);
        if (c.reversed)
            while (!kept.empty()) kept.pop_back();
        else
            kept.clear();
    }
}

TEST_F(NodeObjectLifetimeTest, ObjectsOfClearedNodesGoWhileNewNodesTakeRoom) {
    auto old = addNodes(500, "old");
    nodes->Clear();
    auto fresh = addNodes(500, "new");
    old.clear();
    for (size_t i = 0; i < fresh.size(); ++i) EXPECT_EQ(fresh[i]->Key(), "new" + std::to_string(i));
    view->checkInvariants();
}

TEST_F(NodeObjectLifetimeTest, ObjectsMayGoOnAnotherThreadWhileTheViewAddsNodes) {
    auto old = addNodes(2000, "old");
    nodes->Clear();
    // The other thread lets go of the last references to the old objects
    // while this one takes room from the same blocks for new ones.
    std::thread letGo([taken = std::move(old)]() mutable {
        while (!taken.empty()) taken.pop_back();
    });
    auto fresh = addNodes(2000, "new");
    letGo.join();
    view = nullptr;
    std::thread letGoNew([taken = std::move(fresh)]() mutable { taken.clear(); });
    letGoNew.join();
}

}  // namespace
