// Expanding or collapsing the whole tree (ExpandAll) and asking a node for
// its children (MoreChildrenDefault).
#include "manager/tests/manager_fixture.h"

namespace Sarn10B::test {
namespace {

const std::string ExpandSite = "czAmbrTVS.ExpandAll";
const std::string ChildrenSite = "czAmbrTVS.MoreChildrenDefault";

// Two sections with items, an item with a child of its own and a root node
// that the host added itself.
class ExpansionTest : public ManagerTest {
protected:
    ExpansionTest() {
        addSection("S1");
        addItem("S1", "CBa", TVSNodeStyle_CheckBoxOn);
        addItem("S1", "CBb", TVSNodeStyle_CheckBoxoff);
        addItem("S1", "CBc", TVSNodeStyle_CheckBoxoff);
        addItem("CBa", "grand", TVSNodeStyle_CheckBoxoff);
        addItem("CBa", "grand2", TVSNodeStyle_OptionButtonOn);
        addSection("S2");
        addItem("S2", "OBa", TVSNodeStyle_OptionButtonOn);
        addSection("empty");
        tv->Nodes()->Add(rt::Missing{}, rt::Missing{}, "host", "host's own", rt::Empty{});
        handler.clear();
    }

    // Expanded of every node, by position.
    std::vector<int16_t> expandedStates() {
        std::vector<int16_t> out;
        auto nodes = tv->Nodes();
        for (int32_t i = 1; i <= nodes->Count(); ++i) out.push_back(nodes->Item(i)->Expanded());
        return out;
    }
    void setAllExpanded(int16_t value) {
        auto nodes = tv->Nodes();
        for (int32_t i = 1; i <= nodes->Count(); ++i) nodes->Item(i)->setExpanded(value);
    }
    std::vector<int16_t> all(int16_t value) { return std::vector<int16_t>(10, value); }
};

// ---- ExpandAll --------------------------------------------------------------

TEST_F(ExpansionTest, ExpandAllGivesEveryNodeAndIsExpandedTheValueAsItCame) {
    struct Row {
        const char* name;
        int16_t bExpandAll;
    };
    const Row rows[] = {{"True", -1}, {"False", 0}, {"1 is kept as 1", 1}, {"-2 is kept as -2", -2}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        setAllExpanded(7);
        manager->setIsExpanded(7);

        EXPECT_EQ(manager->ExpandAll(row.bExpandAll), 0);

        EXPECT_EQ(expandedStates(), all(row.bExpandAll));
        EXPECT_EQ(manager->IsExpanded(), row.bExpandAll);
        EXPECT_TRUE(reports().empty());
    }
}

TEST_F(ExpansionTest, ExpandThenCollapseEveryNode) {
    EXPECT_EQ(manager->ExpandAll(-1), 0);
    EXPECT_EQ(expandedStates(), all(-1));
    EXPECT_EQ(manager->IsExpanded(), -1);
    EXPECT_GE(tv->rowTop(node("grand")), 0) << "the grandchild shows";

    EXPECT_EQ(manager->ExpandAll(0), 0);
    EXPECT_EQ(expandedStates(), all(0));
    EXPECT_EQ(manager->IsExpanded(), 0);
    EXPECT_EQ(tv->rowTop(node("CBa")), -1) << "items are hidden again";
}

TEST_F(ExpansionTest, AfterExpandingWithOneCtrlATogglesNothing) {
    manager->ExpandAll(1);
    tv->pressKey(65, 2);
    tv->releaseKey(65, 2);
    EXPECT_EQ(expandedStates(), all(1));
    EXPECT_EQ(manager->IsExpanded(), 1);
}

TEST_F(ManagerTest, ExpandAllOnAnEmptyTreeChangesNothing) {
    manager->setIsExpanded(5);
    EXPECT_EQ(manager->ExpandAll(-1), 0);
    EXPECT_EQ(manager->IsExpanded(), 5) << "written only when the tree has a node";
    EXPECT_TRUE(reports().empty());
}

TEST_F(ExpansionTest, ExpandAllWithoutATreeReportsOnceAndWalksNothing) {
    struct Row {
        const char* name;
        rt::ObjectRef bound;
        int32_t number;
    };
    const Row rows[] = {
        {"nothing bound", nullptr, rt::errnum::ObjectNotSet},
        {"an object that is no tree view", rt::make<rt::Collection>(), rt::errnum::NoSuchMember},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        manager->setTreeViewObject(tv);
        try {
            manager->setTreeViewObject(row.bound);
        } catch (const rt::Error& e) {
            EXPECT_EQ(e.number(), rt::errnum::TypeMismatch) << "binding an object that is no tree view";
        }
        manager->setIsExpanded(5);
        handler.clear();

        EXPECT_EQ(manager->ExpandAll(-1), 0);

        EXPECT_EQ(reports(), reportsAt(ExpandSite, {row.number}));
        EXPECT_EQ(expandedStates(), all(0));
        EXPECT_EQ(manager->IsExpanded(), 5);
    }
}

// A tree view whose nodes collection hands out, at one position, a node that
// a Clear took away: setting its Expanded fails with 35605.
class TreeWithDeadPosition : public tree::MemoryTreeView {
public:
    explicit TreeWithDeadPosition(int32_t position) : position_(position) {
        auto other = rt::make<tree::MemoryTreeView>();
        dead_ = other->Nodes()->Add(rt::Missing{}, rt::Missing{}, "gone", "gone", rt::Empty{});
        other->Nodes()->Clear();
    }
    rt::Ref<tree::TreeNodes> Nodes() override { return rt::make<DeadAt>(MemoryTreeView::Nodes(), position_, dead_); }

private:
    class DeadAt : public tree::TreeNodes {
    public:
        DeadAt(rt::Ref<tree::TreeNodes> inner, int32_t position, rt::Ref<tree::TreeNode> dead)
            : inner_(std::move(inner)), position_(position), dead_(std::move(dead)) {}
        rt::Ref<tree::TreeNode> Item(const rt::Variant& indexOrKey) override {
            if (indexOrKey.isNumeric() && rt::toInt32(indexOrKey) == position_) return dead_;
            return inner_->Item(indexOrKey);
        }
        int32_t Count() override { return inner_->Count(); }
        rt::Ref<tree::TreeNode> Add(const rt::Variant& relative, const rt::Variant& relationship,
                                    const rt::Variant& key, const rt::Variant& text,
                                    const rt::Variant& image) override {
            return inner_->Add(relative, relationship, key, text, image);
        }
        void Clear() override { inner_->Clear(); }

    private:
        rt::Ref<tree::TreeNodes> inner_;
        int32_t position_;
        rt::Ref<tree::TreeNode> dead_;
    };

    int32_t position_;
    rt::Ref<tree::TreeNode> dead_;
};

TEST_F(ManagerTest, AFailedExpandIsReportedAndTheWalkGoesOn) {
    struct Row {
        const char* name;
        int32_t count, deadPosition;
    };
    // With the only node dead, IsExpanded is still written in that pass.
    const Row rows[] = {{"first of three", 3, 1}, {"middle of three", 3, 2}, {"only node", 1, 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto t = rt::make<TreeWithDeadPosition>(row.deadPosition);
        for (int32_t i = 1; i <= row.count; ++i)
            t->MemoryTreeView::Nodes()->Add(rt::Missing{}, rt::Missing{}, "n" + std::to_string(i), "n", rt::Empty{});
        manager->setTreeViewObject(t);
        manager->setIsExpanded(5);
        handler.clear();

        EXPECT_EQ(manager->ExpandAll(-1), 0);

        EXPECT_EQ(reports(), reportsAt(ExpandSite, {tree::errnum::ControlDeleted}));
        for (int32_t i = 1; i <= row.count; ++i)
            EXPECT_EQ(t->MemoryTreeView::Nodes()->Item(i)->Expanded(), i == row.deadPosition ? 0 : -1) << i;
        EXPECT_EQ(manager->IsExpanded(), -1);
    }
}

// A section with nodeCount - 1 items, built directly on a tree view (each
// test at the 16-bit limit builds its tree once).
rt::Ref<tree::MemoryTreeView> treeOf(int32_t nodeCount) {
    auto t = rt::make<tree::MemoryTreeView>();
    auto nodes = t->Nodes();
    nodes->Add(rt::Missing{}, rt::Missing{}, "root", "root", rt::Empty{});
    for (int32_t i = 2; i <= nodeCount; ++i)
        nodes->Add("root", int32_t{tree::tvwChild}, "n" + std::to_string(i), "n", rt::Empty{});
    return t;
}

int32_t countExpanded(tree::MemoryTreeView& t, int16_t value) {
    auto nodes = t.Nodes();
    int32_t n = 0;
    for (int32_t i = 1; i <= nodes->Count(); ++i) n += nodes->Item(i)->Expanded() == value;
    return n;
}

TEST_F(ManagerTest, ExpandAllOnExactly32767NodesExpandsThemAllThenReportsTheOverflow) {
    auto big = treeOf(32767);
    manager->setTreeViewObject(big);

    EXPECT_EQ(manager->ExpandAll(-1), 0);

    EXPECT_EQ(reports(), reportsAt(ExpandSite, {rt::errnum::Overflow}));
    EXPECT_EQ(countExpanded(*big, -1), 32767);
    EXPECT_EQ(manager->IsExpanded(), -1);
}

TEST_F(ManagerTest, ExpandAllOn32768NodesReportsTheOverflowAndChangesNothing) {
    auto big = treeOf(32768);
    manager->setTreeViewObject(big);
    manager->setIsExpanded(5);

    EXPECT_EQ(manager->ExpandAll(-1), 0);

    EXPECT_EQ(reports(), reportsAt(ExpandSite, {rt::errnum::Overflow}));
    EXPECT_EQ(countExpanded(*big, 0), 32768);
    EXPECT_EQ(manager->IsExpanded(), 5);
}

// ---- MoreChildrenDefault --------------------------------------------------

TEST_F(ExpansionTest, MoreChildrenDefaultCountsDirectChildren) {
    struct Row {
        const char* name;
        bool bound;
        std::string key;
        int16_t result;
        int32_t count;  // what lCount holds afterwards; it starts at 99
        std::vector<int32_t> reports;
    };
    const Row rows[] = {
        {"section with three items", true, "S1", -1, 3, {}},
        {"key in other letter case", true, "s1", -1, 3, {}},
        {"section with one item", true, "S2", -1, 1, {}},
        {"section without items", true, "empty", 0, 0, {}},
        {"item \"chkon\" with two children", true, "CBa", -1, 2, {}},
        {"item \"chkoff\" without children", true, "CBb", 0, 0, {}},
        {"item \"opton\" without children", true, "OBa", 0, 0, {}},
        {"host node without image or children", true, "host", 0, 0, {}},
        {"key that no node bears", true, "nope", -1, 99, {tree::errnum::ElementNotFound, 91, 91, 91}},
        {"no tree bound", false, "S1", -1, 99, {91, 91, 91, 91}},
    };
    setImage("CBa", "CHKON");
    for (const auto& row : rows) {
        manager->setTreeViewObject(row.bound ? rt::ObjectRef(tv) : nullptr);
        for (bool given : {true, false}) {
            SCOPED_TRACE(std::string(row.name) + (given ? ", lCount given" : ", lCount omitted"));
            const std::string before = tree::treeAsText(*tv);
            handler.clear();
            int32_t lCount = 99;

            EXPECT_EQ(manager->MoreChildrenDefault(row.key, given ? &lCount : nullptr), row.result);

            EXPECT_EQ(lCount, given ? row.count : 99);
            EXPECT_EQ(reports(), reportsAt(ChildrenSite, row.reports));
            EXPECT_EQ(tree::treeAsText(*tv), before) << "reads only";
        }
    }
}

TEST_F(ExpansionTest, MoreChildrenDefaultCountsAnyImageAsNode) {
    struct Row {
        const char* name;
        rt::Variant image;
    };
    const Row rows[] = {{"a list position", int32_t{2}}, {"no image", rt::Variant("")}, {"own key", "S2"}};
    addItem("empty", "child", TVSNodeStyle_CheckBoxoff);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        setImage("empty", row.image);
        handler.clear();
        int32_t lCount = 99;
        EXPECT_EQ(manager->MoreChildrenDefault("empty", &lCount), -1);
        EXPECT_EQ(lCount, 1);
        EXPECT_TRUE(reports().empty());
    }
}

}  // namespace
}  // namespace Sarn10B::test
