// Large trees: built and walked through paths that must stay linear. These
// tests set no time limit; a quadratic path shows as a test that never ends.

#include <gtest/gtest.h>

#include <string>

#include "outside/memory_tree.h"

namespace {

TEST(MemoryTreeScale, HoldsTheMostChildrenAWalkCanReachUnderOneNode) {
    constexpr int32_t children = 32767;
    tree::MemoryTreeView view;
    auto nodes = view.Nodes();
    auto parent = nodes->Add(rt::Missing{}, rt::Missing{}, "P", "parent", rt::Missing{});
    for (int32_t i = 1; i <= children; ++i)
        nodes->Add("P", tree::tvwChild, "k" + std::to_string(i), "", rt::Missing{});
    view.checkInvariants();

    EXPECT_EQ(parent->Children(), children);
    int32_t walked = 0;
    std::string lastKey;
    for (auto n = parent->Child(); n; n = n->Next()) {
        ++walked;
        lastKey = n->Key();
    }
    EXPECT_EQ(walked, children);
    EXPECT_EQ(lastKey, "k32767");
    EXPECT_EQ(nodes->Item(children + 1)->Key(), "k32767");
    EXPECT_EQ(nodes->Item("K16384")->Text(), "");
}

TEST(MemoryTreeScale, BuildsAndClearsATreeOfAHundredThousandNodes) {
    constexpr int32_t total = 100000;
    tree::MemoryTreeView view;
    auto nodes = view.Nodes();
    nodes->Add(rt::Missing{}, rt::Missing{}, "n1", "", rt::Missing{});
    // Each node goes under or beside an earlier one, named by position, with
    // every relationship in turn; every third node has no key.
    for (int32_t i = 2; i <= total; ++i) {
        const int32_t relationship = i % 5;
        const std::string key = i % 3 == 0 ? "" : "n" + std::to_string(i);
        nodes->Add(i / 2, relationship, key, "", rt::Missing{});
    }
    view.checkInvariants();
    EXPECT_EQ(nodes->Count(), total);
    EXPECT_EQ(nodes->Item(total)->Key(), "n100000");
    EXPECT_EQ(nodes->Item("N99998")->Key(), "n99998");

    // Expanded everywhere, the last row is the deepest last node.
    for (int32_t i = 1; i <= total; ++i) nodes->Item(i)->setExpanded(rt::True16);
    EXPECT_FALSE(view.HitTest(0, (total - 1) * tree::MemoryTreeView::RowHeight).isNothing());
    EXPECT_TRUE(view.HitTest(0, total * tree::MemoryTreeView::RowHeight).isNothing());

    nodes->Clear();
    view.checkInvariants();
    EXPECT_EQ(nodes->Count(), 0);
}

}  // namespace
