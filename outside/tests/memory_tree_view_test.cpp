// The tree view's rows, its own properties and its events.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "outside/tests/memory_tree_fixture.h"

namespace {

using outside_tests::errorNumberOf;
using outside_tests::MemoryTreeTest;

// Rows while only A is expanded: A, A1, A2, B, C.
//   A (expanded)  [A1, A2 [A21]]
//   B             [B1 (expanded) [B11]]
//   C
class MemoryTreeRowsTest : public MemoryTreeTest {
protected:
    void SetUp() override {
        root("A");
        root("B");
        root("C");
        child("A", "A1");
        child("A", "A2");
        child("A2", "A21");
        child("B", "B1");
        child("B1", "B11");
        nodes->Item("A")->setExpanded(rt::True16);
        nodes->Item("B1")->setExpanded(rt::True16);
        check();
    }
    std::string keyAt(float x, float y) {
        auto node = view->HitTest(x, y);
        return node ? node->Key() : "";
    }
    float top(const char* key) { return view->rowTop(nodes->Item(key)); }
};

TEST_F(MemoryTreeRowsTest, HitTestFindsTheVisibleRowUnderThePoint) {
    constexpr float h = tree::MemoryTreeView::RowHeight;
    constexpr float w = tree::MemoryTreeView::Width;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        const char* name;
        float x, y;
        const char* key;  // "" for nothing
    };
    const Case cases[] = {
        {"top left corner", 0, 0, "A"},
        {"last point of the first row", w - 0.01f, h - 0.01f, "A"},
        {"second row starts at RowHeight", 10, h, "A1"},
        {"third row", 10, 2 * h + 3, "A2"},
        {"a collapsed node's children are skipped", 10, 3 * h, "B"},
        {"last row", 10, 4 * h + h / 2, "C"},
        {"below the last row", 10, 5 * h, ""},
        {"far below", 10, 1e9f, ""},
        {"left of the tree", -0.01f, 0, ""},
        {"right edge is outside", w, 0, ""},
        {"above the tree", 10, -0.01f, ""},
        {"x not a number", nan, 0, ""},
        {"y not a number", 0, nan, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(keyAt(c.x, c.y), c.key);
    }
}

TEST_F(MemoryTreeRowsTest, RowsFollowExpandingAndCollapsing) {
    constexpr float h = tree::MemoryTreeView::RowHeight;
    EXPECT_EQ(top("A21"), -1);
    EXPECT_EQ(top("B11"), -1);  // its parent is expanded, its grandparent is not
    EXPECT_EQ(top("C"), 4 * h);

    nodes->Item("A2")->setExpanded(1);  // any non-zero value shows the children
    check();
    EXPECT_EQ(top("A21"), 3 * h);
    EXPECT_EQ(keyAt(0, 3 * h), "A21");
    EXPECT_EQ(top("C"), 5 * h);

    nodes->Item("B")->setExpanded(rt::True16);
    check();
    EXPECT_EQ(top("B11"), 6 * h);
    EXPECT_EQ(keyAt(0, 7 * h), "C");

    nodes->Item("A")->setExpanded(rt::False16);
    check();
    EXPECT_EQ(top("A21"), -1);
    EXPECT_EQ(top("A1"), -1);
    EXPECT_EQ(keyAt(0, h), "B");
    EXPECT_EQ(top("C"), 4 * h);
}

TEST_F(MemoryTreeRowsTest, RowTopOfANodeNotInThisTreeIsMinusOne) {
    tree::MemoryTreeView other;
    auto foreign = other.Nodes()->Add(rt::Missing{}, rt::Missing{}, "A", "A", rt::Missing{});
    EXPECT_EQ(view->rowTop(foreign), -1);
    EXPECT_EQ(view->rowTop(nullptr), -1);
    auto a = nodes->Item("A");
    nodes->Clear();
    check();
    EXPECT_EQ(view->rowTop(a), -1);
}

TEST_F(MemoryTreeTest, LabelEditStoresAnyValue) {
    EXPECT_EQ(view->LabelEdit(), 0);
    for (int32_t mode : {1, 0, 7, -3}) {
        view->setLabelEdit(mode);
        EXPECT_EQ(view->LabelEdit(), mode);
    }
}

TEST_F(MemoryTreeTest, ToolTipTextWhenOfferedAndWhenNot) {
    EXPECT_EQ(view->ToolTipText(), "");
    view->setToolTipText("a tag");
    EXPECT_EQ(view->ToolTipText(), "a tag");

    view->setOffersToolTipText(false);
    EXPECT_EQ(errorNumberOf([&] { view->ToolTipText(); }), rt::errnum::NoSuchMember);
    EXPECT_EQ(errorNumberOf([&] { view->setToolTipText("other"); }), rt::errnum::NoSuchMember);

    view->setOffersToolTipText(true);
    EXPECT_EQ(view->ToolTipText(), "a tag");
}

// Records every event as a line; hooks let a test act inside a call.
class RecordingListener : public tree::TreeViewEvents {
public:
    RecordingListener(std::string name, std::vector<std::string>& log) : name_(std::move(name)), log_(log) {}

    void NodeClick(const rt::Ref<tree::TreeNode>& node) override {
        clicked.push_back(node);
        log_.push_back(name_ + " NodeClick " + node->Key());
        if (onEvent) onEvent();
    }
    void KeyDown(int16_t& keyCode, int16_t& shift) override {
        log_.push_back(name_ + " KeyDown " + std::to_string(keyCode) + " " + std::to_string(shift));
        keyCode = static_cast<int16_t>(keyCode + 1);
        shift = static_cast<int16_t>(shift + 1);
        if (onEvent) onEvent();
    }
    void KeyUp(int16_t& keyCode, int16_t& shift) override {
        log_.push_back(name_ + " KeyUp " + std::to_string(keyCode) + " " + std::to_string(shift));
        keyCode = static_cast<int16_t>(keyCode + 1);
        shift = static_cast<int16_t>(shift + 1);
        if (onEvent) onEvent();
    }
    void MouseMove(int16_t& button, int16_t& shift, float& x, float& y) override {
        log_.push_back(name_ + " MouseMove " + std::to_string(button) + " " + std::to_string(shift) + " " +
                       std::to_string(static_cast<int>(x)) + " " + std::to_string(static_cast<int>(y)));
        button = static_cast<int16_t>(button + 1);
        shift = static_cast<int16_t>(shift + 1);
        x += 1;
        y += 1;
        if (onEvent) onEvent();
    }

    std::vector<rt::Ref<tree::TreeNode>> clicked;
    std::function<void()> onEvent;

private:
    std::string name_;
    std::vector<std::string>& log_;
};

class MemoryTreeEventsTest : public MemoryTreeTest {
protected:
    void SetUp() override {
        node = root("Node");
        firstCookie = view->advise(&first);
        secondCookie = view->advise(&second);
    }
    void TearDown() override {
        if (view) {
            view->unadvise(firstCookie);
            view->unadvise(secondCookie);
        }
    }

    std::vector<std::string> log;
    RecordingListener first{"first", log};
    RecordingListener second{"second", log};
    int32_t firstCookie = 0, secondCookie = 0;
    rt::Ref<tree::TreeNode> node;
};

TEST_F(MemoryTreeEventsTest, EventsReachEveryListenerWithArgumentsByReference) {
    // Listeners share the variables: each one sees what the one before wrote.
    view->pressKey(65, 2);
    view->releaseKey(65, 2);
    view->movePointer(1, 0, 10.0f, 20.0f);
    EXPECT_EQ(log, (std::vector<std::string>{
                       "first KeyDown 65 2",
                       "second KeyDown 66 3",
                       "first KeyUp 65 2",
                       "second KeyUp 66 3",
                       "first MouseMove 1 0 10 20",
                       "second MouseMove 2 1 11 21",
                   }));
}

TEST_F(MemoryTreeEventsTest, ClickingANodeRaisesNodeClickWithThatNode) {
    view->clickNode(node);
    view->clickNode("NODE");
    EXPECT_EQ(log, (std::vector<std::string>{"first NodeClick Node", "second NodeClick Node",
                                             "first NodeClick Node", "second NodeClick Node"}));
    ASSERT_EQ(second.clicked.size(), 2u);
    EXPECT_TRUE(rt::sameObject(second.clicked[0], node));
    EXPECT_TRUE(rt::sameObject(second.clicked[1], node));
}

TEST_F(MemoryTreeEventsTest, ClicksThatNameNoNodeOfThisTreeFailWithoutEvents) {
    tree::MemoryTreeView other;
    auto foreign = other.Nodes()->Add(rt::Missing{}, rt::Missing{}, "Node", "", rt::Missing{});
    auto stale = node;
    nodes->Clear();
    check();
    root("Node");
    struct Case {
        const char* name;
        std::function<void()> click;
        int32_t error;
    };
    const Case cases[] = {
        {"unknown key", [&] { view->clickNode("zz"); }, tree::errnum::ElementNotFound},
        {"nothing", [&] { view->clickNode(rt::Ref<tree::TreeNode>()); }, rt::errnum::InvalidCall},
        {"a node of another tree view", [&] { view->clickNode(foreign); }, rt::errnum::InvalidCall},
        {"a node removed by Clear", [&] { view->clickNode(stale); }, tree::errnum::ControlDeleted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorNumberOf(c.click), c.error);
    }
    EXPECT_TRUE(log.empty());
}

TEST_F(MemoryTreeEventsTest, AdviseGivesDistinctCookiesAndUnadviseDetaches) {
    EXPECT_NE(firstCookie, 0);
    EXPECT_NE(secondCookie, 0);
    EXPECT_NE(firstCookie, secondCookie);
    EXPECT_EQ(view->listenerCount(), 2u);
    view->unadvise(firstCookie);
    EXPECT_EQ(view->listenerCount(), 1u);
    view->pressKey(1, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"second KeyDown 1 0"}));
    view->unadvise(firstCookie);  // twice is harmless
    EXPECT_EQ(view->listenerCount(), 1u);
    EXPECT_EQ(errorNumberOf([&] { view->advise(nullptr); }), rt::errnum::InvalidCall);
}

TEST_F(MemoryTreeEventsTest, AListenerMayDetachItselfDuringAnEvent) {
    first.onEvent = [&] { view->unadvise(firstCookie); };
    view->clickNode(node);
    view->clickNode(node);
    EXPECT_EQ(log, (std::vector<std::string>{"first NodeClick Node", "second NodeClick Node",
                                             "second NodeClick Node"}));
    EXPECT_EQ(view->listenerCount(), 1u);
}

TEST_F(MemoryTreeEventsTest, AListenerDetachedByAnotherDuringAnEventMissesIt) {
    first.onEvent = [&] { view->unadvise(secondCookie); };
    view->pressKey(1, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"first KeyDown 1 0"}));
}

TEST_F(MemoryTreeEventsTest, AListenerMayReleaseTheLastReferenceToTheView) {
    first.onEvent = [&] {
        view->unadvise(firstCookie);
        view->unadvise(secondCookie);
        nodes = nullptr;
        view = nullptr;
    };
    tree::MemoryTreeView* raw = view.get();
    raw->clickNode(node);
    EXPECT_EQ(log, (std::vector<std::string>{"first NodeClick Node"}));
    EXPECT_EQ(errorNumberOf([&] { node->Key(); }), tree::errnum::ControlDeleted);
}

}  // namespace
