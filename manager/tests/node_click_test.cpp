// A click on a node of the bound tree view: what it records about the node,
// the tool tip, and how "CB" and "OB" items change their image keys.
#include "manager/tests/manager_fixture.h"

namespace Sarn10B::test {
namespace {

constexpr const char* Site = "czAmbrTVS.oTV_NodeClick";


class NodeClickTest : public ManagerTest {
protected:
    // Makes a picture of the host's own available under key in the tree's list.
    void addOwnPicture(const std::string& key) {
        tv->GetImageList()->ListImages()->Add(rt::Missing{}, key, somePicture());
    }
    // A node added straight on the tree view: its tag stays empty and its key
    // may be empty too.
    rt::Ref<tree::TreeNode> addRaw(const std::string& parent, const std::string& key, const std::string& image) {
        return tv->Nodes()->Add(parent, tree::tvwChild, key, "raw", image);
    }
    std::string tree() { return tree::treeAsText(*tv); }
};


TEST_F(NodeClickTest, CheckBoxItemToggles) {
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff}, {"CBb", TVSNodeStyle_CheckBoxOn}});
    addOwnPicture("mine");
    struct Row {
        const char* name;
        rt::Variant before;
        const char* after;
    };
    const Row rows[] = {
        {"chkoff turns on", "chkoff", "chkon"},
        {"chkoff in capitals turns on", "CHKOFF", "chkon"},
        {"chkon turns off", "chkon", "chkoff"},
        {"optoff turns off", "optoff", "chkoff"},
        {"opton turns off", "opton", "chkoff"},
        {"no image turns off", rt::Variant(), "chkoff"},
        {"host's own key turns off", "mine", "chkoff"},
        {"the section's own picture turns off", "S1", "chkoff"},
        {"a list position turns off", rt::Variant(int32_t{1}), "chkoff"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        setImage("CBa", row.before);
        tv->clickNode("CBa");
        EXPECT_EQ(imageOf("CBa"), row.after);
        EXPECT_EQ(imageOf("CBb"), "chkon") << "a check box changes alone";
        EXPECT_EQ(imageOf("S1"), "S1");
    }
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(NodeClickTest, SecondClickTurnsACheckBoxBackOff) {
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff}});
    tv->clickNode("CBa");
    EXPECT_EQ(imageOf("CBa"), "chkon");
    tv->clickNode("CBa");
    EXPECT_EQ(imageOf("CBa"), "chkoff");
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(NodeClickTest, PrefixesInSmallLettersActLikeCapitals) {
    addSectionWith("S1", {{"cbLower", TVSNodeStyle_CheckBoxoff},
                          {"obLower", TVSNodeStyle_OptionButtonOff},
                          {"OBupper", TVSNodeStyle_OptionButtonOn},
                          {"oBmixed", TVSNodeStyle_OptionButtonOn}});
    tv->clickNode("cbLower");
    EXPECT_EQ(imagesUnder("S1"), (Strings{"chkon", "optoff", "opton", "opton"}));
    tv->clickNode("obLower");
    EXPECT_EQ(imagesUnder("S1"), (Strings{"chkon", "opton", "optoff", "optoff"}));
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(NodeClickTest, KeysWithoutCheckBoxOrOptionPrefixChangeNothing) {
    addSectionWith("S1", {{"XYz", TVSNodeStyle_CheckBoxoff},
                          {"C", TVSNodeStyle_CheckBoxoff},
                          {"O", TVSNodeStyle_OptionButtonOff},
                          {"BCreversed", TVSNodeStyle_CheckBoxoff},
                          {"OBsibling", TVSNodeStyle_OptionButtonOn}});
    auto keyless = addRaw("S1", "", "chkoff");
    const std::string before = tree();
    struct Row {
        const char* name;
        rt::Ref<tree::TreeNode> node;
    };
    const Row rows[] = {
        {"other prefix", node("XYz")},
        {"one character c", node("C")},
        {"one character o", node("O")},
        {"letters reversed", node("BCreversed")},
        {"empty key", keyless},
        {"section node", node("S1")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        tv->clickNode(row.node);
        EXPECT_EQ(tree(), before);
    }
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(NodeClickTest, OptionClickSwitchesOnlyOptionSiblings) {
    // A on, B off, check box C on, plain node D with its own picture.
    addSectionWith("S1", {{"OBa", TVSNodeStyle_OptionButtonOn},
                          {"OBb", TVSNodeStyle_OptionButtonOff},
                          {"CBc", TVSNodeStyle_CheckBoxOn}});
    manager->AddNode({.sRelative = "S1", .sRelationship = tree::tvwChild, .sKey = "Dplain", .sText = "D",
                      .enumTVSNodeStyle = TVSNodeStyle_Default});
    handler.clear();
    tv->clickNode("OBb");
    EXPECT_EQ(imagesUnder("S1"), (Strings{"optoff", "opton", "chkon", "Dplain"}));
    EXPECT_EQ(imageOf("S1"), "S1");
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(NodeClickTest, ClickingAnOptionThatIsOnKeepsItOn) {
    addSectionWith("S1", {{"OBa", TVSNodeStyle_OptionButtonOn},
                          {"OBb", TVSNodeStyle_OptionButtonOff},
                          {"OBc", TVSNodeStyle_OptionButtonOn}});
    tv->clickNode("OBa");
    EXPECT_EQ(imagesUnder("S1"), (Strings{"opton", "optoff", "optoff"}));
    tv->clickNode("OBa");
    EXPECT_EQ(imagesUnder("S1"), (Strings{"opton", "optoff", "optoff"}));
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(NodeClickTest, OptionSiblingWithHostsOwnPictureIsSwitchedOff) {
    addSectionWith("S1", {{"OBa", TVSNodeStyle_OptionButtonOff}, {"OBb", TVSNodeStyle_OptionButtonOff}});
    addOwnPicture("mine");
    setImage("OBa", "mine");
    setImage("OBb", rt::Variant());
    tv->clickNode("OBb");
    EXPECT_EQ(imagesUnder("S1"), (Strings{"optoff", "opton"}));
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(NodeClickTest, OptionClickLeavesGrandchildrenAndOtherSectionsAlone) {
    addSectionWith("S1", {{"OBa", TVSNodeStyle_OptionButtonOn}, {"OBb", TVSNodeStyle_OptionButtonOff}});
    addItem("OBa", "OBgrand", TVSNodeStyle_OptionButtonOn);
    addSectionWith("S2", {{"OBx", TVSNodeStyle_OptionButtonOn}, {"OBy", TVSNodeStyle_OptionButtonOff}});
    tv->clickNode("OBb");
    EXPECT_EQ(imagesUnder("S1"), (Strings{"optoff", "opton"}));
    EXPECT_EQ(imageOf("OBgrand"), "opton");
    EXPECT_EQ(imagesUnder("S2"), (Strings{"opton", "optoff"}));
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(NodeClickTest, ClickRecordsTagAndChildCount) {
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff},
                          {"CBb", TVSNodeStyle_CheckBoxoff},
                          {"XYplain", TVSNodeStyle_CheckBoxoff}});
    addItem("CBb", "CBgrand", TVSNodeStyle_CheckBoxoff);
    auto untagged = addRaw("S1", "CBraw", "chkoff");
    node("S1")->setTag(rt::Variant("section tag"));
    node("CBa")->setTag(rt::Variant("bold"));
    node("CBb")->setTag(rt::Variant(int32_t{42}));
    node("XYplain")->setTag(rt::Variant(2.5));
    handler.clear();
    struct Row {
        const char* name;
        rt::Ref<tree::TreeNode> node;
        const char* tag;
        int32_t children;
    };
    const Row rows[] = {
        {"section: its items", node("S1"), "section tag", 4},
        {"text tag", node("CBa"), "bold", 0},
        {"whole-number tag as text", node("CBb"), "42", 1},
        {"fraction tag as text", node("XYplain"), "2.5", 0},
        {"node without tag", untagged, "", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        manager->setTag("stale");
        manager->setNodeChildren(-7);
        tv->clickNode(row.node);
        EXPECT_EQ(manager->Tag(), row.tag);
        EXPECT_EQ(manager->NodeChildren(), row.children);
    }
    EXPECT_EQ(imageOf("S1"), "S1") << "a section click changes no image";
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(NodeClickTest, TagGoesToToolTipOnlyWhenExactlyTrue) {
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff}});
    auto untagged = addRaw("S1", "CBraw", "chkoff");
    node("CBa")->setTag(rt::Variant("bold"));
    struct Row {
        const char* name;
        int16_t tagInToolTip;
        rt::Ref<tree::TreeNode> node;
        const char* toolTip;
    };
    const Row rows[] = {
        {"True shows the tag", rt::True16, node("CBa"), "bold"},
        {"True and no tag shows nothing", rt::True16, untagged, ""},
        {"1 is not True", 1, node("CBa"), "before"},
        {"False leaves it", rt::False16, node("CBa"), "before"},
        {"False and no tag leaves it", rt::False16, untagged, "before"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        tv->setToolTipText("before");
        manager->setTaginToolTip(row.tagInToolTip);
        tv->clickNode(row.node);
        EXPECT_EQ(tv->ToolTipText(), row.toolTip);
    }
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(NodeClickTest, NullTagIsReportedAndThePreviousTagStays) {
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff}, {"CBb", TVSNodeStyle_CheckBoxoff}});
    addItem("CBb", "CBgrand", TVSNodeStyle_CheckBoxoff);
    node("CBa")->setTag(rt::Variant("previous"));
    node("CBb")->setTag(rt::Variant(rt::Null{}));
    manager->setTaginToolTip(rt::True16);
    tv->clickNode("CBa");
    tv->setToolTipText("cleared");
    handler.clear();

    tv->clickNode("CBb");

    EXPECT_EQ(reports(), reportsAt(Site, {rt::errnum::InvalidNull}));
    EXPECT_EQ(manager->Tag(), "previous");
    EXPECT_EQ(tv->ToolTipText(), "previous") << "the tool tip shows the tag kept from before";
    EXPECT_EQ(manager->NodeChildren(), 1) << "the handler goes on";
    EXPECT_EQ(imageOf("CBb"), "chkon");
}

TEST_F(NodeClickTest, TreeViewWithoutToolTipIsReportedAndTheClickStillActs) {
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff}});
    node("CBa")->setTag(rt::Variant("bold"));
    tv->setOffersToolTipText(false);

    manager->setTaginToolTip(rt::False16);
    tv->clickNode("CBa");
    EXPECT_EQ(reports(), std::vector<Report>{}) << "without True the tool tip is not touched";
    EXPECT_EQ(imageOf("CBa"), "chkon");

    manager->setTaginToolTip(rt::True16);
    tv->clickNode("CBa");
    EXPECT_EQ(reports(), reportsAt(Site, {rt::errnum::NoSuchMember}));
    EXPECT_EQ(manager->Tag(), "bold");
    EXPECT_EQ(manager->NodeChildren(), 0);
    EXPECT_EQ(imageOf("CBa"), "chkoff");
}

TEST_F(NodeClickTest, RefusedCheckBoxKeyIsReportedAndTheImageStays) {
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff}});
    struct Row {
        const char* name;
        rt::Ref<tree::ImageList> list;
        int32_t number;
    };
    const Row rows[] = {
        {"no image list", nullptr, tree::errnum::ImageListNotInitialized},
        {"list lacks chkon", listWith({"chkoff", "optoff", "opton"}), tree::errnum::ElementNotFound},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        handler.clear();
        tv->SetImageList(row.list);
        tv->clickNode("CBa");
        EXPECT_EQ(reports(), reportsAt(Site, {row.number}));
        EXPECT_EQ(imageOf("CBa"), "chkoff");
    }
}

TEST_F(NodeClickTest, RefusedOptionKeysAreEachReportedAndTheWalkGoesOn) {
    addSectionWith("S1", {{"OBa", TVSNodeStyle_OptionButtonOn},
                          {"CBb", TVSNodeStyle_CheckBoxOn},
                          {"OBc", TVSNodeStyle_OptionButtonOff},
                          {"OBd", TVSNodeStyle_OptionButtonOn}});
    const auto list = tv->GetImageList();
    constexpr int32_t NoList = tree::errnum::ImageListNotInitialized;
    constexpr int32_t Lacks = tree::errnum::ElementNotFound;
    struct Row {
        const char* name;
        rt::Ref<tree::ImageList> list;
        std::vector<int32_t> numbers;
        Strings after;
    };
    const Row rows[] = {
        // Three "OB" siblings, the clicked one among them, then the final "opton".
        {"no image list", nullptr, {NoList, NoList, NoList, NoList}, {"opton", "chkon", "optoff", "opton"}},
        {"list lacks both option keys", listWith({"chkoff", "chkon"}), {Lacks, Lacks, Lacks, Lacks},
         {"opton", "chkon", "optoff", "opton"}},
        {"list lacks optoff only", listWith({"chkoff", "chkon", "opton"}), {Lacks, Lacks, Lacks},
         {"opton", "chkon", "opton", "opton"}},
        {"list lacks opton only", listWith({"chkoff", "chkon", "optoff"}), {Lacks},
         {"optoff", "chkon", "optoff", "optoff"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        tv->SetImageList(list);
        setImage("OBa", "opton");
        setImage("OBc", "optoff");
        setImage("OBd", "opton");
        handler.clear();
        tv->SetImageList(row.list);
        tv->clickNode("OBc");
        EXPECT_EQ(reports(), reportsAt(Site, row.numbers));
        EXPECT_EQ(imagesUnder("S1"), row.after);
    }
}

TEST_F(NodeClickTest, OptionAtTheRootIsReportedOnceAndSwitchedOn) {
    manager->AddNode({.sKey = "OBroot", .sText = "root", .enumTVSNodeStyle = TVSNodeStyle_OptionButtonOff});
    manager->AddNode({.sKey = "OBother", .sText = "other root", .enumTVSNodeStyle = TVSNodeStyle_OptionButtonOn});
    handler.clear();
    tv->clickNode("OBroot");
    EXPECT_EQ(reports(), reportsAt(Site, {rt::errnum::ObjectNotSet}));
    EXPECT_EQ(imageOf("OBroot"), "opton");
    EXPECT_EQ(imageOf("OBother"), "opton") << "no sibling walk at the root";
}

// Attached before the manager: empties the tree on every click, so the
// manager's handler then finds the clicked node gone.
class ClearingListener : public tree::TreeViewEvents {
public:
    explicit ClearingListener(rt::Ref<tree::TreeView> tv) : tv_(std::move(tv)), cookie_(tv_->advise(this)) {}
    ~ClearingListener() { tv_->unadvise(cookie_); }
    ClearingListener(const ClearingListener&) = delete;
    ClearingListener& operator=(const ClearingListener&) = delete;

    void NodeClick(const rt::Ref<tree::TreeNode>&) override { tv_->Nodes()->Clear(); }
    void KeyDown(int16_t&, int16_t&) override {}
    void KeyUp(int16_t&, int16_t&) override {}
    void MouseMove(int16_t&, int16_t&, float&, float&) override {}

private:
    rt::Ref<tree::TreeView> tv_;
    int32_t cookie_;
};

TEST_F(NodeClickTest, NodeGoneBeforeTheHandlerRunsTheCheckBoxStepsAndReportsEach) {
    constexpr int32_t Gone = tree::errnum::ControlDeleted;
    for (const char* clicked : {"OBa", "CBb", "S1"}) {
        SCOPED_TRACE(clicked);
        manager->setTreeViewObject(tv);
        addSectionWith("S1", {{"OBa", TVSNodeStyle_OptionButtonOff}, {"CBb", TVSNodeStyle_CheckBoxoff}});
        manager->setTreeViewObject(nullptr);
        ClearingListener clearing(tv);
        manager->setTreeViewObject(tv);
        manager->setTag("before");
        manager->setNodeChildren(-7);

        tv->clickNode(clicked);

        // Tag, Children, the key of the first test, then the "CB" branch:
        // its image test and its set.
        EXPECT_EQ(reports(), reportsAt(Site, {Gone, Gone, Gone, Gone, Gone}));
        EXPECT_EQ(manager->Tag(), "before");
        EXPECT_EQ(manager->NodeChildren(), -7);
        EXPECT_EQ(tv->Nodes()->Count(), 0);
        manager->setTreeViewObject(nullptr);  // before the listener goes
    }
}

TEST_F(NodeClickTest, WhileAKeyIsDownClicksRecordButChangeNoImage) {
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff},
                          {"OBb", TVSNodeStyle_OptionButtonOff},
                          {"OBc", TVSNodeStyle_OptionButtonOn}});
    addItem("CBa", "CBgrand", TVSNodeStyle_CheckBoxoff);
    node("CBa")->setTag(rt::Variant("bold"));
    node("OBb")->setTag(rt::Variant("option"));
    manager->setTaginToolTip(rt::True16);
    handler.clear();
    const std::string before = tree();

    tv->pressKey(16, 0);
    tv->clickNode("CBa");
    EXPECT_EQ(manager->Tag(), "bold");
    EXPECT_EQ(manager->NodeChildren(), 1);
    EXPECT_EQ(tv->ToolTipText(), "bold");
    tv->clickNode("OBb");
    EXPECT_EQ(manager->Tag(), "option");
    EXPECT_EQ(manager->NodeChildren(), 0);
    EXPECT_EQ(tv->ToolTipText(), "option");
    EXPECT_EQ(tree(), before) << "no image key changes while the key is down";

    tv->releaseKey(16, 0);
    tv->clickNode("CBa");
    tv->clickNode("OBb");
    EXPECT_EQ(imagesUnder("S1"), (Strings{"chkon", "opton", "optoff"}));
    EXPECT_EQ(reports(), std::vector<Report>{});
}

}  // namespace
}  // namespace Sarn10B::test
