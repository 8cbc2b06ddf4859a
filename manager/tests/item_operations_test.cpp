// The operations on one item addressed by section and item key: the two
// writers CBSetStyle and OBSetStyle, the readers GetTVSNodeStyle,
// CBOBGetState and NodeGetText, and OBSelectIndex.
#include <functional>

#include "manager/tests/manager_fixture.h"
#include "runtime/text.h"

namespace Sarn10B::test {
namespace {



// One of the five operations, called with a section and item key; its
// result as text, so that one table covers all five.
struct Operation {
    const char* name;
    std::string site;
    std::function<std::string(clsKwAmbrTvsA&, const std::string&, const std::string&)> call;
    std::string startingResult;
};

const std::vector<Operation>& fiveOperations() {
    static const std::vector<Operation> ops{
        {"CBSetStyle", "czAmbrTVS.CBSetStyle",
         [](clsKwAmbrTvsA& m, const std::string& s, const std::string& k) {
             return std::to_string(m.CBSetStyle(s, k, TVSNodeStyle_CheckBoxOn));
         },
         "0"},
        {"OBSetStyle", "czAmbrTVS.OBSetStyle",
         [](clsKwAmbrTvsA& m, const std::string& s, const std::string& k) {
             return std::to_string(m.OBSetStyle(s, k, TVSNodeStyle_OptionButtonOn));
         },
         "0"},
        {"GetTVSNodeStyle", "czAmbrTVS.GetTVSNodeStyle",
         [](clsKwAmbrTvsA& m, const std::string& s, const std::string& k) {
             return std::to_string(m.GetTVSNodeStyle(s, k));
         },
         "0"},
        {"CBOBGetState", "czAmbrTVS.CBOBGetState",
         [](clsKwAmbrTvsA& m, const std::string& s, const std::string& k) {
             return std::to_string(m.CBOBGetState(s, k));
         },
         "0"},
        {"NodeGetText", "czAmbrTVS.NodeGetText",
         [](clsKwAmbrTvsA& m, const std::string& s, const std::string& k) { return m.NodeGetText(s, k); }, ""},
    };
    return ops;
}

class ItemOperationsTest : public ManagerTest {
protected:
    void addOwnPicture(const std::string& key) {
        tv->GetImageList()->ListImages()->Add(rt::Missing{}, key, somePicture());
    }
    void addPlainItem(const std::string& section, const std::string& key) {
        manager->AddNode({.sRelative = section, .sRelationship = tree::tvwChild, .sKey = key, .sText = "Plain",
                          .enumTVSNodeStyle = TVSNodeStyle_Default});
        handler.clear();
    }
    // Sets the images of a section's items in sibling order.
    void setImagesUnder(const std::string& section, const Strings& images) {
        auto item = node(section)->Child();
        for (const auto& image : images) {
            item->setImage(image);
            item = item->Next();
        }
    }
    std::string tree() { return tree::treeAsText(*tv); }
};

TEST_F(ItemOperationsTest, CBSetStyleWritesTheKeyOfItsStyleOntoTheItemAlone) {
    // The item is an option button showing "optoff": the prefix is not consulted.
    addSectionWith("S1", {{"CBon", TVSNodeStyle_CheckBoxOn},
                          {"OBtarget", TVSNodeStyle_OptionButtonOff},
                          {"CBoff", TVSNodeStyle_CheckBoxoff},
                          {"OBon", TVSNodeStyle_OptionButtonOn}});
    struct Row {
        const char* name;
        int32_t style;
        const char* written;
    };
    const Row rows[] = {
        {"CheckBoxOn", TVSNodeStyle_CheckBoxOn, "chkon"},
        {"CheckBoxoff", TVSNodeStyle_CheckBoxoff, "chkoff"},
        {"Default clears", TVSNodeStyle_Default, ""},
        {"OptionButtonOff clears", TVSNodeStyle_OptionButtonOff, ""},
        {"OptionButtonOn clears", TVSNodeStyle_OptionButtonOn, ""},
        {"negative clears", -1, ""},
        {"large number clears", 70000, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        setImage("OBtarget", "optoff");
        EXPECT_EQ(manager->CBSetStyle("S1", "OBtarget", row.style), 0);
        EXPECT_EQ(imagesUnder("S1"), (Strings{"chkon", row.written, "chkoff", "opton"}));
    }
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(ItemOperationsTest, OBSetStyleWritesItsKeyAndSwitchesEveryOtherItemOff) {
    addSectionWith("S1", {{"OBon", TVSNodeStyle_OptionButtonOn},
                          {"OBtarget", TVSNodeStyle_OptionButtonOff},
                          {"CBon", TVSNodeStyle_CheckBoxOn}});
    addPlainItem("S1", "Dplain");
    addOwnPicture("mine");
    struct Row {
        const char* name;
        int32_t style;
        const char* written;
    };
    const Row rows[] = {
        {"OptionButtonOn", TVSNodeStyle_OptionButtonOn, "opton"},
        {"OptionButtonOff leaves all off", TVSNodeStyle_OptionButtonOff, "optoff"},
        {"Default clears", TVSNodeStyle_Default, ""},
        {"CheckBoxoff clears", TVSNodeStyle_CheckBoxoff, ""},
        {"CheckBoxOn clears", TVSNodeStyle_CheckBoxOn, ""},
        {"negative clears", -3, ""},
        {"large number clears", 12345, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        setImagesUnder("S1", {"opton", "chkon", "chkon", "mine"});
        EXPECT_EQ(manager->OBSetStyle("S1", "OBtarget", row.style), 0);
        EXPECT_EQ(imagesUnder("S1"), (Strings{"optoff", row.written, "optoff", "optoff"}));
    }
    EXPECT_EQ(imageOf("S1"), "S1") << "the section node is no item";
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(ItemOperationsTest, OBSetStyleMakesTheNamedOptionTheOneThatIsOn) {
    addSectionWith("S1", {{"OBa", TVSNodeStyle_OptionButtonOn},
                          {"OBb", TVSNodeStyle_OptionButtonOff},
                          {"CBc", TVSNodeStyle_CheckBoxOn}});
    EXPECT_EQ(manager->OBSetStyle("S1", "OBb", TVSNodeStyle_OptionButtonOn), 0);
    EXPECT_EQ(imagesUnder("S1"), (Strings{"optoff", "opton", "optoff"}));
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(ItemOperationsTest, ReadersTranslateTheImageKey) {
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff}});
    addOwnPicture("mine");
    struct Row {
        const char* name;
        rt::Variant image;
        int32_t style;
        int16_t state;
    };
    const Row rows[] = {
        {"chkoff", "chkoff", TVSNodeStyle_CheckBoxoff, rt::False16},
        {"chkon", "chkon", TVSNodeStyle_CheckBoxOn, rt::True16},
        {"optoff", "optoff", TVSNodeStyle_OptionButtonOff, rt::False16},
        {"opton", "opton", TVSNodeStyle_OptionButtonOn, rt::True16},
        {"CHKON in capitals", "CHKON", TVSNodeStyle_CheckBoxOn, rt::True16},
        {"OptOff mixed", "OptOff", TVSNodeStyle_OptionButtonOff, rt::False16},
        {"OPTON in capitals", "OPTON", TVSNodeStyle_OptionButtonOn, rt::True16},
        {"host's own key", "mine", TVSNodeStyle_Default, rt::False16},
        {"the section's picture", "S1", TVSNodeStyle_Default, rt::False16},
        {"no image", rt::Variant(), TVSNodeStyle_Default, rt::False16},
        {"list position", rt::Variant(int32_t{2}), TVSNodeStyle_Default, rt::False16},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        setImage("CBa", row.image);
        const std::string before = tree();
        EXPECT_EQ(manager->GetTVSNodeStyle("S1", "CBa"), row.style);
        EXPECT_EQ(manager->CBOBGetState("S1", "CBa"), row.state);
        EXPECT_EQ(tree(), before);
    }
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(ItemOperationsTest, NodeGetTextReturnsTheTextUnchanged) {
    addSection("S1");
    addItem("S1", "CBa", TVSNodeStyle_CheckBoxoff, "  Fett ä, Bold  ");
    addItem("S1", "CBb", TVSNodeStyle_CheckBoxoff, "");
    handler.clear();
    EXPECT_EQ(manager->NodeGetText("S1", "CBa"), "  Fett ä, Bold  ");
    EXPECT_EQ(manager->NodeGetText("S1", "CBb"), "");
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(ItemOperationsTest, ItemKeyIsMatchedWithoutRegardToCase) {
    addSection("S1");
    addItem("S1", "CBfirst", TVSNodeStyle_CheckBoxoff, "First");
    addItem("S1", "cbMixedKey", TVSNodeStyle_CheckBoxOn, "Mixed");
    handler.clear();
    EXPECT_EQ(manager->NodeGetText("S1", "CBMIXEDKEY"), "Mixed");
    EXPECT_EQ(manager->GetTVSNodeStyle("s1", "cbmixedkey"), TVSNodeStyle_CheckBoxOn);
    EXPECT_EQ(manager->CBOBGetState("S1", "CbMiXeDkEy"), rt::True16);
    manager->CBSetStyle("S1", "CBMIXEDKEY", TVSNodeStyle_CheckBoxoff);
    EXPECT_EQ(imagesUnder("S1"), (Strings{"chkoff", "chkoff"}));
    manager->OBSetStyle("S1", "CBMIXEDKEY", TVSNodeStyle_OptionButtonOn);
    EXPECT_EQ(imagesUnder("S1"), (Strings{"optoff", "opton"}));
    EXPECT_EQ(reports(), std::vector<Report>{});
}

// The case rules of a chosen locale for one test.
struct TextLocale {
    explicit TextLocale(const char* name) { rt::setTextLocale(name); }
    ~TextLocale() { rt::setTextLocale(""); }
};

TEST_F(ItemOperationsTest, SectionAndItemKeysOfEveryScriptAreMatchedWithoutRegardToCase) {
    const TextLocale english("en_US.UTF-8");
    addSection("ՀԱՅԵՐԵՆ");
    addItem("ՀԱՅԵՐԵՆ", "CBԱՐԱՐԱՏ", TVSNodeStyle_CheckBoxOn, "Ararat");
    addItem("ՀԱՅԵՐԵՆ", "OBᲗᲑᲘᲚᲘᲡᲘ", TVSNodeStyle_OptionButtonOn, "Tbilisi");
    handler.clear();
    EXPECT_EQ(manager->NodeGetText("հայերեն", "cbարարատ"), "Ararat");
    EXPECT_EQ(manager->CBOBGetState("Հայերեն", "Cbարարատ"), rt::True16);
    EXPECT_EQ(manager->GetTVSNodeStyle("հայերեն", "obთბილისი"), TVSNodeStyle_OptionButtonOn);
    EXPECT_EQ(reports(), std::vector<Report>{});
}

// Under a Turkish locale "I" is the capital of "ı", and "İ" that of "i".
TEST_F(ItemOperationsTest, ItemKeysFollowTheTurkishIUnderATurkishLocale) {
    const TextLocale turkish("tr_TR.UTF-8");
    addSection("S1");
    addItem("S1", "CBİZMİR", TVSNodeStyle_CheckBoxOn, "Izmir");
    addItem("S1", "CBISPARTA", TVSNodeStyle_CheckBoxoff, "Isparta");
    handler.clear();
    EXPECT_EQ(manager->NodeGetText("S1", "cbizmir"), "Izmir");
    EXPECT_EQ(manager->NodeGetText("S1", "cbısparta"), "Isparta");
    EXPECT_EQ(reports(), std::vector<Report>{});
    EXPECT_EQ(manager->NodeGetText("S1", "cbisparta"), "");
}

TEST_F(ItemOperationsTest, EmptyItemKeyFindsTheFirstItemWithoutKey) {
    addSectionWith("S1", {{"CBkeyed", TVSNodeStyle_CheckBoxOn}});
    tv->Nodes()->Add("S1", tree::tvwChild, "", "First nameless", "opton");
    tv->Nodes()->Add("S1", tree::tvwChild, "", "Second nameless", "chkoff");
    EXPECT_EQ(manager->NodeGetText("S1", ""), "First nameless");
    EXPECT_EQ(manager->GetTVSNodeStyle("S1", ""), TVSNodeStyle_OptionButtonOn);
    EXPECT_EQ(manager->CBOBGetState("S1", ""), rt::True16);
    manager->CBSetStyle("S1", "", TVSNodeStyle_CheckBoxoff);
    EXPECT_EQ(imagesUnder("S1"), (Strings{"chkon", "chkoff", "chkoff"}));
    // OBSetStyle does not stop at a match, so every keyless item matches.
    manager->OBSetStyle("S1", "", TVSNodeStyle_OptionButtonOn);
    EXPECT_EQ(imagesUnder("S1"), (Strings{"optoff", "opton", "opton"}));
    EXPECT_EQ(reports(), std::vector<Report>{});
}

TEST_F(ItemOperationsTest, KeysOutsideTheSectionsItemsAreNotFound) {
    // S1: OBa (with grandchild OBgrand) and CBb; S2: OBx.
    struct Row {
        const char* name;
        std::string key;
    };
    const Row rows[] = {
        {"unknown key", "nope"},
        {"grandchild", "OBgrand"},
        {"the section node itself", "S1"},
        {"item of another section", "OBx"},
    };
    for (const auto& op : fiveOperations()) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(op.name) + ": " + row.name);
            frmKwAmbrTvsA::drop();
            tv->Nodes()->Clear();
            addSectionWith("S1", {{"OBa", TVSNodeStyle_OptionButtonOn}, {"CBb", TVSNodeStyle_CheckBoxOn}});
            addItem("OBa", "OBgrand", TVSNodeStyle_OptionButtonOn, "Grand");
            addSectionWith("S2", {{"OBx", TVSNodeStyle_OptionButtonOn}});
            const std::string before = tree();

            EXPECT_EQ(op.call(*manager, "S1", row.key), op.startingResult);

            EXPECT_EQ(reports(), std::vector<Report>{});
            if (op.name == std::string("OBSetStyle")) {
                EXPECT_EQ(imagesUnder("S1"), (Strings{"optoff", "optoff"})) << "every item of the section is off";
                EXPECT_EQ(imageOf("OBgrand"), "opton");
                EXPECT_EQ(imageOf("OBx"), "opton");
                EXPECT_EQ(imageOf("S1"), "S1");
            } else {
                EXPECT_EQ(tree(), before);
            }
        }
    }
}

TEST_F(ItemOperationsTest, UnaddressableSectionGivesThreeReportsAndTheStartingResult) {
    constexpr int32_t NotSet = rt::errnum::ObjectNotSet;
    for (const auto& op : fiveOperations()) {
        SCOPED_TRACE(op.name);
        manager->setTreeViewObject(tv);
        tv->Nodes()->Clear();
        addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff}});
        const std::string before = tree();

        // "1" is looked up as a key, never as the position of the first node.
        for (const char* missing : {"S9", "1"}) {
            SCOPED_TRACE(missing);
            handler.clear();
            EXPECT_EQ(op.call(*manager, missing, "CBa"), op.startingResult);
            EXPECT_EQ(reports(), reportsAt(op.site, {tree::errnum::ElementNotFound, NotSet, NotSet}));
            EXPECT_EQ(tree(), before);
        }

        handler.clear();
        manager->setTreeViewObject(nullptr);
        EXPECT_EQ(op.call(*manager, "S1", "CBa"), op.startingResult);
        EXPECT_EQ(reports(), reportsAt(op.site, {NotSet, NotSet, NotSet})) << "no tree bound";
        EXPECT_EQ(tree(), before);
        handler.clear();
    }
}

TEST_F(ItemOperationsTest, SectionWithoutItemsGivesTheStartingResultSilently) {
    addSectionWith("S1", {});
    addSectionWith("S2", {{"CBa", TVSNodeStyle_CheckBoxOn}});
    const std::string before = tree();
    for (const auto& op : fiveOperations()) {
        SCOPED_TRACE(op.name);
        EXPECT_EQ(op.call(*manager, "S1", "CBa"), op.startingResult);
        EXPECT_EQ(reports(), std::vector<Report>{});
        EXPECT_EQ(tree(), before);
    }
}

TEST_F(ItemOperationsTest, CBSetStyleReportsARefusedKeyAndKeepsTheImage) {
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff}, {"CBb", TVSNodeStyle_CheckBoxOn}});
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
        EXPECT_EQ(manager->CBSetStyle("S1", "CBa", TVSNodeStyle_CheckBoxOn), 0);
        EXPECT_EQ(reports(), reportsAt("czAmbrTVS.CBSetStyle", {row.number}));
        EXPECT_EQ(imagesUnder("S1"), (Strings{"chkoff", "chkon"}));
    }
    handler.clear();
    tv->SetImageList(nullptr);
    manager->CBSetStyle("S1", "CBa", TVSNodeStyle_Default);
    EXPECT_EQ(reports(), std::vector<Report>{}) << "clearing an image needs no list";
    EXPECT_EQ(imagesUnder("S1"), (Strings{"", "chkon"}));
}

TEST_F(ItemOperationsTest, OBSetStyleReportsEachRefusedKeyAndGoesOn) {
    addSectionWith("S1", {{"OBa", TVSNodeStyle_OptionButtonOn},
                          {"OBb", TVSNodeStyle_OptionButtonOff},
                          {"CBc", TVSNodeStyle_CheckBoxOn}});
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
        {"no image list", nullptr, {NoList, NoList, NoList}, {"opton", "optoff", "chkon"}},
        {"list lacks optoff", listWith({"chkoff", "chkon", "opton"}), {Lacks, Lacks}, {"opton", "opton", "chkon"}},
        {"list lacks opton", listWith({"chkoff", "chkon", "optoff"}), {Lacks}, {"optoff", "optoff", "optoff"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        tv->SetImageList(list);
        setImagesUnder("S1", {"opton", "optoff", "chkon"});
        handler.clear();
        tv->SetImageList(row.list);
        EXPECT_EQ(manager->OBSetStyle("S1", "OBb", TVSNodeStyle_OptionButtonOn), 0);
        EXPECT_EQ(reports(), reportsAt("czAmbrTVS.OBSetStyle", row.numbers));
        EXPECT_EQ(imagesUnder("S1"), row.after);
    }
}

// One section of exactly 32767 items, the most a 16-bit walk can count,
// built once on a tree view of its own and shared by the cases below.
class FullSectionTest : public ManagerTest {
protected:
    static constexpr int32_t ItemCount = 32767;
    static inline const std::string LastKey = "I32767";

    static void SetUpTestSuite() {
        full = rt::make<tree::MemoryTreeView>();
        full->SetImageList(listWith({"chkoff", "chkon", "optoff", "opton"}));
        auto nodes = full->Nodes();
        nodes->Add(rt::Missing{}, rt::Missing{}, "BIG", "Full section", rt::Variant());
        for (int32_t i = 1; i <= ItemCount; ++i) {
            const std::string n = std::to_string(i);
            nodes->Add("BIG", tree::tvwChild, "I" + n, "Item " + n, "chkoff");
        }
    }
    static void TearDownTestSuite() { full = nullptr; }

    FullSectionTest() { manager->setTreeViewObject(full); }
    rt::Ref<tree::TreeNode> item(const std::string& key) { return full->Nodes()->Item(rt::Variant(key)); }

    static inline rt::Ref<tree::MemoryTreeView> full;
};

TEST_F(FullSectionTest, OBSetStyleProcessesEveryItemThenReportsTheOverflow) {
    item("I1")->setImage("opton");
    item("I16384")->setImage("chkon");
    item("I32766")->setImage("opton");
    item(LastKey)->setImage("chkoff");

    EXPECT_EQ(manager->OBSetStyle("BIG", LastKey, TVSNodeStyle_OptionButtonOn), 0);

    EXPECT_EQ(reports(), reportsAt("czAmbrTVS.OBSetStyle", {rt::errnum::Overflow}));
    int32_t seen = 0;
    int32_t off = 0;
    for (auto it = item("BIG")->Child(); it; it = it->Next()) {
        ++seen;
        if (tree::imageText(it->Image()) == "optoff") ++off;
    }
    EXPECT_EQ(seen, ItemCount);
    EXPECT_EQ(off, ItemCount - 1);
    EXPECT_EQ(tree::imageText(item(LastKey)->Image()), "opton");
}

TEST_F(FullSectionTest, LastItemIsFoundWithoutReport) {
    item(LastKey)->setImage("chkon");
    struct Row {
        const char* name;
        std::function<std::string()> call;
        std::string found;
        const char* imageAfter;
    };
    const Row rows[] = {
        {"GetTVSNodeStyle",
         [&] { return std::to_string(manager->GetTVSNodeStyle("BIG", LastKey)); }, "2", "chkon"},
        {"CBOBGetState",
         [&] { return std::to_string(manager->CBOBGetState("BIG", LastKey)); }, "-1", "chkon"},
        {"NodeGetText", [&] { return manager->NodeGetText("BIG", LastKey); },
         "Item 32767", "chkon"},
        {"CBSetStyle",
         [&] { return std::to_string(manager->CBSetStyle("BIG", LastKey, TVSNodeStyle_CheckBoxoff)); }, "0",
         "chkoff"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.call(), row.found);
        EXPECT_EQ(reports(), std::vector<Report>{});
        EXPECT_EQ(tree::imageText(item(LastKey)->Image()), row.imageAfter);
    }
}

TEST_F(FullSectionTest, UnknownKeyWalksToTheEndAndReportsTheOverflow) {
    for (const auto& op : fiveOperations()) {
        if (op.name == std::string("OBSetStyle")) continue;  // covered above
        SCOPED_TRACE(op.name);
        handler.clear();
        item(LastKey)->setImage("chkon");
        EXPECT_EQ(op.call(*manager, "BIG", "nope"), op.startingResult);
        EXPECT_EQ(reports(), reportsAt(op.site, {rt::errnum::Overflow}));
        EXPECT_EQ(tree::imageText(item(LastKey)->Image()), "chkon");
    }
}

TEST_F(ItemOperationsTest, OBSelectIndexChangesNothingForAnyIndex) {
    addSectionWith("S1", {{"OBa", TVSNodeStyle_OptionButtonOff},
                          {"OBb", TVSNodeStyle_OptionButtonOn},
                          {"CBc", TVSNodeStyle_CheckBoxOn}});
    const std::string before = tree();
    for (int32_t index : {0, 1, 2, -5, 1000}) {
        SCOPED_TRACE(index);
        EXPECT_TRUE(manager->OBSelectIndex("S1", index).isEmpty());
        EXPECT_EQ(reports(), std::vector<Report>{});
        EXPECT_EQ(tree(), before) << "the option that is on stays on";
    }
}

TEST_F(ItemOperationsTest, OBSelectIndexReportsAnUnaddressableSection) {
    addSectionWith("S1", {{"OBa", TVSNodeStyle_OptionButtonOn}});
    addSectionWith("Empty", {});
    constexpr int32_t NotSet = rt::errnum::ObjectNotSet;
    struct Row {
        const char* name;
        bool bound;
        const char* section;
        std::vector<int32_t> numbers;
    };
    const Row rows[] = {
        {"section without children", true, "Empty", {}},
        {"missing section", true, "S9", {tree::errnum::ElementNotFound, NotSet, NotSet}},
        {"number text is a key, not a position", true, "1", {tree::errnum::ElementNotFound, NotSet, NotSet}},
        {"no tree bound", false, "S1", {NotSet, NotSet, NotSet}},
    };
    const std::string before = tree();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        handler.clear();
        manager->setTreeViewObject(row.bound ? rt::ObjectRef(tv) : rt::ObjectRef());
        EXPECT_TRUE(manager->OBSelectIndex(row.section, 1).isEmpty());
        EXPECT_EQ(reports(), reportsAt("czAmbrTVS.OBSelectIndex", row.numbers));
        EXPECT_EQ(tree(), before);
    }
}

}  // namespace
}  // namespace Sarn10B::test
