#pragma once
// Adding with the texts given as texts: a view's own path must check, place
// and keep exactly what Add with the same texts as variants does, which is
// what every other view gets by default. The cases run on any tree view that
// has checkInvariants.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outside/tests/memory_tree_fixture.h"

namespace add_texts_cases {

using outside_tests::errorNumberOf;
using outside_tests::imageListWith;

struct TextAdd {
    std::string relative;
    int32_t relationship;
    std::string key;
    std::string text;
    std::string image;
};

// Add with the texts as the default of addTexts hands them on.
inline rt::Ref<tree::TreeNode> addAsVariants(tree::TreeNodes& nodes, const TextAdd& a) {
    return nodes.Add(a.relative.empty() ? rt::Variant(rt::Missing{}) : rt::Variant(a.relative),
                     rt::Variant(a.relationship), rt::Variant(a.key), rt::Variant(a.text), rt::Variant(a.image));
}

// A view with a section, a second root and a child, and a list of two keys
// unless withoutList.
template <class View>
struct TextAddTree {
    explicit TextAddTree(bool withList) {
        if (withList) view->SetImageList(imageListWith({"chkoff", "chkon"}));
        nodes->Add(rt::Missing{}, rt::Missing{}, "Section", "Section", rt::Missing{});
        nodes->Add(rt::Missing{}, rt::Missing{}, "Other", "Other", rt::Missing{});
        nodes->Add("Section", tree::tvwChild, "First", "First", rt::Missing{});
    }
    // What a caller sees of the tree: its shape and every node's text,
    // image and parent.
    std::string seen() {
        std::string out = tree_tests::treeShape(*nodes);
        for (int32_t i = 1; i <= nodes->Count(); ++i) {
            auto n = nodes->Item(i);
            const rt::Variant image = n->Image();
            auto parent = n->Parent();
            out += " | " + n->Key() + ":" + n->Text() + ":" + (image.isString() ? rt::toText(image) : "-") + ":" +
                   (parent ? parent->Key() : "-");
        }
        return out;
    }
    rt::Ref<View> view = rt::make<View>();
    rt::Ref<tree::TreeNodes> nodes = view->Nodes();
};

inline const std::string Long = "an item text long enough that no string keeps it in place";

// Runs every case on two views of one kind, one added to by addTexts and one
// by Add with variants, and expects the same failures, nodes and tree.
template <class View>
void expectAddTextsAsAddWithVariants() {
    struct Case {
        const char* name;
        std::vector<TextAdd> adds;  // in order; each may fail
        bool withList = true;
    };
    const Case cases[] = {
        {"a root without relative", {{"", tree::tvwChild, "a", "A", "chkoff"}}},
        {"first", {{"First", tree::tvwFirst, "a", "A", ""}}},
        {"last", {{"First", tree::tvwLast, "a", "A", ""}}},
        {"next", {{"Section", tree::tvwNext, "a", "A", ""}}},
        {"previous", {{"First", tree::tvwPrevious, "a", "A", ""}}},
        {"child", {{"Section", tree::tvwChild, "a", "A", "chkon"}}},
        {"a relative in another case", {{"SECTION", tree::tvwChild, "a", "A", ""}}},
        {"a relative that no node bears", {{"Nowhere", tree::tvwChild, "a", "A", ""}}},
        {"a relationship past the last", {{"Section", 5, "a", "A", ""}}},
        {"a relationship below the first", {{"Section", -1, "a", "A", ""}}},
        {"a bad relationship without relative", {{"", 99, "a", "A", ""}}},
        {"a key that a node bears", {{"Section", tree::tvwChild, "FIRST", "A", ""}}},
        {"nodes without key", {{"Section", tree::tvwChild, "", "A", ""}, {"Section", tree::tvwChild, "", "B", ""}}},
        {"an image key in another case", {{"Section", tree::tvwChild, "a", "A", "CHKOFF"}}},
        {"an image key that the list lacks", {{"Section", tree::tvwChild, "a", "A", "nope"}}},
        {"an image key without a list", {{"Section", tree::tvwChild, "a", "A", "chkoff"}}, false},
        {"no image without a list", {{"Section", tree::tvwChild, "a", "A", ""}}, false},
        // The checks go relative, relationship, key, image.
        {"an unknown relative and a taken key", {{"Nowhere", tree::tvwChild, "First", "A", "nope"}}},
        {"a bad relationship and a taken key", {{"Section", 7, "First", "A", "nope"}}},
        {"a taken key and an unknown image", {{"Section", tree::tvwChild, "First", "A", "nope"}}},
        {"long texts", {{"Section", tree::tvwChild, Long + " key", Long, "chkoff"}}},
        // The relative found last must not stand for another one.
        {"relatives in turn",
         {{"Section", tree::tvwChild, "a", "A", ""},
          {"Other", tree::tvwChild, "b", "B", ""},
          {"Section", tree::tvwChild, "c", "C", ""},
          {"section", tree::tvwChild, "d", "D", ""},
          {"a", tree::tvwChild, "e", "E", ""}}},
        // A key refused once is refused again; one that failed for another
        // reason may come later.
        {"a key after a failed add",
         {{"Nowhere", tree::tvwChild, "a", "A", ""}, {"Section", tree::tvwChild, "a", "A", ""},
          {"Section", tree::tvwChild, "A", "A", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextAddTree<View> byVariants(c.withList), byTexts(c.withList);
        for (const TextAdd& a : c.adds) {
            rt::Ref<tree::TreeNode> expected, got;
            const int32_t expectedError = errorNumberOf([&] { expected = addAsVariants(*byVariants.nodes, a); });
            const int32_t error = errorNumberOf(
                [&] { got = byTexts.nodes->addTexts(a.relative, a.relationship, a.key, a.text, a.image); });
            EXPECT_EQ(error, expectedError);
            EXPECT_EQ(got.isNothing(), expected.isNothing());
            if (got) {
                EXPECT_TRUE(rt::sameObject(got, byTexts.nodes->Item(byTexts.nodes->Count())));
            }
            byTexts.view->checkInvariants();
        }
        EXPECT_EQ(byTexts.seen(), byVariants.seen());
    }
}

}  // namespace add_texts_cases
