// Operations over all items of a section: select all / invert
// (CBSelectAll) and the section query (QueryNodeCollection).
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "manager/tests/manager_fixture.h"

namespace Sarn10B::test {
namespace {

const std::string SelectAllSite = "czAmbrTVS.CBSelectAll";
const std::string QuerySite = "czAmbrTVS.QueryNodeCollection";
constexpr int32_t FaultNumber = tree::errnum::ControlDeleted;

// Which node operations fail, by node key and operation name ("Image",
// "setImage", "Text", "Key", "Next"): at the listed calls (counted from 1 per
// node and operation) or, with no calls listed, at every call.
class Faults {
public:
    void plan(const std::string& key, const std::string& op, std::set<int> calls = {}) {
        plans_[{key, op}] = Plan{std::move(calls), 0};
    }
    void check(const std::string& key, const std::string& op) {
        auto it = plans_.find({key, op});
        if (it == plans_.end()) return;
        const int call = ++it->second.made;
        if (it->second.failing.empty() || it->second.failing.contains(call)) throw tree::errControlDeleted();
    }

private:
    struct Plan {
        std::set<int> failing;
        int made = 0;
    };
    std::map<std::pair<std::string, std::string>, Plan> plans_;
};

// A view of a real tree view whose nodes fail where the Faults say: reads and
// writes that the in-memory tree view never refuses on its own. Everything
// else goes to the real tree, so a test checks the outcome there.
class FaultyNode : public tree::TreeNode {
public:
    FaultyNode(rt::Ref<tree::TreeNode> inner, std::shared_ptr<Faults> faults)
        : inner_(std::move(inner)), faults_(std::move(faults)) {}

    static rt::Ref<tree::TreeNode> wrap(rt::Ref<tree::TreeNode> node, const std::shared_ptr<Faults>& faults) {
        if (!node) return nullptr;
        return rt::make<FaultyNode>(std::move(node), faults);
    }

    std::string Key() override { return checked("Key")->Key(); }
    std::string Text() override { return checked("Text")->Text(); }
    void setText(const std::string& text) override { inner_->setText(text); }
    rt::Variant Tag() override { return inner_->Tag(); }
    void setTag(const rt::Variant& tag) override { inner_->setTag(tag); }
    rt::Variant Image() override { return checked("Image")->Image(); }
    void setImage(const rt::Variant& image) override { checked("setImage")->setImage(image); }
    rt::Ref<tree::TreeNode> Child() override { return wrap(inner_->Child(), faults_); }
    rt::Ref<tree::TreeNode> Next() override { return wrap(checked("Next")->Next(), faults_); }
    rt::Ref<tree::TreeNode> Parent() override { return wrap(inner_->Parent(), faults_); }
    int32_t Children() override { return inner_->Children(); }
    int16_t Expanded() override { return inner_->Expanded(); }
    void setExpanded(int16_t expanded) override { inner_->setExpanded(expanded); }
    int16_t Selected() override { return inner_->Selected(); }
    void setSelected(int16_t selected) override { inner_->setSelected(selected); }

private:
    tree::TreeNode* checked(const std::string& op) {
        faults_->check(inner_->Key(), op);
        return inner_.get();
    }

    rt::Ref<tree::TreeNode> inner_;
    std::shared_ptr<Faults> faults_;
};

class FaultyNodes : public tree::TreeNodes {
public:
    FaultyNodes(rt::Ref<tree::TreeNodes> inner, std::shared_ptr<Faults> faults)
        : inner_(std::move(inner)), faults_(std::move(faults)) {}
    rt::Ref<tree::TreeNode> Item(const rt::Variant& indexOrKey) override {
        return FaultyNode::wrap(inner_->Item(indexOrKey), faults_);
    }
    int32_t Count() override { return inner_->Count(); }
    rt::Ref<tree::TreeNode> Add(const rt::Variant& relative, const rt::Variant& relationship, const rt::Variant& key,
                                const rt::Variant& text, const rt::Variant& image) override {
        return FaultyNode::wrap(inner_->Add(relative, relationship, key, text, image), faults_);
    }
    void Clear() override { inner_->Clear(); }

private:
    rt::Ref<tree::TreeNodes> inner_;
    std::shared_ptr<Faults> faults_;
};

class FaultyView : public tree::TreeView {
public:
    explicit FaultyView(rt::Ref<tree::TreeView> inner) : inner_(std::move(inner)) {}
    Faults& faults() { return *faults_; }

    rt::Ref<tree::TreeNodes> Nodes() override { return rt::make<FaultyNodes>(inner_->Nodes(), faults_); }
    rt::Ref<tree::ImageList> GetImageList() override { return inner_->GetImageList(); }
    void SetImageList(const rt::Ref<tree::ImageList>& list) override { inner_->SetImageList(list); }
    int32_t LabelEdit() override { return inner_->LabelEdit(); }
    void setLabelEdit(int32_t mode) override { inner_->setLabelEdit(mode); }
    rt::Ref<tree::TreeNode> HitTest(float x, float y) override {
        return FaultyNode::wrap(inner_->HitTest(x, y), faults_);
    }
    std::string ToolTipText() override { return inner_->ToolTipText(); }
    void setToolTipText(const std::string& text) override { inner_->setToolTipText(text); }
    int32_t advise(tree::TreeViewEvents* listener) override { return inner_->advise(listener); }
    void unadvise(int32_t cookie) override { inner_->unadvise(cookie); }

private:
    rt::Ref<tree::TreeView> inner_;
    std::shared_ptr<Faults> faults_ = std::make_shared<Faults>();
};

// The entries of a collection, each required to be a string.
Strings stringsIn(const rt::Ref<rt::Collection>& c) {
    Strings out;
    for (const auto& v : *c) {
        EXPECT_TRUE(v.isString()) << rt::describe(v);
        out.push_back(rt::toText(v));
    }
    return out;
}

// S1 holds an item of every kind of image key, in this order; CBon has a
// child of its own, and S2 is a second section.
class SectionTest : public ManagerTest {
protected:
    SectionTest() {
        addSection("S1");
        addItem("S1", "CBoff", TVSNodeStyle_CheckBoxoff, "A");
        addItem("S1", "CBon", TVSNodeStyle_CheckBoxOn, "B");
        addItem("S1", "OBoff", TVSNodeStyle_OptionButtonOff, "C");
        addItem("S1", "OBon", TVSNodeStyle_OptionButtonOn, "D");
        addItem("S1", "own", TVSNodeStyle_Default, "E");  // the host's own image key, "own"
        addItem("S1", "caps", TVSNodeStyle_CheckBoxoff, "F");
        setImage("caps", "CHKON");
        addItem("S1", "mixed", TVSNodeStyle_CheckBoxOn, "G");
        setImage("mixed", "ChkOff");
        addItem("S1", "none", TVSNodeStyle_CheckBoxOn, "H");
        setImage("none", "");
        addItem("S1", "pos", TVSNodeStyle_CheckBoxOn, "I");
        setImage("pos", int32_t{1});  // a position in the image list
        addItem("CBon", "grand", TVSNodeStyle_CheckBoxOn);
        addSection("S2");
        addItem("S2", "CBother", TVSNodeStyle_CheckBoxoff);
        addItem("S2", "OBother", TVSNodeStyle_OptionButtonOn);
        handler.clear();
        EXPECT_EQ(imagesUnder("S1"), initial);
    }

    // Puts S1's items back to their first image keys.
    void restoreS1() {
        const Strings keys{"CBoff", "CBon", "OBoff", "OBon", "own", "caps", "mixed", "none"};
        for (size_t i = 0; i < keys.size(); ++i) setImage(keys[i], initial[i]);
        setImage("pos", int32_t{1});
    }

    // Everything outside S1's own items, to check that it stays as it was.
    std::string outsideS1() {
        return imageOf("S1") + "|" + imageOf("grand") + "|" + imageOf("S2") + "|" + imageOf("CBother") + "|" +
               imageOf("OBother");
    }

    const Strings initial{"chkoff", "chkon", "optoff", "opton", "own", "CHKON", "ChkOff", "", "#1"};
    const Strings swapped{"chkon", "chkoff", "optoff", "opton", "own", "chkoff", "chkon", "", "#1"};
    const Strings allOn = Strings(9, "chkon");
    const Strings allOff = Strings(9, "chkoff");
};

// ---- CBSelectAll ----------------------------------------------------------

TEST_F(SectionTest, SelectAllFlagCombinations) {
    enum Effect { AllOn, AllOff, Swapped };
    struct Row {
        const char* name;
        std::optional<int16_t> bInverse;  // nullopt: left out
        std::optional<int16_t> bSelectAll;
        Effect effect;
    };
    const Row rows[] = {
        {"inverse 0, select -1", 0, -1, AllOn},
        {"inverse 0, select 1", 0, 1, AllOff},
        {"inverse 0, select 0", 0, 0, AllOff},
        {"inverse 0, select -2", 0, -2, AllOff},
        {"inverse omitted, select -1", std::nullopt, -1, AllOn},
        {"inverse omitted, select 1", std::nullopt, 1, AllOff},
        {"inverse omitted, select 0", std::nullopt, 0, AllOff},
        {"inverse omitted, select omitted", std::nullopt, std::nullopt, AllOff},
        {"inverse -1, select -1", -1, -1, Swapped},
        {"inverse -1, select 1", -1, 1, Swapped},
        {"inverse -1, select 0", -1, 0, Swapped},
        {"inverse -1, select omitted", -1, std::nullopt, Swapped},
        {"inverse 1, select -1", 1, -1, Swapped},
        {"inverse 1, select 1", 1, 1, Swapped},
        {"inverse 1, select 0", 1, 0, Swapped},
        {"inverse 1, select omitted", 1, std::nullopt, Swapped},
        {"inverse 5, select -1", 5, -1, Swapped},
        {"inverse 5, select 1", 5, 1, Swapped},
        {"inverse 5, select 0", 5, 0, Swapped},
        {"inverse 5, select omitted", 5, std::nullopt, Swapped},
    };
    const std::string before = outsideS1();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        restoreS1();

        int32_t result = 0;
        if (!row.bInverse && !row.bSelectAll)
            result = manager->CBSelectAll("S1");
        else if (!row.bInverse)
            result = manager->CBSelectAll("S1", *row.bSelectAll);
        else  // a left-out bSelectAll is False, which is what the call passes then
            result = manager->CBSelectAll("S1", row.bSelectAll.value_or(0), *row.bInverse);

        EXPECT_EQ(result, 9);
        EXPECT_EQ(imagesUnder("S1"), row.effect == AllOn ? allOn : row.effect == AllOff ? allOff : swapped);
        EXPECT_EQ(outsideS1(), before) << "the section node, grandchildren and other sections stay";
        EXPECT_TRUE(reports().empty());
    }
}

TEST_F(SectionTest, InvertingTwiceRestoresTheCheckBoxes) {
    manager->CBSelectAll("S1", 0, -1);
    manager->CBSelectAll("S1", 0, -1);
    EXPECT_EQ(imagesUnder("S1"),
              (Strings{"chkoff", "chkon", "optoff", "opton", "own", "chkon", "chkoff", "", "#1"}))
        << "keys in capitals come back in small letters";
}

TEST_F(SectionTest, SelectAllOnASectionWithoutItemsReturnsZeroSilently) {
    addSectionWith("S3", {});
    const std::string before = tree::treeAsText(*tv);
    EXPECT_EQ(manager->CBSelectAll("S3", -1), 0);
    EXPECT_EQ(manager->CBSelectAll("S3", 0, -1), 0);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(tree::treeAsText(*tv), before);
}

TEST_F(SectionTest, SelectAllOnASectionThatCannotBeAddressedMakesThreeReports) {
    struct Row {
        const char* name;
        bool bound;
        std::string section;
        std::vector<int32_t> numbers;
    };
    const Row rows[] = {
        {"a key that no node bears", true, "nope", {tree::errnum::ElementNotFound, 91, 91}},
        {"no tree bound", false, "S1", {91, 91, 91}},
    };
    const std::string before = tree::treeAsText(*tv);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        manager->setTreeViewObject(row.bound ? rt::ObjectRef(tv) : nullptr);
        handler.clear();
        EXPECT_EQ(manager->CBSelectAll(row.section, -1), 0);
        EXPECT_EQ(manager->CBSelectAll(row.section, 0, -1), 0);
        std::vector<int32_t> twice = row.numbers;
        twice.insert(twice.end(), row.numbers.begin(), row.numbers.end());
        EXPECT_EQ(reports(), reportsAt(SelectAllSite, twice));
        EXPECT_EQ(tree::treeAsText(*tv), before);
    }
}

TEST_F(SectionTest, ARefusedImageKeyIsReportedPerItemAndTheWalkGoesOn) {
    // A list that holds only the "chkoff" picture, or no list at all.
    auto onlyOff = rt::make<tree::ImageList>();
    onlyOff->ListImages()->Add(rt::Missing{}, "chkoff", tv->GetImageList()->ListImages()->pictureFor("chkoff"));
    constexpr int32_t NotFound = tree::errnum::ElementNotFound;
    constexpr int32_t NoList = tree::errnum::ImageListNotInitialized;
    struct Row {
        const char* name;
        rt::Ref<tree::ImageList> list;
        int16_t bSelectAll, bInverse;
        Strings images;
        std::vector<int32_t> numbers;
    };
    const Row rows[] = {
        {"switching on without the on picture", onlyOff, -1, 0, initial, std::vector<int32_t>(9, NotFound)},
        {"switching off with the off picture", onlyOff, 0, 0, allOff, {}},
        {"inverting without the on picture",
         onlyOff,
         0,
         -1,
         {"chkoff", "chkoff", "optoff", "opton", "own", "chkoff", "ChkOff", "", "#1"},
         {NotFound, NotFound}},
        {"switching off without any list", nullptr, 0, 0, initial, std::vector<int32_t>(9, NoList)},
    };
    auto fullList = tv->GetImageList();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        restoreS1();
        tv->SetImageList(row.list);
        handler.clear();

        EXPECT_EQ(manager->CBSelectAll("S1", row.bSelectAll, row.bInverse), 9);

        tv->SetImageList(fullList);
        EXPECT_EQ(imagesUnder("S1"), row.images);
        EXPECT_EQ(reports(), reportsAt(SelectAllSite, row.numbers));
    }
}

// Reads and writes that fail one at a time, through a faulty view of the
// tree: items a ("optoff") and b ("chkoff") of section F, inverted.
TEST_F(ManagerTest, InvertCountsAFailedReadAsAMatch) {
    struct Row {
        const char* name;
        std::string key, op;
        std::set<int> calls;  // empty: every call fails
        Strings images;       // of a and b afterwards
        size_t reportCount;
    };
    const Row rows[] = {
        {"no failure", "", "", {}, {"optoff", "chkon"}, 0},
        {"first read fails: goes on to switch off", "a", "Image", {1}, {"chkoff", "chkon"}, 1},
        {"second read fails: goes on to switch on", "a", "Image", {2}, {"chkon", "chkon"}, 1},
        {"every read fails: the first failure decides", "a", "Image", {}, {"chkoff", "chkon"}, 1},
        {"the write fails: a stays, b still swaps", "b", "setImage", {}, {"optoff", "chkoff"}, 1},
        {"a failed Next: a is examined again and b never", "a", "Next", {1}, {"optoff", "chkoff"}, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        manager->Refresh();
        manager->setTreeViewObject(tv);
        addSectionWith("F", {{"a", TVSNodeStyle_OptionButtonOff}, {"b", TVSNodeStyle_CheckBoxoff}});
        auto faulty = rt::make<FaultyView>(tv);
        if (!row.key.empty()) faulty->faults().plan(row.key, row.op, row.calls);
        manager->setTreeViewObject(faulty);

        EXPECT_EQ(manager->CBSelectAll("F", 0, -1), 2);

        EXPECT_EQ(imagesUnder("F"), row.images);
        EXPECT_EQ(reports(), reportsAt(SelectAllSite, std::vector<int32_t>(row.reportCount, FaultNumber)));
    }
}

// ---- QueryNodeCollection --------------------------------------------------

class QueryTest : public ManagerTest {
protected:
    // The section of the usual example: a check box that is on (A, k1), an
    // option button that is off (B, k2) and a check box that is off (C, k3).
    QueryTest() {
        addSection("Q");
        addItem("Q", "k1", TVSNodeStyle_CheckBoxOn, "A");
        addItem("Q", "k2", TVSNodeStyle_OptionButtonOff, "B");
        addItem("Q", "k3", TVSNodeStyle_CheckBoxoff, "C");
        addItem("k1", "grand", TVSNodeStyle_CheckBoxOn, "G");
        handler.clear();
    }
    Strings texts() { return stringsIn(manager->QueryNodeTextCollection()); }
    Strings keys() { return stringsIn(manager->QueryNodeKeysCollection()); }
};

TEST_F(QueryTest, StatesFollowTheRequestedKindWhileTextsAndKeysTakeEveryItem) {
    struct Row {
        const char* name;
        std::optional<int32_t> prefix;  // nullopt: left out
        Strings states;
    };
    const Row rows[] = {
        {"prefix omitted: check boxes", std::nullopt, {"True", "False"}},
        {"TVSNodeType_CB", TVSNodeType_CB, {"True", "False"}},
        {"TVSNodeType_OB", TVSNodeType_OB, {"False"}},
        {"prefix 0", 0, {}},
        {"prefix 3", 3, {}},
        {"prefix -1", -1, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        manager->setQueryNodeTextCollection(nullptr);
        manager->setQueryNodeKeysCollection(nullptr);

        auto result = row.prefix ? manager->QueryNodeCollection("Q", *row.prefix) : manager->QueryNodeCollection("Q");

        ASSERT_TRUE(result) << "never nothing";
        EXPECT_EQ(stringsIn(result), row.states);
        EXPECT_EQ(texts(), (Strings{"A", "B", "C"}));
        EXPECT_EQ(keys(), (Strings{"k1", "k2", "k3"}));
        EXPECT_TRUE(reports().empty());
    }
}

TEST_F(QueryTest, EachCallAppendsToTheManagerCollectionsAndReturnsANewList) {
    auto first = manager->QueryNodeCollection("Q");
    auto second = manager->QueryNodeCollection("Q", TVSNodeType_OB);
    EXPECT_EQ(stringsIn(first), (Strings{"True", "False"})) << "the first list is the caller's and stays";
    EXPECT_EQ(stringsIn(second), (Strings{"False"}));
    EXPECT_FALSE(rt::sameObject(first, second));
    EXPECT_EQ(texts(), (Strings{"A", "B", "C", "A", "B", "C"}));
    EXPECT_EQ(keys(), (Strings{"k1", "k2", "k3", "k1", "k2", "k3"}));
}

TEST_F(QueryTest, AppendsToCollectionsThatTheHostSet) {
    auto ownTexts = rt::make<rt::Collection>();
    ownTexts->Add("mine", std::string("k"));
    manager->setQueryNodeTextCollection(ownTexts);
    manager->QueryNodeCollection("Q");
    EXPECT_TRUE(rt::sameObject(manager->QueryNodeTextCollection(), ownTexts));
    EXPECT_EQ(stringsIn(ownTexts), (Strings{"mine", "A", "B", "C"}));
}

TEST_F(SectionTest, QueryTellsKindsByImageKeyAloneWithoutRegardToCase) {
    // Item keys CBoff/OBoff... carry prefixes; only the image keys count:
    // CBoff chkoff, CBon chkon, OBoff optoff, OBon opton, own, CHKON, ChkOff,
    // no image, a list position.
    setImage("OBoff", "OPTOFF");
    EXPECT_EQ(stringsIn(manager->QueryNodeCollection("S1")), (Strings{"False", "True", "True", "False"}));
    EXPECT_EQ(stringsIn(manager->QueryNodeCollection("S1", TVSNodeType_OB)), (Strings{"False", "True"}));
    setImage("CBoff", "opton");
    EXPECT_EQ(stringsIn(manager->QueryNodeCollection("S1", TVSNodeType_OB)), (Strings{"True", "False", "True"}))
        << "a CB key showing an option button counts as an option button";
    EXPECT_EQ(manager->QueryNodeKeysCollection()->Count(), 27);
    EXPECT_TRUE(reports().empty());
}

TEST_F(QueryTest, DuplicateTextsEachKeepTheirEntry) {
    addSection("D");
    addItem("D", "d1", TVSNodeStyle_CheckBoxOn, "Same");
    addItem("D", "d2", TVSNodeStyle_CheckBoxOn, "Same");
    EXPECT_EQ(stringsIn(manager->QueryNodeCollection("D")), (Strings{"True", "True"}));
    EXPECT_EQ(texts(), (Strings{"Same", "Same"}));
    EXPECT_EQ(keys(), (Strings{"d1", "d2"}));
}

TEST_F(QueryTest, ASectionThatCannotBeAddressedLeavesTheCollectionsAlone) {
    struct Row {
        const char* name;
        bool bound;
        std::string section;
        std::vector<int32_t> numbers;
    };
    const Row rows[] = {
        {"a key that no node bears", true, "nope", {tree::errnum::ElementNotFound, 91, 91}},
        {"no tree bound", false, "Q", {91, 91, 91}},
        {"a section without items", true, "empty", {}},
    };
    addSection("empty");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        manager->setTreeViewObject(row.bound ? rt::ObjectRef(tv) : nullptr);
        auto ownTexts = rt::make<rt::Collection>();
        auto ownKeys = rt::make<rt::Collection>();
        ownTexts->Add("t");
        ownKeys->Add("k");
        manager->setQueryNodeTextCollection(ownTexts);
        manager->setQueryNodeKeysCollection(ownKeys);
        handler.clear();

        auto result = manager->QueryNodeCollection(row.section);

        ASSERT_TRUE(result) << "an empty collection, not nothing";
        EXPECT_EQ(result->Count(), 0);
        EXPECT_EQ(reports(), reportsAt(QuerySite, row.numbers));
        EXPECT_TRUE(rt::sameObject(manager->QueryNodeTextCollection(), ownTexts));
        EXPECT_TRUE(rt::sameObject(manager->QueryNodeKeysCollection(), ownKeys));
        EXPECT_EQ(stringsIn(ownTexts), Strings{"t"});
        EXPECT_EQ(stringsIn(ownKeys), Strings{"k"});

        // With no collections set, nothing is appended to the ones that a
        // later read creates.
        manager->setQueryNodeTextCollection(nullptr);
        manager->setQueryNodeKeysCollection(nullptr);
        manager->QueryNodeCollection(row.section);
        EXPECT_EQ(texts(), Strings{});
        EXPECT_EQ(keys(), Strings{});
    }
}

TEST_F(QueryTest, AfterRefreshTheNextQueryStartsAfresh) {
    manager->QueryNodeCollection("Q");
    auto before = manager->QueryNodeTextCollection();
    manager->Refresh();
    manager->setTreeViewObject(tv);
    addSectionWith("R", {{"r1", TVSNodeStyle_CheckBoxoff}});

    EXPECT_EQ(stringsIn(manager->QueryNodeCollection("R")), Strings{"False"});
    EXPECT_FALSE(rt::sameObject(manager->QueryNodeTextCollection(), before));
    EXPECT_EQ(texts(), Strings{"Item"});
    EXPECT_EQ(keys(), Strings{"r1"});
    EXPECT_TRUE(reports().empty());
}

// Items a ("optoff", text A) and b ("chkon", text B) of section F, queried
// for check boxes through a faulty view of the tree.
TEST_F(ManagerTest, QueryReportsFailedReadsAndGoesOn) {
    struct Row {
        const char* name;
        std::string key, op;
        std::set<int> calls;  // empty: every call fails
        Strings states, texts, keys;
        size_t reportCount;
    };
    const Row rows[] = {
        {"no failure", "", "", {}, {"True"}, {"A", "B"}, {"a", "b"}, 0},
        {"first comparison fails: appends True", "a", "Image", {1}, {"True", "True"}, {"A", "B"}, {"a", "b"}, 1},
        {"second comparison fails: appends False", "a", "Image", {2}, {"False", "True"}, {"A", "B"}, {"a", "b"}, 1},
        {"text read fails", "a", "Text", {}, {"True"}, {"B"}, {"a", "b"}, 1},
        {"key read fails", "b", "Key", {}, {"True"}, {"A", "B"}, {"a"}, 1},
        {"Next fails once: a is taken again, b never", "a", "Next", {1}, {}, {"A", "A"}, {"a", "a"}, 1},
        {"Next always fails: every pass takes a", "a", "Next", {}, {}, {"A", "A"}, {"a", "a"}, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        manager->Refresh();
        manager->setTreeViewObject(tv);
        addSection("F");
        addItem("F", "a", TVSNodeStyle_OptionButtonOff, "A");
        addItem("F", "b", TVSNodeStyle_CheckBoxOn, "B");
        handler.clear();
        auto faulty = rt::make<FaultyView>(tv);
        if (!row.key.empty()) faulty->faults().plan(row.key, row.op, row.calls);
        manager->setTreeViewObject(faulty);

        auto result = manager->QueryNodeCollection("F");

        EXPECT_EQ(stringsIn(result), row.states);
        EXPECT_EQ(stringsIn(manager->QueryNodeTextCollection()), row.texts);
        EXPECT_EQ(stringsIn(manager->QueryNodeKeysCollection()), row.keys);
        EXPECT_EQ(reports(), reportsAt(QuerySite, std::vector<int32_t>(row.reportCount, FaultNumber)));
    }
}

// ---- The counter limit ----------------------------------------------------

// One section "BIG" of 32767 check boxes, the most that a walk can count,
// built once directly on a tree view and shared by the cases below.
rt::Ref<tree::MemoryTreeView> bigTree() {
    static const rt::Ref<tree::MemoryTreeView> big = [] {
        auto t = rt::make<tree::MemoryTreeView>();
        t->SetImageList(rt::make<frmKwAmbrTvsA>()->imlCheckunCheckBox);
        auto nodes = t->Nodes();
        nodes->Add(rt::Missing{}, rt::Missing{}, "BIG", "big", rt::Empty{});
        for (int32_t i = 1; i <= 32767; ++i)
            nodes->Add("BIG", int32_t{tree::tvwChild}, "CB" + std::to_string(i), "t" + std::to_string(i),
                       i % 2 ? "chkoff" : "chkon");
        return t;
    }();
    return big;
}

TEST_F(ManagerTest, SelectAllProcessesAll32767ItemsThenReportsTheOverflow) {
    auto big = bigTree();
    manager->setTreeViewObject(big);

    EXPECT_EQ(manager->CBSelectAll("BIG", -1), 32767);

    EXPECT_EQ(reports(), reportsAt(SelectAllSite, {rt::errnum::Overflow}));
    int32_t on = 0, seen = 0;
    std::string lastKey;
    for (auto item = big->Nodes()->Item("BIG")->Child(); item; item = item->Next(), ++seen) {
        on += tree::imageText(item->Image()) == "chkon";
        lastKey = item->Key();
    }
    EXPECT_EQ(seen, 32767);
    EXPECT_EQ(on, 32767);
    EXPECT_EQ(lastKey, "CB32767");
}

TEST_F(ManagerTest, QueryProcessesAll32767ItemsThenReportsTheOverflow) {
    manager->setTreeViewObject(bigTree());

    auto result = manager->QueryNodeCollection("BIG");

    EXPECT_EQ(reports(), reportsAt(QuerySite, {rt::errnum::Overflow}));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->Count(), 32767) << "every item is a check box, on or off";
    auto texts = manager->QueryNodeTextCollection();
    auto keys = manager->QueryNodeKeysCollection();
    ASSERT_EQ(texts->Count(), 32767);
    ASSERT_EQ(keys->Count(), 32767);
    EXPECT_EQ(rt::toText(texts->Item(int32_t{32767})), "t32767");
    EXPECT_EQ(rt::toText(keys->Item(int32_t{32767})), "CB32767");
}

}  // namespace
}  // namespace Sarn10B::test
