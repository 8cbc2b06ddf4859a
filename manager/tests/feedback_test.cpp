// Keyboard and pointer feedback: the key-down flag, Ctrl+A, F10 and the
// selection that follows the pointer.
#include <utility>

#include "manager/tests/manager_fixture.h"

namespace Sarn10B::test {
namespace {

constexpr int16_t KeyA = 65;
constexpr int16_t KeyB = 66;
constexpr int16_t KeyX = 88;
constexpr int16_t KeyF10 = 121;
constexpr int16_t NoShift = 0, ShiftKey = 1, Ctrl = 2, CtrlShift = 3, Alt = 4, AltCtrl = 6;
const std::string MoveSite = "czAmbrTVS.oTV_MouseMove";

// A second listener, attached after the manager: it sees the event
// arguments as the manager handed them back.
class ArgumentSpy : public tree::TreeViewEvents {
public:
    explicit ArgumentSpy(rt::Ref<tree::TreeView> tv) : tv_(std::move(tv)), cookie_(tv_->advise(this)) {}
    ~ArgumentSpy() { tv_->unadvise(cookie_); }
    ArgumentSpy(const ArgumentSpy&) = delete;
    ArgumentSpy& operator=(const ArgumentSpy&) = delete;

    void NodeClick(const rt::Ref<tree::TreeNode>&) override {}
    void KeyDown(int16_t& keyCode, int16_t& shift) override { keys.emplace_back(keyCode, shift); }
    void KeyUp(int16_t& keyCode, int16_t& shift) override { keys.emplace_back(keyCode, shift); }
    void MouseMove(int16_t& button, int16_t& shift, float& x, float& y) override {
        moves.push_back({static_cast<float>(button), static_cast<float>(shift), x, y});
    }

    std::vector<std::pair<int16_t, int16_t>> keys;
    std::vector<std::vector<float>> moves;

private:
    rt::Ref<tree::TreeView> tv_;
    int32_t cookie_;
};

// Puts another message box in place for its lifetime.
class MessageBoxOverride {
public:
    explicit MessageBoxOverride(rt::MessageBoxHandler handler)
        : previous_(rt::setMessageBoxHandler(std::move(handler))) {}
    ~MessageBoxOverride() { rt::setMessageBoxHandler(previous_); }
    MessageBoxOverride(const MessageBoxOverride&) = delete;
    MessageBoxOverride& operator=(const MessageBoxOverride&) = delete;

private:
    rt::MessageBoxHandler previous_;
};

// S1 (expanded) with two check boxes and two option buttons, then S2 with
// one check box; rows: S1, CBa, CBb, OBa, OBb, S2.
class FeedbackTest : public ManagerTest {
protected:
    FeedbackTest() {
        addSection("S1");
        addItem("S1", "CBa", TVSNodeStyle_CheckBoxoff);
        addItem("S1", "CBb", TVSNodeStyle_CheckBoxOn);
        addItem("S1", "OBa", TVSNodeStyle_OptionButtonOff);
        addItem("S1", "OBb", TVSNodeStyle_OptionButtonOn);
        addSection("S2");
        addItem("S2", "CBc", TVSNodeStyle_CheckBoxoff);
        node("S1")->setExpanded(-1);
        handler.clear();
    }

    std::vector<int16_t> expandedStates() {
        std::vector<int16_t> out;
        for (int32_t i = 1; i <= tv->Nodes()->Count(); ++i) out.push_back(tv->Nodes()->Item(i)->Expanded());
        return out;
    }
    void setAllExpanded(int16_t value) {
        for (int32_t i = 1; i <= tv->Nodes()->Count(); ++i) tv->Nodes()->Item(i)->setExpanded(value);
    }
    // The middle of a visible node's row.
    float rowMiddle(const std::string& key) {
        const float top = tv->rowTop(node(key));
        EXPECT_GE(top, 0) << key << " is not visible";
        return top + tree::MemoryTreeView::RowHeight / 2;
    }
    std::string selectedKey() {
        auto selected = tv->selectedNode();
        return selected ? selected->Key() : "(none)";
    }
};

// ---- The key-down flag ------------------------------------------------------

TEST_F(FeedbackTest, TheFlagIsSetAtEveryKeyDownAndClearedAtEveryKeyUp) {
    EXPECT_EQ(manager->keyDownFlag(), 0);
    tv->pressKey(KeyX, NoShift);
    EXPECT_EQ(manager->keyDownFlag(), -1);
    tv->pressKey(16, ShiftKey);
    EXPECT_EQ(manager->keyDownFlag(), -1);
    tv->releaseKey(KeyX, NoShift);
    EXPECT_EQ(manager->keyDownFlag(), 0) << "one flag, not a count: a key is still down";
    tv->releaseKey(16, ShiftKey);
    EXPECT_EQ(manager->keyDownFlag(), 0);
    tv->releaseKey(KeyB, NoShift);
    EXPECT_EQ(manager->keyDownFlag(), 0) << "a key up without a key down";
    EXPECT_TRUE(reports().empty());
}

TEST_F(FeedbackTest, ClicksBetweenAKeyDownAndTheNextKeyUpChangeNoImage) {
    node("CBa")->setTag("tag of CBa");
    tv->pressKey(KeyX, NoShift);
    tv->pressKey(16, ShiftKey);
    for (const char* key : {"CBa", "CBb", "OBa", "CBc"}) tv->clickNode(key);
    EXPECT_EQ(imagesUnder("S1"), (Strings{"chkoff", "chkon", "optoff", "opton"}));
    EXPECT_EQ(imageOf("CBc"), "chkoff");

    tv->clickNode("CBa");
    EXPECT_EQ(manager->Tag(), "tag of CBa") << "the click is still recorded";
    EXPECT_EQ(imageOf("CBa"), "chkoff");

    tv->releaseKey(KeyX, NoShift);  // one of two keys: the flag is down all the same
    tv->clickNode("CBa");
    tv->clickNode("OBa");
    EXPECT_EQ(imagesUnder("S1"), (Strings{"chkon", "chkon", "opton", "optoff"}));
    EXPECT_TRUE(reports().empty());
}

// ---- Ctrl+A -------------------------------------------------------------------

TEST_F(FeedbackTest, CtrlATogglesExpansionThroughIsExpanded) {
    enum Effect { Expands, Collapses, Nothing };
    struct Row {
        const char* name;
        int16_t keyCode, shift, isExpanded;
        Effect effect;
    };
    const Row rows[] = {
        {"Ctrl+A while collapsed", KeyA, Ctrl, 0, Expands},
        {"Ctrl+A while expanded", KeyA, Ctrl, -1, Collapses},
        {"Ctrl+A with IsExpanded 1", KeyA, Ctrl, 1, Nothing},
        {"Ctrl+A with IsExpanded 5", KeyA, Ctrl, 5, Nothing},
        {"Ctrl+Shift+A", KeyA, CtrlShift, 0, Nothing},
        {"Alt+Ctrl+A", KeyA, AltCtrl, -1, Nothing},
        {"Alt+A", KeyA, Alt, 0, Nothing},
        {"Shift+A", KeyA, ShiftKey, 0, Nothing},
        {"A alone", KeyA, NoShift, -1, Nothing},
        {"Ctrl+B", KeyB, Ctrl, 0, Nothing},
    };
    ArgumentSpy spy(tv);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        setAllExpanded(5);
        manager->setIsExpanded(row.isExpanded);
        tv->releaseKey(KeyX, NoShift);
        spy.keys.clear();

        tv->pressKey(row.keyCode, row.shift);

        const int16_t after = row.effect == Expands ? -1 : row.effect == Collapses ? 0 : 5;
        EXPECT_EQ(expandedStates(), std::vector<int16_t>(7, after));
        EXPECT_EQ(manager->IsExpanded(), row.effect == Nothing ? row.isExpanded : after);
        EXPECT_EQ(manager->keyDownFlag(), -1);
        EXPECT_EQ(spy.keys, (std::vector<std::pair<int16_t, int16_t>>{{row.keyCode, row.shift}}))
            << "KeyCode and Shift go back unchanged";
        EXPECT_TRUE(reports().empty());
        EXPECT_TRUE(messageBox.messages().empty());
    }
}

TEST_F(FeedbackTest, RepeatedCtrlAAlternates) {
    for (int16_t expected : {-1, 0, -1, 0}) {
        SCOPED_TRACE(expected);
        tv->pressKey(KeyA, Ctrl);
        tv->releaseKey(KeyA, Ctrl);
        EXPECT_EQ(expandedStates(), std::vector<int16_t>(7, expected));
        EXPECT_EQ(manager->IsExpanded(), expected);
    }
}

// ---- F10 ------------------------------------------------------------------------

TEST_F(FeedbackTest, F10ShowsTagAndChildCountWithAnyShift) {
    struct Row {
        const char* name;
        int16_t shift;
        std::string tag;
        int32_t children;
        std::string prompt;
    };
    const Row rows[] = {
        {"F10", NoShift, "Fonts", 3, "Fonts , 3 More items. "},
        {"Shift+F10", ShiftKey, "Fonts", 3, "Fonts , 3 More items. "},
        {"Ctrl+F10", Ctrl, "Fonts", 3, "Fonts , 3 More items. "},
        {"Alt+Ctrl+F10", AltCtrl, "Fonts", 3, "Fonts , 3 More items. "},
        {"empty tag, no children", NoShift, "", 0, " , 0 More items. "},
        {"negative count", NoShift, "x", -3, "x , -3 More items. "},
        {"largest count", NoShift, "big", 2147483647, "big , 2147483647 More items. "},
        {"smallest count", NoShift, "", -2147483647 - 1, " , -2147483648 More items. "},
    };
    ArgumentSpy spy(tv);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        manager->setTag(row.tag);
        manager->setNodeChildren(row.children);
        const size_t shown = messageBox.messages().size();
        spy.keys.clear();

        tv->pressKey(KeyF10, row.shift);

        ASSERT_EQ(messageBox.messages().size(), shown + 1);
        const auto& box = messageBox.messages().back();
        EXPECT_EQ(box.prompt, row.prompt);
        EXPECT_EQ(box.title, "Item Desription...");
        EXPECT_EQ(box.style, 64);
        EXPECT_EQ(manager->keyDownFlag(), -1);
        EXPECT_EQ(spy.keys, (std::vector<std::pair<int16_t, int16_t>>{{KeyF10, row.shift}}));
        EXPECT_EQ(expandedStates(), (std::vector<int16_t>{-1, 0, 0, 0, 0, 0, 0})) << "Ctrl+F10 is no Ctrl+A";
        EXPECT_TRUE(reports().empty());
        tv->releaseKey(KeyF10, row.shift);
    }
    tv->releaseKey(KeyF10, NoShift);
    EXPECT_EQ(messageBox.messages().size(), std::size(rows)) << "key up shows nothing";
}

TEST_F(FeedbackTest, F10ShowsWhatTheLastClickRecorded) {
    node("S1")->setTag("Fonts tag");
    tv->clickNode("S1");
    tv->pressKey(KeyF10, NoShift);
    ASSERT_EQ(messageBox.messages().size(), 1u);
    EXPECT_EQ(messageBox.messages()[0].prompt, "Fonts tag , 4 More items. ");
}

// ---- Failures in key down stay silent ------------------------------------------

TEST_F(FeedbackTest, CtrlAWithoutATreeToExpandReportsOnlyFromExpandAll) {
    // An object that is no tree view is stored while the events stay with
    // the tree: ExpandAll then finds no nodes collection to count.
    EXPECT_THROW(manager->setTreeViewObject(rt::make<rt::Collection>()), rt::Error);
    ASSERT_EQ(tv->listenerCount(), 1u);

    tv->pressKey(KeyA, Ctrl);

    EXPECT_EQ(reports(), reportsAt("czAmbrTVS.ExpandAll", {rt::errnum::NoSuchMember}));
    EXPECT_EQ(manager->keyDownFlag(), -1);
    EXPECT_EQ(manager->IsExpanded(), 0);
    EXPECT_EQ(expandedStates(), (std::vector<int16_t>{-1, 0, 0, 0, 0, 0, 0}));
}

TEST_F(FeedbackTest, KeyDownSwallowsEveryFailure) {
    struct Row {
        const char* name;
        int16_t keyCode, shift;
        bool failingHandler;   // the error handler's report fails
        bool failingBox;       // the message box fails
        bool unboundTree;      // TreeViewObject holds no tree view
    };
    const Row rows[] = {
        {"Ctrl+A whose report fails", KeyA, Ctrl, true, false, true},
        {"F10 whose message box fails", KeyF10, NoShift, false, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto tree = rt::make<tree::MemoryTreeView>();
        manager->setTreeViewObject(tree);
        if (row.unboundTree) {
            EXPECT_THROW(manager->setTreeViewObject(rt::make<rt::Collection>()), rt::Error);
        }
        ArgumentSpy spy(tree);
        handler.failWith(row.failingHandler ? 1234 : 0);
        MessageBoxOverride box([&](const rt::MessageBoxRequest&) -> int32_t {
            if (row.failingBox) throw rt::Error(7777, "the box failed");
            return rt::MsgBoxOk;
        });
        tree->releaseKey(KeyX, NoShift);
        spy.keys.clear();

        EXPECT_NO_THROW(tree->pressKey(row.keyCode, row.shift));

        EXPECT_EQ(manager->keyDownFlag(), -1);
        EXPECT_EQ(spy.keys.size(), 1u) << "the event goes on to the next listener";
        handler.failWith(0);
        EXPECT_TRUE(reports().empty());
    }
}

// ---- The selection follows the pointer --------------------------------------------

TEST_F(FeedbackTest, WithHitTestOnMouseMoveTrueTheSelectionFollowsThePointer) {
    manager->setHitTestOnMouseMove(-1);
    struct Row {
        const char* name;
        float x, y;
        std::string selected;
    };
    const float rowH = tree::MemoryTreeView::RowHeight;
    const Row rows[] = {
        {"over S1, the first row", 10, rowH / 2, "S1"},
        {"over CBb, the third row", 10, 2 * rowH + 1, "CBb"},
        {"the top edge of OBb's row", 0, 4 * rowH, "OBb"},
        {"below the last row: stays", 10, 6 * rowH + 1, "OBb"},
        {"right of the rows: stays", tree::MemoryTreeView::Width + 5, rowH / 2, "OBb"},
        {"above the tree: stays", 10, -3, "OBb"},
        {"over S2", 299, 5 * rowH + rowH - 1, "S2"},
    };
    ASSERT_EQ(rowMiddle("CBb"), 2 * rowH + rowH / 2) << "the rows are as the table assumes";
    ArgumentSpy spy(tv);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        spy.moves.clear();

        tv->movePointer(1, ShiftKey, row.x, row.y);

        EXPECT_EQ(selectedKey(), row.selected);
        EXPECT_EQ(spy.moves, (std::vector<std::vector<float>>{{1, ShiftKey, row.x, row.y}}))
            << "the arguments go back unchanged";
        EXPECT_TRUE(reports().empty());
    }
    EXPECT_EQ(imagesUnder("S1"), (Strings{"chkoff", "chkon", "optoff", "opton"})) << "moving clicks nothing";
}

TEST_F(FeedbackTest, OnlyHitTestOnMouseMoveTrueMakesTheSelectionFollow) {
    for (int16_t value : {0, 1, 5, -2, 32767}) {
        SCOPED_TRACE(value);
        manager->setHitTestOnMouseMove(value);
        tv->movePointer(0, NoShift, 10, rowMiddle("CBa"));
        EXPECT_EQ(selectedKey(), "(none)");
    }
    manager->setHitTestOnMouseMove(-1);
    tv->movePointer(0, NoShift, 10, rowMiddle("CBa"));
    EXPECT_EQ(selectedKey(), "CBa");
}

TEST_F(FeedbackTest, ThePointerIsHitTestedOnTheTreeThatRaisedTheEvent) {
    // Binding an object that is no tree view stores it, while the events
    // stay with the tree view bound before.
    manager->setHitTestOnMouseMove(-1);
    EXPECT_THROW(manager->setTreeViewObject(rt::make<rt::Collection>()), rt::Error);
    tv->movePointer(0, NoShift, 10, rowMiddle("OBa"));
    EXPECT_EQ(selectedKey(), "OBa");
    EXPECT_TRUE(reports().empty());
}

// A tree view whose HitTest fails, or answers with a node that a Clear took
// away (setting its Selected fails with 35605). It records what it is asked.
class PointerTree : public tree::MemoryTreeView {
public:
    enum class Hit { AsUsual, Fails, DeadNode };
    Hit hit = Hit::AsUsual;
    std::vector<std::pair<float, float>> asked;

    rt::Ref<tree::TreeNode> HitTest(float x, float y) override {
        asked.emplace_back(x, y);
        if (hit == Hit::Fails) throw rt::errInvalidCall();
        if (hit == Hit::DeadNode) {
            auto other = rt::make<tree::MemoryTreeView>();
            auto gone = other->Nodes()->Add(rt::Missing{}, rt::Missing{}, "gone", "gone", rt::Empty{});
            other->Nodes()->Clear();
            return gone;
        }
        return MemoryTreeView::HitTest(x, y);
    }
};

TEST_F(ManagerTest, AFailingHitTestOrSelectedIsReportedOnce) {
    struct Row {
        const char* name;
        int16_t hitTestOnMouseMove;
        PointerTree::Hit hit;
        std::string selected;
        std::vector<int32_t> numbers;
    };
    const Row rows[] = {
        {"as usual", -1, PointerTree::Hit::AsUsual, "a", {}},
        {"HitTest fails", -1, PointerTree::Hit::Fails, "(none)", {rt::errnum::InvalidCall}},
        {"Selected fails", -1, PointerTree::Hit::DeadNode, "(none)", {tree::errnum::ControlDeleted}},
        {"HitTest would fail but is off", 0, PointerTree::Hit::Fails, "(none)", {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto pointerTree = rt::make<PointerTree>();
        pointerTree->Nodes()->Add(rt::Missing{}, rt::Missing{}, "a", "a", rt::Empty{});
        pointerTree->hit = row.hit;
        manager->setTreeViewObject(pointerTree);
        manager->setHitTestOnMouseMove(row.hitTestOnMouseMove);
        handler.clear();

        pointerTree->movePointer(0, NoShift, 12.5f, 3.25f);

        auto selected = pointerTree->selectedNode();
        EXPECT_EQ(selected ? selected->Key() : "(none)", row.selected);
        EXPECT_EQ(reports(), reportsAt(MoveSite, row.numbers));
        const auto asked = row.hitTestOnMouseMove == -1 ? std::vector<std::pair<float, float>>{{12.5f, 3.25f}}
                                                        : std::vector<std::pair<float, float>>{};
        EXPECT_EQ(pointerTree->asked, asked) << "x and y reach HitTest as the event gave them";
    }
}

}  // namespace
}  // namespace Sarn10B::test
