// The tree model's rules, checked on the in-memory tree view and on the Qt
// tree view alike: every case expects the same shapes, values and failure
// numbers of both.
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "adapters/qt/tests/recording_listener.h"
#include "adapters/qt/tests/tree_subjects.h"
#include "outside/tests/node_operations.h"
#include "outside/tests/tree_shape.h"
#include "outside/tree_text.h"
#include "testing/error_number.h"

namespace qt_tests {
namespace {

using testing_support::errorNumberOf;

rt::Ref<rt::Picture> newPicture() { return rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16); }

rt::Ref<tree::ImageList> imageListWith(std::initializer_list<const char*> keys) {
    auto list = rt::make<tree::ImageList>();
    for (const char* key : keys) list->ListImages()->Add(rt::Missing{}, key, newPicture());
    return list;
}

template <class Subject>
class TreeViewContract : public ::testing::Test {
protected:
    tree::TreeView& tv() { return subject.tree(); }
    rt::Ref<tree::TreeNodes> nodes() { return tv().Nodes(); }
    rt::Ref<tree::TreeNode> node(const rt::Variant& keyOrPosition) { return nodes()->Item(keyOrPosition); }

    rt::Ref<tree::TreeNode> add(const rt::Variant& relative, const rt::Variant& relationship, const std::string& key,
                                const rt::Variant& image = rt::Missing{}) {
        auto added = nodes()->Add(relative, relationship, key, "text of " + key, image);
        subject.checkInvariants();
        return added;
    }
    rt::Ref<tree::TreeNode> root(const std::string& key) { return add(rt::Missing{}, rt::Missing{}, key); }
    rt::Ref<tree::TreeNode> child(const std::string& parent, const std::string& key) {
        return add(parent, tree::tvwChild, key);
    }
    // Roots A, B and C; B holds B1 and B2. All open.
    void addSampleTree() {
        root("A");
        root("B");
        child("B", "B1");
        child("B", "B2");
        root("C");
        node("B")->setExpanded(rt::True16);
    }

    // "A B[B1 B2] C": keys in sibling order, children in brackets.
    std::string shape() { return tree_tests::treeShape(*nodes()); }
    // Keys in the order of adding.
    std::string positions() {
        std::string out;
        for (int32_t i = 1; i <= nodes()->Count(); ++i) out += (i > 1 ? " " : "") + node(i)->Key();
        return out;
    }

    Subject subject;
};

struct SubjectNames {
    template <class T>
    static std::string GetName(int) {
        if constexpr (std::is_same_v<T, MemorySubject>) return "Memory";
        if constexpr (std::is_same_v<T, QtSubject>) return "Qt";
        return "QtModel";
    }
};

using Subjects = ::testing::Types<MemorySubject, QtSubject, QtModelSubject>;
TYPED_TEST_SUITE(TreeViewContract, Subjects, SubjectNames);

TYPED_TEST(TreeViewContract, AddPlacesTheNodeByRelativeAndRelationship) {
    struct Case {
        const char* name;
        rt::Variant relative;
        rt::Variant relationship;
        const char* shape;
    };
    const Case cases[] = {
        {"first among the roots", "B", tree::tvwFirst, "X A B[B1 B2] C"},
        {"last among the roots", "B", tree::tvwLast, "A B[B1 B2] C X"},
        {"next after a root", "B", tree::tvwNext, "A B[B1 B2] X C"},
        {"previous before a root", "B", tree::tvwPrevious, "A X B[B1 B2] C"},
        {"child of a root", "B", tree::tvwChild, "A B[B1 B2 X] C"},
        {"first among children", "B2", tree::tvwFirst, "A B[X B1 B2] C"},
        {"next after the last child", "B2", tree::tvwNext, "A B[B1 B2 X] C"},
        {"previous before the first child", "B1", tree::tvwPrevious, "A B[X B1 B2] C"},
        {"no relationship: after the relative", "B1", rt::Missing{}, "A B[B1 X B2] C"},
        {"no relative: last root", rt::Missing{}, tree::tvwChild, "A B[B1 B2] C X"},
        {"Empty relative: last root", rt::Variant(), tree::tvwFirst, "A B[B1 B2] C X"},
        {"relative by position", int32_t{2}, tree::tvwChild, "A B[B1 B2 X] C"},
        {"relative key in other case", "b", tree::tvwChild, "A B[B1 B2 X] C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        this->nodes()->Clear();
        this->addSampleTree();
        auto x = this->add(c.relative, c.relationship, "X");
        EXPECT_EQ(this->shape(), c.shape);
        EXPECT_EQ(this->positions(), "A B B1 B2 C X");
        EXPECT_EQ(this->nodes()->Count(), 6);
        EXPECT_TRUE(rt::sameObject(this->node(6), x));
    }
}

TYPED_TEST(TreeViewContract, AFailedAddChangesNothing) {
    struct Case {
        const char* name;
        rt::Variant relative;
        rt::Variant relationship;
        const char* key;
        rt::Variant image;
        bool withList;
        int32_t error;
    };
    const Case cases[] = {
        {"key taken", rt::Missing{}, rt::Missing{}, "B1", rt::Missing{}, false, 35602},
        {"key taken in other case", rt::Missing{}, rt::Missing{}, "b1", rt::Missing{}, false, 35602},
        {"key taken beyond ASCII", rt::Missing{}, rt::Missing{}, "äPFEL", rt::Missing{}, false, 35602},
        {"unknown relative", "Z", tree::tvwChild, "X", rt::Missing{}, false, 35601},
        {"empty relative key", "", tree::tvwChild, "X", rt::Missing{}, false, 35601},
        {"relative position 0", int32_t{0}, tree::tvwChild, "X", rt::Missing{}, false, 35600},
        {"relative position past the end", int32_t{99}, tree::tvwChild, "X", rt::Missing{}, false, 35600},
        {"relative that is an object", rt::Variant(newPicture()), tree::tvwChild, "X", rt::Missing{}, false, 13},
        {"relationship too large", "B", int32_t{5}, "X", rt::Missing{}, false, 5},
        {"relationship negative", "B", int32_t{-1}, "X", rt::Missing{}, false, 5},
        {"relationship no number", "B", "child", "X", rt::Missing{}, false, 13},
        {"unknown relative before a taken key", "Z", tree::tvwChild, "B1", rt::Missing{}, false, 35601},
        {"image key without list", rt::Missing{}, rt::Missing{}, "X", "on", false, 35613},
        {"image key not in the list", rt::Missing{}, rt::Missing{}, "X", "off", true, 35601},
        {"image position without list", rt::Missing{}, rt::Missing{}, "X", int32_t{1}, false, 35613},
        {"image position 0", rt::Missing{}, rt::Missing{}, "X", int32_t{0}, true, 35600},
        {"image position past the end", rt::Missing{}, rt::Missing{}, "X", int32_t{2}, true, 35600},
        {"image that is an object", rt::Missing{}, rt::Missing{}, "X", rt::Variant(newPicture()), true, 13},
    };
    this->addSampleTree();
    this->root("Äpfel");
    const std::string before = this->shape();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        this->tv().SetImageList(c.withList ? imageListWith({"on"}) : nullptr);
        EXPECT_EQ(errorNumberOf([&] { this->nodes()->Add(c.relative, c.relationship, c.key, "text", c.image); }),
                  c.error);
        EXPECT_EQ(this->shape(), before);
        EXPECT_EQ(this->nodes()->Count(), 6);
        this->subject.checkInvariants();
    }
}

TYPED_TEST(TreeViewContract, ItemFindsNodesByKeyAndPosition) {
    this->addSampleTree();
    auto b1 = this->node("B1");
    EXPECT_TRUE(rt::sameObject(this->node("b1"), b1));
    EXPECT_TRUE(rt::sameObject(this->node(int32_t{3}), b1));
    EXPECT_TRUE(rt::sameObject(this->node(int16_t{3}), b1));
    EXPECT_TRUE(rt::sameObject(this->node("B")->Child(), b1));
    EXPECT_TRUE(rt::sameObject(b1->Parent(), this->node("B")));
    EXPECT_TRUE(rt::sameObject(b1->Next(), this->node("B2")));
    EXPECT_EQ(this->node("B")->Children(), 2);
    EXPECT_EQ(this->node("A")->Children(), 0);
    EXPECT_FALSE(this->node("A")->Parent());
    EXPECT_FALSE(this->node("C")->Next());

    struct Case {
        const char* name;
        rt::Variant what;
        int32_t error;
    };
    const Case cases[] = {
        {"unknown key", "Z", 35601},
        {"empty key", "", 35601},
        {"position 0", int32_t{0}, 35600},
        {"position past the end", int32_t{6}, 35600},
        {"an object", rt::Variant(newPicture()), 13},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorNumberOf([&] { this->node(c.what); }), c.error);
    }
}

TYPED_TEST(TreeViewContract, ImageKeysFollowTheImageList) {
    struct Case {
        const char* name;
        rt::Variant image;
        bool withList;
        int32_t error;
        rt::Variant stored;  // what Image() gives afterwards
    };
    const Case cases[] = {
        {"a key of the list", "chkon", true, 0, "chkon"},
        {"a key in other case, kept as given", "CHKON", true, 0, "CHKON"},
        {"the empty text clears", "", true, 0, rt::Variant()},
        {"Empty clears", rt::Variant(), true, 0, rt::Variant()},
        {"Missing clears", rt::Missing{}, true, 0, rt::Variant()},
        {"a position", int32_t{2}, true, 0, int32_t{2}},
        {"a 16-bit position", int16_t{1}, true, 0, int32_t{1}},
        {"a key the list lacks", "opton", true, 35601, "chkoff"},
        {"a key without list", "chkon", false, 35613, "chkoff"},
        {"a position without list", int32_t{1}, false, 35613, "chkoff"},
        {"a position past the end", int32_t{3}, true, 35600, "chkoff"},
        {"an object", rt::Variant(newPicture()), true, 13, "chkoff"},
    };
    auto list = imageListWith({"chkoff", "chkon"});
    this->tv().SetImageList(list);
    auto a = this->add(rt::Missing{}, rt::Missing{}, "A", "chkoff");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        this->tv().SetImageList(list);
        a->setImage("chkoff");
        if (!c.withList) this->tv().SetImageList(nullptr);
        EXPECT_EQ(errorNumberOf([&] { a->setImage(c.image); }), c.error);
        EXPECT_EQ(a->Image(), c.stored);
    }
}

TYPED_TEST(TreeViewContract, AnotherImageListKeepsTheImageKeys) {
    auto first = imageListWith({"chkoff", "chkon"});
    this->tv().SetImageList(first);
    auto a = this->add(rt::Missing{}, rt::Missing{}, "A", "chkon");
    auto second = imageListWith({"optoff"});
    this->tv().SetImageList(second);
    EXPECT_TRUE(rt::sameObject(this->tv().GetImageList(), second));
    EXPECT_EQ(a->Image(), rt::Variant("chkon"));
    EXPECT_EQ(errorNumberOf([&] { a->setImage("chkoff"); }), 35601);
    this->tv().SetImageList(nullptr);
    EXPECT_FALSE(this->tv().GetImageList());
    EXPECT_EQ(a->Image(), rt::Variant("chkon"));
}

TYPED_TEST(TreeViewContract, ClearLeavesNoNodeAndKillsTheOldOnes) {
    this->addSampleTree();
    auto old = this->node("B1");
    this->nodes()->Clear();
    EXPECT_EQ(this->nodes()->Count(), 0);
    EXPECT_EQ(errorNumberOf([&] { this->node("B1"); }), 35601);

    for (const auto& operation : tree_tests::nodeOperations) {
        SCOPED_TRACE(operation.name);
        EXPECT_EQ(errorNumberOf([&] { operation.call(*old); }), 35605);
    }
    // The keys are free again, and the new nodes are new objects.
    auto again = this->root("B1");
    EXPECT_FALSE(rt::sameObject(again, old));
    EXPECT_EQ(this->positions(), "B1");
}

TYPED_TEST(TreeViewContract, TextsTagsAndExpansionKeepWhatWasGiven) {
    this->addSampleTree();
    auto a = this->node("A");
    for (const std::string& text : std::vector<std::string>{"", "Grüße, Ωμέγα", "not UTF-8: \xff\xfe"}) {
        SCOPED_TRACE(text);
        a->setText(text);
        EXPECT_EQ(a->Text(), text);
    }
    EXPECT_EQ(this->node("B1")->Text(), "text of B1");
    for (const rt::Variant& tag : {rt::Variant(), rt::Variant("tag"), rt::Variant(int32_t{7}), rt::Variant(newPicture())}) {
        SCOPED_TRACE(rt::describe(tag));
        a->setTag(tag);
        EXPECT_EQ(a->Tag(), tag);
    }
    struct Case {
        const char* key;
        int16_t given;
        int16_t read;
    };
    // A node without children can be open too.
    for (const Case& c : {Case{"B", -1, -1}, Case{"B", 0, 0}, Case{"B", 1, 1}, Case{"B", 5, 5}, Case{"A", -1, -1},
                          Case{"A", 0, 0}}) {
        SCOPED_TRACE(std::string(c.key) + " " + std::to_string(c.given));
        this->node(c.key)->setExpanded(c.given);
        EXPECT_EQ(this->node(c.key)->Expanded(), c.read);
    }
}

TYPED_TEST(TreeViewContract, OneNodeIsSelectedAtATime) {
    this->addSampleTree();
    this->node("B")->setExpanded(rt::False16);
    auto a = this->node("A");
    auto c = this->node("C");
    auto b2 = this->node("B2");
    EXPECT_EQ(a->Selected(), rt::False16);
    a->setSelected(rt::True16);
    EXPECT_EQ(a->Selected(), rt::True16);
    c->setSelected(5);
    EXPECT_EQ(c->Selected(), rt::True16);
    EXPECT_EQ(a->Selected(), rt::False16);
    a->setSelected(rt::False16);  // not the selected one: nothing changes
    EXPECT_EQ(c->Selected(), rt::True16);
    c->setSelected(rt::False16);
    EXPECT_EQ(c->Selected(), rt::False16);
    // Selecting a node under a closed parent leaves the parent closed.
    b2->setSelected(rt::True16);
    EXPECT_EQ(b2->Selected(), rt::True16);
    EXPECT_EQ(this->node("B")->Expanded(), rt::False16);
}

TYPED_TEST(TreeViewContract, ToolTipTextAndLabelEditKeepTheirValues) {
    for (const std::string& text : std::vector<std::string>{"", "tip", "Grüße", "\xff\xfe"}) {
        SCOPED_TRACE(text);
        this->tv().setToolTipText(text);
        EXPECT_EQ(this->tv().ToolTipText(), text);
    }
    this->tv().setToolTipText("kept");
    this->subject.offerToolTip(false);
    EXPECT_EQ(errorNumberOf([&] { this->tv().ToolTipText(); }), 438);
    EXPECT_EQ(errorNumberOf([&] { this->tv().setToolTipText("lost"); }), 438);
    this->subject.offerToolTip(true);
    EXPECT_EQ(this->tv().ToolTipText(), "kept");

    EXPECT_EQ(this->tv().LabelEdit(), 0);
    for (int32_t mode : {1, 0, 7}) {
        this->tv().setLabelEdit(mode);
        EXPECT_EQ(this->tv().LabelEdit(), mode);
    }
}

TYPED_TEST(TreeViewContract, UserActionsReachEveryListener) {
    this->addSampleTree();
    RecordingListener first, second;
    EXPECT_EQ(errorNumberOf([&] { this->tv().advise(nullptr); }), 5);
    const int32_t cookie = this->tv().advise(&first);
    EXPECT_NE(cookie, 0);
    const int32_t secondCookie = this->tv().advise(&second);

    this->subject.click("B1");
    this->subject.press(Qt::Key_A, Qt::ControlModifier);
    this->subject.release(Qt::Key_A, Qt::ControlModifier);
    this->subject.press(Qt::Key_F10, Qt::ShiftModifier);
    this->subject.release(Qt::Key_F10, Qt::ShiftModifier);
    this->tv().unadvise(cookie);
    this->subject.click("C");
    this->tv().unadvise(secondCookie);

    // The modifier keys are keys too.
    const std::vector<std::string> expected = {"click B1",   "down 17 2",  "down 65 2", "up 65 2", "up 17 0",
                                               "down 16 1", "down 121 1", "up 121 1",  "up 16 0"};
    EXPECT_EQ(first.events, expected);
    EXPECT_EQ(second.events.back(), "click C");
    EXPECT_TRUE(rt::sameObject(first.clicked, this->node("B1")));
}

TYPED_TEST(TreeViewContract, HitTestFindsTheNodeUnderThePointer) {
    this->addSampleTree();
    RecordingListener listener;
    const int32_t cookie = this->tv().advise(&listener);
    for (const char* key : {"A", "B1", "C"}) {
        SCOPED_TRACE(key);
        this->subject.movePointer(this->subject.pointOn(key));
        ASSERT_FALSE(listener.events.empty());
        EXPECT_EQ(listener.events.back(), "move 0 0");
        auto hit = this->tv().HitTest(listener.x, listener.y);
        ASSERT_TRUE(hit);
        EXPECT_EQ(hit->Key(), key);
    }
    // Children of a closed node have no row.
    const QPointF onB1 = this->subject.pointOn("B1");
    this->node("B")->setExpanded(rt::False16);
    auto hit = this->tv().HitTest(static_cast<float>(onB1.x()), static_cast<float>(onB1.y()));
    ASSERT_TRUE(hit);
    EXPECT_EQ(hit->Key(), "C");

    const QPointF below = this->subject.pointBelowRows();
    EXPECT_FALSE(this->tv().HitTest(static_cast<float>(below.x()), static_cast<float>(below.y())));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    for (auto [x, y] : {std::pair{nan, 5.0f}, {5.0f, nan}, {-1.0f, 5.0f}, {5.0f, -1.0f}, {inf, 5.0f}, {5.0f, 1e30f}})
        EXPECT_FALSE(this->tv().HitTest(x, y)) << x << ", " << y;
    this->tv().unadvise(cookie);
}

TYPED_TEST(TreeViewContract, TheTreeAsTextIsTheSameOnBoth) {
    this->tv().SetImageList(imageListWith({"chkoff", "chkon"}));
    this->addSampleTree();
    this->add("B", tree::tvwChild, "B3", "chkon");
    this->add("A", tree::tvwPrevious, "Z", int32_t{1});
    EXPECT_EQ(tree::treeAsText(this->tv()),
              "Z \"text of Z\" [#1]\n"
              "A \"text of A\" []\n"
              "B \"text of B\" []\n"
              "  B1 \"text of B1\" []\n"
              "  B2 \"text of B2\" []\n"
              "  B3 \"text of B3\" [chkon]\n"
              "C \"text of C\" []\n");
}

}  // namespace
}  // namespace qt_tests
