// Adding nodes, finding them, and the nodes' own properties.

#include <gtest/gtest.h>

#include <string>

#include "outside/tests/memory_tree_fixture.h"
#include "runtime/collection.h"

namespace {

using outside_tests::errorNumberOf;
using outside_tests::imageListWith;
using outside_tests::MemoryTreeTest;

// Roots A, B, C; B holds B1, B2, B3. Positions: A 1, B 2, C 3, B1 4, B2 5, B3 6.
class MemoryTreeAddTest : public MemoryTreeTest {
protected:
    void SetUp() override {
        root("A");
        root("B");
        root("C");
        child("B", "B1");
        child("B", "B2");
        child("B", "B3");
        ASSERT_EQ(shape(), "A B[B1 B2 B3] C");
    }
};

TEST_F(MemoryTreeAddTest, PlacesTheNodeAsItsRelationshipSays) {
    struct Case {
        const char* name;
        rt::Variant relative;
        rt::Variant relationship;
        const char* shape;
    };
    const Case cases[] = {
        {"no relative: last root, relationship ignored", rt::Missing{}, int32_t{tree::tvwChild},
         "A B[B1 B2 B3] C N"},
        {"Empty relative counts as none", rt::Empty{}, int32_t{tree::tvwFirst}, "A B[B1 B2 B3] C N"},
        {"no relative, invalid relationship ignored", rt::Missing{}, int32_t{9}, "A B[B1 B2 B3] C N"},
        {"first sibling", "B2", int32_t{tree::tvwFirst}, "A B[N B1 B2 B3] C"},
        {"last sibling", "B2", int32_t{tree::tvwLast}, "A B[B1 B2 B3 N] C"},
        {"next", "B2", int32_t{tree::tvwNext}, "A B[B1 B2 N B3] C"},
        {"next after the last sibling", "B3", int32_t{tree::tvwNext}, "A B[B1 B2 B3 N] C"},
        {"previous", "B2", int32_t{tree::tvwPrevious}, "A B[B1 N B2 B3] C"},
        {"previous before the first sibling", "B1", int32_t{tree::tvwPrevious}, "A B[N B1 B2 B3] C"},
        {"child of a leaf", "B2", int32_t{tree::tvwChild}, "A B[B1 B2[N] B3] C"},
        {"last child", "B", int32_t{tree::tvwChild}, "A B[B1 B2 B3 N] C"},
        {"first among the roots", "C", int32_t{tree::tvwFirst}, "N A B[B1 B2 B3] C"},
        {"last among the roots", "A", int32_t{tree::tvwLast}, "A B[B1 B2 B3] C N"},
        {"before the first root", "A", int32_t{tree::tvwPrevious}, "N A B[B1 B2 B3] C"},
        {"between roots", "A", int32_t{tree::tvwNext}, "A N B[B1 B2 B3] C"},
        {"relationship left out: next", "B1", rt::Missing{}, "A B[B1 N B2 B3] C"},
        {"16-bit relationship", "B1", int16_t{tree::tvwChild}, "A B[B1[N] B2 B3] C"},
        {"relative in other case", "b2", int32_t{tree::tvwNext}, "A B[B1 B2 N B3] C"},
        {"relative by position", int32_t{5}, int32_t{tree::tvwPrevious}, "A B[B1 N B2 B3] C"},
        {"relative by 16-bit position", int16_t{2}, int32_t{tree::tvwChild}, "A B[B1 B2 B3 N] C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        nodes->Clear();
        check();
        SetUp();
        auto node = nodes->Add(c.relative, c.relationship, "N", "new", rt::Missing{});
        check();
        EXPECT_EQ(shape(), c.shape);
        // The new node is the last by position, whatever its place.
        EXPECT_EQ(nodes->Count(), 7);
        EXPECT_TRUE(rt::sameObject(nodes->Item(7), node));
        EXPECT_EQ(node->Text(), "new");
    }
}

TEST_F(MemoryTreeAddTest, LinksParentChildrenAndSiblings) {
    auto b = nodes->Item("B");
    EXPECT_EQ(b->Children(), 3);
    EXPECT_EQ(b->Child()->Key(), "B1");
    EXPECT_EQ(b->Child()->Next()->Key(), "B2");
    EXPECT_TRUE(rt::sameObject(nodes->Item("B3")->Parent(), b));
    EXPECT_TRUE(nodes->Item("B3")->Next().isNothing());
    EXPECT_TRUE(nodes->Item("A")->Child().isNothing());
    EXPECT_EQ(nodes->Item("A")->Children(), 0);
    EXPECT_TRUE(b->Parent().isNothing());
    EXPECT_EQ(nodes->Item("C")->Next(), nullptr);
}

TEST_F(MemoryTreeAddTest, ARelativeIsFoundAfreshOnceTheTreeWasCleared) {
    // Adds under B, as a run of items goes in, then B comes back first.
    child("B", "B4");
    nodes->Clear();
    root("B");
    root("Z");
    child("B", "N");
    check();
    EXPECT_EQ(shape(), "B[N] Z");
    // A relative that no node bears still fails after one that was found.
    EXPECT_EQ(errorNumberOf([&] { child("Q", "M"); }), 35601);
    child("b", "M");
    EXPECT_EQ(shape(), "B[N M] Z");
}

TEST_F(MemoryTreeAddTest, PositionsFollowTheOrderOfAdding) {
    add("A", tree::tvwPrevious, "P");  // placed first, numbered last
    const char* inOrder[] = {"A", "B", "C", "B1", "B2", "B3", "P"};
    for (int32_t i = 1; i <= 7; ++i) EXPECT_EQ(nodes->Item(i)->Key(), inOrder[i - 1]) << i;
    EXPECT_EQ(nodes->Item(int16_t{7})->Key(), "P");
    EXPECT_EQ(nodes->Item(2.0)->Key(), "B");
}

TEST_F(MemoryTreeAddTest, RefusedAddsLeaveTheTreeAsItWas) {
    struct Case {
        const char* name;
        rt::Variant relative;
        rt::Variant relationship;
        rt::Variant key;
        rt::Variant image;
        bool withImageList;
        int32_t error;
    };
    const Case cases[] = {
        {"unknown relative", "zz", int32_t{tree::tvwChild}, "N", rt::Missing{}, false, tree::errnum::ElementNotFound},
        {"empty relative text names no node", "", int32_t{tree::tvwChild}, "N", rt::Missing{}, false,
         tree::errnum::ElementNotFound},
        {"relative position 0", int32_t{0}, int32_t{tree::tvwChild}, "N", rt::Missing{}, false,
         tree::errnum::IndexOutOfBounds},
        {"relative position beyond Count", int32_t{7}, int32_t{tree::tvwChild}, "N", rt::Missing{}, false,
         tree::errnum::IndexOutOfBounds},
        {"negative relative position", int16_t{-1}, int32_t{tree::tvwChild}, "N", rt::Missing{}, false,
         tree::errnum::IndexOutOfBounds},
        {"relationship 5", "B", int32_t{5}, "N", rt::Missing{}, false, rt::errnum::InvalidCall},
        {"relationship -1", "B", int32_t{-1}, "N", rt::Missing{}, false, rt::errnum::InvalidCall},
        {"key taken", "B", int32_t{tree::tvwChild}, "B2", rt::Missing{}, false, tree::errnum::KeyNotUnique},
        {"key taken in other case", rt::Missing{}, rt::Missing{}, "b2", rt::Missing{}, false,
         tree::errnum::KeyNotUnique},
        {"image key without image list", "B", int32_t{tree::tvwChild}, "N", "chkon", false,
         tree::errnum::ImageListNotInitialized},
        {"image position without image list", "B", int32_t{tree::tvwChild}, "N", int32_t{1}, false,
         tree::errnum::ImageListNotInitialized},
        {"image key the list lacks", "B", int32_t{tree::tvwChild}, "N", "opton", true,
         tree::errnum::ElementNotFound},
        {"image position 0", "B", int32_t{tree::tvwChild}, "N", int32_t{0}, true, tree::errnum::IndexOutOfBounds},
        {"image position beyond the list", "B", int32_t{tree::tvwChild}, "N", int32_t{3}, true,
         tree::errnum::IndexOutOfBounds},
        {"image as an object", "B", int32_t{tree::tvwChild}, "N", rt::make<rt::Collection>(), true,
         rt::errnum::TypeMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view->SetImageList(c.withImageList ? imageListWith({"chkoff", "chkon"}) : nullptr);
        EXPECT_EQ(errorNumberOf([&] { nodes->Add(c.relative, c.relationship, c.key, "new", c.image); }), c.error);
        check();
        EXPECT_EQ(shape(), "A B[B1 B2 B3] C");
        EXPECT_EQ(nodes->Count(), 6);
        EXPECT_EQ(errorNumberOf([&] { nodes->Item("N"); }), tree::errnum::ElementNotFound);
    }
}

TEST_F(MemoryTreeTest, KeysAreFoundWithoutRegardToCaseBeyondAscii) {
    root("Äpfel");
    root("ΣΟΦΙΑ");
    root("Жук");
    EXPECT_EQ(nodes->Item("äPFEL")->Key(), "Äpfel");  // kept as given
    EXPECT_EQ(nodes->Item("σοφια")->Key(), "ΣΟΦΙΑ");
    EXPECT_EQ(nodes->Item("жУК")->Key(), "Жук");
    EXPECT_EQ(errorNumberOf([&] { root("äpfel"); }), tree::errnum::KeyNotUnique);
    EXPECT_EQ(nodes->Count(), 3);
}

TEST_F(MemoryTreeTest, NodesWithoutKeyMayBeManyAndAreNotFoundByKey) {
    nodes->Add(rt::Missing{}, rt::Missing{}, "", "first", rt::Missing{});
    nodes->Add(rt::Missing{}, rt::Missing{}, rt::Missing{}, "second", rt::Missing{});
    nodes->Add(rt::Missing{}, rt::Missing{}, rt::Empty{}, rt::Missing{}, rt::Missing{});
    check();
    EXPECT_EQ(shape(), "first second ");
    EXPECT_EQ(nodes->Item(3)->Text(), "");
    EXPECT_EQ(nodes->Item(2)->Key(), "");
    EXPECT_EQ(errorNumberOf([&] { nodes->Item(""); }), tree::errnum::ElementNotFound);
    EXPECT_EQ(errorNumberOf([&] { view->clickNode(""); }), tree::errnum::ElementNotFound);
}

TEST_F(MemoryTreeTest, ItemFailsForUnknownKeyOrPosition) {
    root("a");
    root("b");
    struct Case {
        const char* name;
        rt::Variant index;
        int32_t error;
    };
    const Case cases[] = {
        {"unknown key", "zz", tree::errnum::ElementNotFound},
        {"position 0", int32_t{0}, tree::errnum::IndexOutOfBounds},
        {"position Count + 1", int16_t{3}, tree::errnum::IndexOutOfBounds},
        {"negative position", int32_t{-1}, tree::errnum::IndexOutOfBounds},
        {"Empty reads as position 0", rt::Empty{}, tree::errnum::IndexOutOfBounds},
        {"an object", rt::make<rt::Collection>(), rt::errnum::TypeMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorNumberOf([&] { nodes->Item(c.index); }), c.error);
    }
}

TEST_F(MemoryTreeTest, EveryRequestForANodeGivesTheSameObject) {
    auto a = root("a");
    auto b = child("a", "b");
    EXPECT_TRUE(rt::sameObject(nodes->Item("a"), nodes->Item("A")));
    EXPECT_TRUE(rt::sameObject(nodes->Item("a"), a));
    EXPECT_TRUE(rt::sameObject(nodes->Item(1), a));
    EXPECT_TRUE(rt::sameObject(a->Child(), b));
    EXPECT_TRUE(rt::sameObject(b->Parent(), a));
    // Also after every reference was dropped: callers may remember addresses.
    const tree::TreeNode* address = b.get();
    b = nullptr;
    EXPECT_EQ(nodes->Item("b").get(), address);
}

TEST_F(MemoryTreeTest, NodePropertiesKeepWhatIsStored) {
    auto a = root("a");
    EXPECT_EQ(a->Text(), "text of a");
    a->setText("Fonts");
    EXPECT_EQ(a->Text(), "Fonts");

    check();

    EXPECT_TRUE(a->Tag().isEmpty());
    a->setTag("note");
    check();
    EXPECT_EQ(a->Tag(), rt::Variant("note"));
    auto other = rt::make<rt::Collection>();
    a->setTag(other);
    check();
    EXPECT_EQ(a->Tag(), rt::Variant(other));
    a->setTag(rt::Empty{});
    check();
    EXPECT_TRUE(a->Tag().isEmpty());

    EXPECT_EQ(a->Expanded(), 0);
    for (int16_t value : {int16_t{1}, rt::True16, int16_t{-7}, rt::False16}) {
        a->setExpanded(value);
        check();
        EXPECT_EQ(a->Expanded(), value);
    }
}

TEST_F(MemoryTreeTest, OneNodeAtATimeIsSelected) {
    auto a = root("a");
    auto b = root("b");
    EXPECT_TRUE(view->selectedNode().isNothing());
    a->setSelected(rt::True16);
    check();
    EXPECT_EQ(a->Selected(), rt::True16);
    EXPECT_TRUE(rt::sameObject(view->selectedNode(), a));

    b->setSelected(1);  // any non-zero value selects
    check();
    EXPECT_EQ(a->Selected(), rt::False16);
    EXPECT_EQ(b->Selected(), rt::True16);
    EXPECT_TRUE(rt::sameObject(view->selectedNode(), b));

    a->setSelected(0);  // deselecting a node that is not selected changes nothing
    check();
    EXPECT_TRUE(rt::sameObject(view->selectedNode(), b));
    b->setSelected(0);
    check();
    EXPECT_TRUE(view->selectedNode().isNothing());
}

class MemoryTreeImageTest : public MemoryTreeTest {
protected:
    void SetUp() override {
        view->SetImageList(imageListWith({"chkoff", "chkon"}));
        node = root("a");
        node->setImage("chkoff");
        check();
    }
    rt::Ref<tree::TreeNode> node;
};

TEST_F(MemoryTreeImageTest, ImagesFollowTheRulesOfTheImageList) {
    struct Case {
        const char* name;
        rt::Variant image;
        bool withImageList;
        int32_t error;
        rt::Variant stored;  // when accepted
    };
    const Case cases[] = {
        {"a key of the list", "chkon", true, 0, "chkon"},
        {"a key in other case, kept as given", "CHKON", true, 0, "CHKON"},
        {"a position in the list", int32_t{2}, true, 0, int32_t{2}},
        {"a 16-bit position", int16_t{1}, true, 0, int32_t{1}},
        {"the empty text clears", "", true, 0, rt::Empty{}},
        {"Empty clears", rt::Empty{}, true, 0, rt::Empty{}},
        {"the empty text clears without a list", "", false, 0, rt::Empty{}},
        {"a key the list lacks", "opton", true, tree::errnum::ElementNotFound, {}},
        {"position 0", int32_t{0}, true, tree::errnum::IndexOutOfBounds, {}},
        {"position beyond the list", int32_t{3}, true, tree::errnum::IndexOutOfBounds, {}},
        {"a key without image list", "chkon", false, tree::errnum::ImageListNotInitialized, {}},
        {"a position without image list", int32_t{1}, false, tree::errnum::ImageListNotInitialized, {}},
        {"an object", rt::make<rt::Collection>(), true, rt::errnum::TypeMismatch, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view->SetImageList(imageListWith({"chkoff", "chkon"}));
        node->setImage("chkoff");
        if (!c.withImageList) view->SetImageList(nullptr);
        EXPECT_EQ(errorNumberOf([&] { node->setImage(c.image); }), c.error);
        check();
        const rt::Variant now = c.error ? rt::Variant("chkoff") : c.stored;
        EXPECT_EQ(node->Image(), now);
        // The copy-free comparison agrees with reading the image.
        for (const char* key : {"chkon", "CHKOFF", "chkoff", "chk", "", "2"}) {
            SCOPED_TRACE(key);
            EXPECT_EQ(node->imageKeyIs(key), now.isString() && rt::textEquals(rt::toText(now), key));
        }
    }
}

TEST_F(MemoryTreeImageTest, AddTakesTheSameImagesAsSetImage) {
    EXPECT_EQ(add(rt::Missing{}, rt::Missing{}, "b", "Chkon")->Image(), rt::Variant("Chkon"));
    EXPECT_EQ(add(rt::Missing{}, rt::Missing{}, "c", int32_t{2})->Image(), rt::Variant(int32_t{2}));
    EXPECT_TRUE(add(rt::Missing{}, rt::Missing{}, "d", "")->Image().isEmpty());
    EXPECT_TRUE(add(rt::Missing{}, rt::Missing{}, "e")->Image().isEmpty());
}

TEST_F(MemoryTreeImageTest, NodesKeepTheirImageKeysWithoutAList) {
    auto list = view->GetImageList();
    view->SetImageList(nullptr);
    check();
    EXPECT_TRUE(view->GetImageList().isNothing());
    EXPECT_EQ(node->Image(), rt::Variant("chkoff"));
    view->SetImageList(list);
    EXPECT_TRUE(rt::sameObject(view->GetImageList(), list));
    EXPECT_EQ(node->Image(), rt::Variant("chkoff"));
}

TEST_F(MemoryTreeImageTest, KeysAreCheckedAgainstTheListAsItIsNow) {
    EXPECT_EQ(errorNumberOf([&] { node->setImage("opton"); }), tree::errnum::ElementNotFound);
    view->GetImageList()->ListImages()->Add(rt::Missing{}, "opton", outside_tests::newPicture());
    node->setImage("opton");
    check();
    EXPECT_EQ(node->Image(), rt::Variant("opton"));
}

}  // namespace
