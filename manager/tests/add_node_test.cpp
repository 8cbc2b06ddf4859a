// AddNode: choosing the list and the image key, registering the caller's
// picture, handing the list to the tree view, adding the node, and what each
// failing step leaves behind.
#include <memory>

#include "manager/tests/manager_fixture.h"

namespace Sarn10B::test {
namespace {

const std::string Site = "czAmbrTVS.AddNode";
constexpr int32_t NotSet = rt::errnum::ObjectNotSet;
constexpr int32_t Overflow = rt::errnum::Overflow;
constexpr int32_t OutOfBounds = tree::errnum::IndexOutOfBounds;
constexpr int32_t NotFound = tree::errnum::ElementNotFound;
constexpr int32_t NotUnique = tree::errnum::KeyNotUnique;
constexpr int32_t NoImageList = tree::errnum::ImageListNotInitialized;

rt::Ref<rt::Picture> newPicture() { return rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16); }

// The arguments of one Nodes.Add call, as the tree view received them.
struct AddCall {
    rt::Variant relative, relationship, key, text, image;
};

// A nodes collection that records every Add and hands it on.
class RecordingNodes : public tree::TreeNodes {
public:
    RecordingNodes(rt::Ref<tree::TreeNodes> inner, std::shared_ptr<std::vector<AddCall>> calls)
        : inner_(std::move(inner)), calls_(std::move(calls)) {}
    rt::Ref<tree::TreeNode> Item(const rt::Variant& indexOrKey) override { return inner_->Item(indexOrKey); }
    int32_t Count() override { return inner_->Count(); }
    rt::Ref<tree::TreeNode> Add(const rt::Variant& relative, const rt::Variant& relationship,
                                const rt::Variant& key, const rt::Variant& text,
                                const rt::Variant& image) override {
        calls_->push_back({relative, relationship, key, text, image});
        return inner_->Add(relative, relationship, key, text, image);
    }
    void Clear() override { inner_->Clear(); }

private:
    rt::Ref<tree::TreeNodes> inner_;
    std::shared_ptr<std::vector<AddCall>> calls_;
};

// An in-memory tree view whose Nodes.Add calls can be inspected: without a
// relative the in-memory tree ignores the relationship, so only the arguments
// show that it was still passed.
class RecordingTreeView : public tree::MemoryTreeView {
public:
    rt::Ref<tree::TreeNodes> Nodes() override { return rt::make<RecordingNodes>(MemoryTreeView::Nodes(), calls); }
    std::shared_ptr<std::vector<AddCall>> calls = std::make_shared<std::vector<AddCall>>();
};

class AddNodeTest : public ManagerTest {
protected:
    std::vector<Report> at(std::vector<int32_t> numbers) { return reportsAt(Site, std::move(numbers)); }
    rt::Ref<frmKwAmbrTvsA> form() {
        auto f = frmKwAmbrTvsA::peek();
        EXPECT_TRUE(f) << "AddNode should have created the hidden form";
        return f;
    }
    rt::Ref<tree::ListImages> checkBoxImages() { return form()->imlCheckunCheckBox->ListImages(); }
    bool hasNode(const std::string& key) {
        for (int32_t i = 1; i <= tv->Nodes()->Count(); ++i)
            if (tv->Nodes()->Item(rt::Variant(i))->Key() == key) return true;
        return false;
    }
    void expectTag(const std::string& key, const std::string& tag) {
        rt::Variant t = node(key)->Tag();
        EXPECT_TRUE(t.isString()) << "the tag is stored as a string, got " << rt::describe(t);
        EXPECT_EQ(rt::toText(t), tag);
    }
};

// ---------------------------------------------------------------------------
// The ordinary call

TEST_F(AddNodeTest, WithOnlyKeyAndTextAddsAnUnexpandedCheckBoxAtTheRoot) {
    addSection("S1");
    handler.clear();
    tv->setLabelEdit(0);
    AddNodeArgs args{.sKey = "CBa", .sText = "A"};

    rt::Variant result = manager->AddNode(args);

    EXPECT_TRUE(result.isEmpty());
    EXPECT_EQ(reports(), at({})) << "the missing picture is refused silently";
    EXPECT_EQ(args.ImageIPictureDispKeyNormal, "chkoff") << "the caller's variable receives the image key";
    EXPECT_FALSE(args.ImageIPictureDisp);
    EXPECT_EQ(tree::treeAsText(*tv), "S1 \"Section\" [S1]\nCBa \"A\" [chkoff]\n") << "placed last among the roots";
    EXPECT_FALSE(node("CBa")->Parent());
    EXPECT_EQ(node("CBa")->Expanded(), 0);
    expectTag("CBa", "");
    EXPECT_EQ(tv->LabelEdit(), 1) << "every call sets manual label editing";
    EXPECT_TRUE(rt::sameObject(tv->GetImageList(), form()->imlCheckunCheckBox));
    EXPECT_TRUE(rt::sameObject(manager->managerImageList(), form()->imlCheckunCheckBox));
    EXPECT_EQ(checkBoxImages()->Count(), 5) << "four state pictures and the section's blank one, nothing more";
}

TEST_F(AddNodeTest, TheFirstCallCreatesTheHiddenForm) {
    ASSERT_FALSE(frmKwAmbrTvsA::peek());
    manager->AddNode({.sKey = "CBa", .sText = "A"});
    auto created = form();
    manager->AddNode({.sKey = "CBb", .sText = "B"});
    EXPECT_TRUE(rt::sameObject(created, frmKwAmbrTvsA::peek())) << "later calls reuse the thread's instance";
    EXPECT_EQ(reports(), at({}));
}

TEST_F(AddNodeTest, WritesBackTheImageKeyAndPictureItUsed) {
    enum class Pic { None, Callers, Blank };
    struct Row {
        const char* name;
        int32_t style;
        std::string callerKey;
        bool givePicture;
        std::string expectedKey;  // "=sKey": the node's own key
        Pic expectedPicture;
        std::vector<int32_t> reports;
    };
    const std::vector<Row> rows{
        {"style 0, no key, no picture: own key and the blank", 0, "", false, "=sKey", Pic::Blank, {}},
        {"style 0, no key, a picture: the blank replaces it", 0, "", true, "=sKey", Pic::Blank, {}},
        {"style 0, a key, no picture: both kept", 0, "chkon", false, "chkon", Pic::None, {}},
        {"style 0, a new key and a picture: both kept", 0, "mine", true, "mine", Pic::Callers, {}},
        {"style 1 replaces the caller's key", 1, "mine", false, "chkoff", Pic::None, {}},
        {"style 2 replaces the caller's key", 2, "mine", false, "chkon", Pic::None, {}},
        {"style 3 replaces the caller's key", 3, "mine", false, "optoff", Pic::None, {}},
        {"style 4 replaces the caller's key", 4, "mine", false, "opton", Pic::None, {}},
        {"style 1 with an empty key", 1, "", false, "chkoff", Pic::None, {}},
        {"style 2 keeps the caller's picture (its key is taken)", 2, "", true, "chkon", Pic::Callers, {NotUnique}},
        {"style 7, no key, no picture: no fallback", 7, "", false, "", Pic::None, {}},
        {"style 7, no key, a picture: not replaced", 7, "", true, "", Pic::Callers, {}},
        {"style 7 keeps the caller's key", 7, "optoff", false, "optoff", Pic::None, {}},
        {"style -1 behaves as 7", -1, "", false, "", Pic::None, {}},
    };
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        handler.clear();
        const std::string key = "N" + std::to_string(++n);
        auto picture = newPicture();
        AddNodeArgs args{.sKey = key, .sText = "t", .enumTVSNodeStyle = row.style,
                         .ImageIPictureDispKeyNormal = row.callerKey};
        if (row.givePicture) args.ImageIPictureDisp = picture;

        EXPECT_TRUE(manager->AddNode(args).isEmpty());

        const std::string expectedKey = row.expectedKey == "=sKey" ? key : row.expectedKey;
        EXPECT_EQ(args.ImageIPictureDispKeyNormal, expectedKey);
        switch (row.expectedPicture) {
            case Pic::None:
                EXPECT_FALSE(args.ImageIPictureDisp);
                break;
            case Pic::Callers:
                EXPECT_TRUE(rt::sameObject(args.ImageIPictureDisp, picture));
                break;
            case Pic::Blank:
                EXPECT_TRUE(rt::sameObject(args.ImageIPictureDisp, form()->imgBlank->Picture()));
                break;
        }
        EXPECT_EQ(reports(), at(row.reports));
        ASSERT_TRUE(hasNode(key));
        EXPECT_EQ(imageOf(key), expectedKey) << "the node gets the image key that was written back";
    }
}

TEST_F(AddNodeTest, Style0WithoutKeyRegistersTheFormsBlankPictureUnderTheNodeKey) {
    AddNodeArgs args{.sKey = "S1", .sText = "Fonts", .enumTVSNodeStyle = TVSNodeStyle_Default};
    manager->AddNode(args);

    EXPECT_EQ(reports(), at({}));
    auto blank = form()->imgBlank->Picture();
    EXPECT_TRUE(rt::sameObject(checkBoxImages()->pictureFor("S1"), blank)) << "the form's own picture object";
    EXPECT_TRUE(rt::sameObject(args.ImageIPictureDisp, blank));
    EXPECT_EQ(args.ImageIPictureDispKeyNormal, "S1");
    EXPECT_EQ(imageOf("S1"), "S1");
}

TEST_F(AddNodeTest, APictureUnderANewKeyLandsAtTheEndOfTheList) {
    manager->AddNode({.sKey = "CBa", .sText = "A"});
    auto images = checkBoxImages();
    ASSERT_EQ(images->Count(), 4);

    for (const std::string key : {"first", "second"}) {
        SCOPED_TRACE(key);
        const int32_t before = images->Count();
        auto picture = newPicture();
        manager->AddNode({.sKey = "node " + key, .sText = key, .enumTVSNodeStyle = TVSNodeStyle_Default,
                          .ImageIPictureDispKeyNormal = key, .ImageIPictureDisp = picture});
        EXPECT_EQ(images->Count(), before + 1);
        auto last = images->Item(rt::Variant(images->Count()));
        EXPECT_EQ(last->Key(), key);
        EXPECT_TRUE(rt::sameObject(last->Picture(), picture));
        EXPECT_EQ(imageOf("node " + key), key);
    }
    EXPECT_EQ(reports(), at({}));
}

// ---------------------------------------------------------------------------
// Choosing the image list

TEST_F(AddNodeTest, ImageStylesSelectsTheFormsListAndTheTreeTakesItAtEveryCall) {
    struct Row {
        const char* name;
        int32_t imageStyles;
        const rt::Ref<tree::ImageList> frmKwAmbrTvsA::*list;
    };
    const std::vector<Row> rows{
        {"0 check boxes", TVSImageStyles_CheckunCheckBox, &frmKwAmbrTvsA::imlCheckunCheckBox},
        {"1 wrong and right in black", TVSImageStyles_WrongWrite, &frmKwAmbrTvsA::imlWrongWrite},
        {"2 wrong and right in colour", TVSImageStyles_WrongWriteColor, &frmKwAmbrTvsA::imlWrongWriteColor},
        {"3 locked and unlocked", TVSImageStyles_LockUnlock, &frmKwAmbrTvsA::imlLockUnlock},
        {"0 again, after the others", TVSImageStyles_CheckunCheckBox, &frmKwAmbrTvsA::imlCheckunCheckBox},
    };
    addItem("", "CBfirst", TVSNodeStyle_CheckBoxOn);  // a node already in the tree
    rt::Ref<tree::ImageList> previous = tv->GetImageList();
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        manager->setImageStyles(row.imageStyles);
        EXPECT_TRUE(rt::sameObject(tv->GetImageList(), previous)) << "setting ImageStyles alone changes nothing";

        const std::string key = "OB" + std::to_string(++n);
        auto picture = newPicture();
        manager->AddNode({.sKey = key, .sText = "t", .enumTVSNodeStyle = TVSNodeStyle_Default,
                          .ImageIPictureDispKeyNormal = key, .ImageIPictureDisp = picture});

        auto expected = (*form()).*row.list;
        EXPECT_TRUE(rt::sameObject(manager->managerImageList(), expected));
        EXPECT_TRUE(rt::sameObject(tv->GetImageList(), expected)) << "the whole tree switches to the new set";
        EXPECT_TRUE(rt::sameObject(expected->ListImages()->pictureFor(key), picture))
            << "the picture goes to the selected list";
        EXPECT_EQ(imageOf("CBfirst"), "chkon") << "earlier nodes keep their image keys";
        previous = tv->GetImageList();
    }
    EXPECT_FALSE(form()->imlCheckunCheckBox->ListImages()->hasKey("OB2")) << "a picture goes to one list only";
    EXPECT_EQ(reports(), at({}));
}

TEST_F(AddNodeTest, ImageStyles7KeepsThePreviouslySelectedList) {
    manager->setImageStyles(TVSImageStyles_WrongWrite);
    addItem("", "CBa", TVSNodeStyle_CheckBoxoff);
    auto selected = form()->imlWrongWrite;

    manager->setImageStyles(7);
    tv->SetImageList(nullptr);  // taken away behind the manager's back
    auto picture = newPicture();
    AddNodeArgs args{.sKey = "S7", .sText = "t", .enumTVSNodeStyle = TVSNodeStyle_Default,
                     .ImageIPictureDispKeyNormal = "seven", .ImageIPictureDisp = picture};
    EXPECT_TRUE(manager->AddNode(args).isEmpty());

    EXPECT_EQ(reports(), at({}));
    EXPECT_TRUE(rt::sameObject(manager->managerImageList(), selected));
    EXPECT_TRUE(rt::sameObject(tv->GetImageList(), selected)) << "every call hands its list to the tree again";
    EXPECT_TRUE(rt::sameObject(selected->ListImages()->pictureFor("seven"), picture));
    EXPECT_EQ(imageOf("S7"), "seven");
}

TEST_F(AddNodeTest, ImageStylesOutOfRangeWithNoEarlierSelectionLeavesTheTreeWithoutAList) {
    struct Row {
        const char* name;
        int32_t style;
        std::string callerKey;
        std::vector<int32_t> reports;
        bool nodeAdded;
    };
    // Steps 5 and 6 find no list (91 each); step 8 hands the tree nothing;
    // a node with an image key is then refused by the tree, and steps 12 and
    // 13 find no node.
    const std::vector<Row> rows{
        {"a state key is refused", TVSNodeStyle_CheckBoxoff, "", {NotSet, NotSet, NoImageList, NotSet, NotSet}, false},
        {"no image key: the node is added", 7, "", {NotSet, NotSet}, true},
    };
    for (int32_t imageStyles : {7, -1, 4}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(row.name) + ", ImageStyles " + std::to_string(imageStyles));
            handler.clear();
            tv = rt::make<tree::MemoryTreeView>();
            tv->SetImageList(rt::make<tree::ImageList>("the host's own"));
            manager = rt::make<clsKwAmbrTvsA>();
            manager->setTreeViewObject(tv);
            manager->setImageStyles(imageStyles);
            auto picture = newPicture();

            rt::Variant result = manager->AddNode({.sKey = "k", .sText = "t", .enumTVSNodeStyle = row.style,
                                                   .ImageIPictureDispKeyNormal = row.callerKey,
                                                   .ImageIPictureDisp = picture});

            EXPECT_TRUE(result.isEmpty());
            EXPECT_EQ(reports(), at(row.reports));
            EXPECT_FALSE(manager->managerImageList());
            EXPECT_FALSE(tv->GetImageList()) << "step 8 sets nothing, without failing";
            EXPECT_EQ(tv->LabelEdit(), 1);
            EXPECT_EQ(tv->Nodes()->Count(), row.nodeAdded ? 1 : 0);
            for (int32_t style = 0; style <= 3; ++style)
                EXPECT_EQ(form()->imageListFor(style)->ListImages()->Count(), 4) << "no picture registered";
        }
    }
}

TEST_F(AddNodeTest, AfterRefreshTheNextCallSelectsFromTheNewForm) {
    addSection("S1");
    auto oldForm = form();
    manager->Refresh();
    manager->setTreeViewObject(tv);
    handler.clear();

    manager->AddNode({.sKey = "CBa", .sText = "A"});

    auto newForm = form();
    EXPECT_FALSE(rt::sameObject(newForm, oldForm));
    EXPECT_TRUE(rt::sameObject(manager->managerImageList(), newForm->imlCheckunCheckBox));
    EXPECT_TRUE(rt::sameObject(tv->GetImageList(), newForm->imlCheckunCheckBox));
    EXPECT_EQ(reports(), at({}));

    // The blank picture registered under "S1" went with the old form.
    manager->AddNode({.sKey = "again", .sText = "t", .enumTVSNodeStyle = TVSNodeStyle_Default,
                      .ImageIPictureDispKeyNormal = "S1"});
    EXPECT_EQ(reports(), at({NotFound, NotSet, NotSet}));
}

TEST_F(AddNodeTest, TwoManagersWithTheSameImageStylesShareTheList) {
    auto otherTree = rt::make<tree::MemoryTreeView>();
    auto other = rt::make<clsKwAmbrTvsA>();
    other->setTreeViewObject(otherTree);
    auto picture = newPicture();

    manager->AddNode({.sKey = "A1", .sText = "a", .enumTVSNodeStyle = TVSNodeStyle_Default,
                      .ImageIPictureDispKeyNormal = "shared", .ImageIPictureDisp = picture});
    other->AddNode({.sKey = "B1", .sText = "b", .enumTVSNodeStyle = TVSNodeStyle_Default,
                    .ImageIPictureDispKeyNormal = "shared"});

    EXPECT_EQ(reports(), at({}));
    EXPECT_EQ(tree::imageText(otherTree->Nodes()->Item(rt::Variant("B1"))->Image()), "shared");
    EXPECT_TRUE(rt::sameObject(otherTree->GetImageList(), tv->GetImageList()));
    EXPECT_TRUE(rt::sameObject(otherTree->GetImageList()->ListImages()->pictureFor("shared"), picture));

    // Another picture set is another list: the key is unknown there.
    other->setImageStyles(TVSImageStyles_LockUnlock);
    other->AddNode({.sKey = "B2", .sText = "b", .enumTVSNodeStyle = TVSNodeStyle_Default,
                    .ImageIPictureDispKeyNormal = "shared"});
    EXPECT_EQ(reports(), at({NotFound, NotSet, NotSet}));
}

// ---------------------------------------------------------------------------
// Placing the node

TEST_F(AddNodeTest, PlacesTheNodeByRelativeAndRelationship) {
    struct Row {
        const char* name;
        std::string relative;
        int32_t relationship;
        std::string expectedTree;
        bool relativePassed;
    };
    const std::vector<Row> rows{
        {"tvwChild places last under the relative", "R1", tree::tvwChild,
         "R1 \"r\" [chkoff]\n  C1 \"c\" [chkoff]\n  X \"x\" [chkoff]\nR2 \"r\" [chkoff]\n", true},
        {"the relative is found without regard to case", "r2", tree::tvwChild,
         "R1 \"r\" [chkoff]\n  C1 \"c\" [chkoff]\nR2 \"r\" [chkoff]\n  X \"x\" [chkoff]\n", true},
        {"tvwNext places after the relative", "R1", tree::tvwNext,
         "R1 \"r\" [chkoff]\n  C1 \"c\" [chkoff]\nX \"x\" [chkoff]\nR2 \"r\" [chkoff]\n", true},
        {"tvwPrevious places before the relative", "C1", tree::tvwPrevious,
         "R1 \"r\" [chkoff]\n  X \"x\" [chkoff]\n  C1 \"c\" [chkoff]\nR2 \"r\" [chkoff]\n", true},
        {"tvwFirst places first among the relative's siblings", "R2", tree::tvwFirst,
         "X \"x\" [chkoff]\nR1 \"r\" [chkoff]\n  C1 \"c\" [chkoff]\nR2 \"r\" [chkoff]\n", true},
        {"an empty relative with tvwChild adds at the root", "", tree::tvwChild,
         "R1 \"r\" [chkoff]\n  C1 \"c\" [chkoff]\nR2 \"r\" [chkoff]\nX \"x\" [chkoff]\n", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto recording = rt::make<RecordingTreeView>();
        tv = recording;
        manager->setTreeViewObject(tv);
        addItem("", "R1", TVSNodeStyle_CheckBoxoff, "r");
        addItem("", "R2", TVSNodeStyle_CheckBoxoff, "r");
        addItem("R1", "C1", TVSNodeStyle_CheckBoxoff, "c");
        handler.clear();
        recording->calls->clear();

        manager->AddNode({.sRelative = row.relative, .sRelationship = row.relationship, .sKey = "X",
                          .sText = "x"});

        EXPECT_EQ(reports(), at({}));
        EXPECT_EQ(tree::treeAsText(*tv), row.expectedTree);
        ASSERT_EQ(recording->calls->size(), 1u);
        const AddCall& call = recording->calls->front();
        if (row.relativePassed)
            EXPECT_EQ(rt::describe(call.relative), rt::describe(rt::Variant(row.relative)));
        else
            EXPECT_TRUE(call.relative.isMissing()) << "an empty relative is left out, got "
                                                    << rt::describe(call.relative);
        EXPECT_EQ(rt::toInt32(call.relationship), row.relationship) << "the relationship is passed unchanged";
        EXPECT_EQ(rt::toText(call.key), "X");
        EXPECT_EQ(rt::toText(call.text), "x");
        EXPECT_EQ(rt::toText(call.image), "chkoff");
    }
}

TEST_F(AddNodeTest, AnOmittedRelativeIsLeftOutAndTheRelationshipStillPassed) {
    auto recording = rt::make<RecordingTreeView>();
    tv = recording;
    manager->setTreeViewObject(tv);
    manager->AddNode({.sKey = "A", .sText = "a"});
    manager->AddNode({.sRelationship = tree::tvwPrevious, .sKey = "B", .sText = "b"});

    EXPECT_EQ(reports(), at({}));
    EXPECT_EQ(tree::treeAsText(*tv), "A \"a\" [chkoff]\nB \"b\" [chkoff]\n");
    ASSERT_EQ(recording->calls->size(), 2u);
    for (const AddCall& call : *recording->calls) EXPECT_TRUE(call.relative.isMissing());
    EXPECT_EQ(rt::toInt32(recording->calls->at(0).relationship), 0);
    EXPECT_EQ(rt::toInt32(recording->calls->at(1).relationship), tree::tvwPrevious);
}

TEST_F(AddNodeTest, HandsExpandedUnchangedAndStoresTheTagAsText) {
    struct Row {
        const char* name;
        int16_t expanded;
        std::string tag;
    };
    const std::vector<Row> rows{
        {"False", 0, ""},
        {"True", -1, "a tag"},
        {"1 stays 1", 1, "ä ünïcode tag"},
        {"any other value", 32767, "12"},
    };
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string key = "CB" + std::to_string(++n);
        manager->AddNode({.sKey = key, .sText = "t", .bExpanded = row.expanded, .sTag = row.tag});
        EXPECT_EQ(node(key)->Expanded(), row.expanded);
        expectTag(key, row.tag);
    }
    EXPECT_EQ(reports(), at({}));
}

// Texts too long to sit inside a string are handed to the tree view without a
// copy of their own; the caller's variables hold them again after the call,
// whether the add succeeded or failed, and the tree view saw them whole.
TEST_F(AddNodeTest, LongTextsReachTheTreeAndStayWithTheCaller) {
    const std::string relative = "a section key longer than a short text";
    const std::string key = "an item key that is longer than a short text";
    const std::string text = "the item's text, also longer than a short text";
    const std::string imageKey = "an image key of the caller, long as well";
    const std::string tag = "a tag that a short string could not hold either";
    struct Row {
        const char* name;
        bool keyTaken;
    };
    const std::vector<Row> rows{{"the node is added", false}, {"the key is taken: the add fails", true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        auto recording = rt::make<RecordingTreeView>();
        tv = recording;
        manager->setTreeViewObject(tv);
        addSection(relative);
        if (row.keyTaken) addItem(relative, key, TVSNodeStyle_CheckBoxoff, "first");
        if (!checkBoxImages()->hasKey(imageKey)) checkBoxImages()->Add(rt::Missing{}, imageKey, newPicture());
        handler.clear();
        recording->calls->clear();
        AddNodeArgs args{.sRelative = relative, .sRelationship = tree::tvwChild, .sKey = key, .sText = text,
                         .enumTVSNodeStyle = TVSNodeStyle_Default, .ImageIPictureDispKeyNormal = imageKey,
                         .sTag = tag};

        manager->AddNode(args);

        EXPECT_EQ(args.sRelative, relative);
        EXPECT_EQ(args.sKey, key);
        EXPECT_EQ(args.sText, text);
        EXPECT_EQ(args.ImageIPictureDispKeyNormal, imageKey);
        EXPECT_EQ(args.sTag, tag);
        ASSERT_EQ(recording->calls->size(), 1u);
        const AddCall& call = recording->calls->front();
        EXPECT_EQ(rt::toText(call.relative), relative);
        EXPECT_EQ(rt::toText(call.key), key);
        EXPECT_EQ(rt::toText(call.text), text);
        EXPECT_EQ(rt::toText(call.image), imageKey);
        if (row.keyTaken) {
            EXPECT_EQ(reports(), at({NotUnique, NotSet, NotSet}));
            EXPECT_EQ(node(key)->Text(), "first");
        } else {
            EXPECT_EQ(reports(), at({}));
            EXPECT_EQ(node(key)->Text(), text);
            EXPECT_EQ(rt::toText(node(key)->Image()), imageKey);
            EXPECT_EQ(node(key)->Parent()->Key(), relative);
            expectTag(key, tag);
        }
    }
}

// ---------------------------------------------------------------------------
// Failures

TEST(AddNodeUnbound, ReportsTheFiveTreeStepsAndStillRegistersThePicture) {
    struct Row {
        const char* name;
        bool bindSomethingElse;
        int32_t treeStepFailure;  // steps 8, 9 and 11; 12 and 13 then find no node
    };
    const std::vector<Row> rows{
        {"nothing bound", false, NotSet},
        {"the bound object is no tree view", true, rt::errnum::NoSuchMember},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        frmKwAmbrTvsA::drop();
        testing_support::RecordingErrorHandler handler;
        auto manager = rt::make<clsKwAmbrTvsA>();
        if (row.bindSomethingElse) {
            // The reference is stored before the binding fails.
            EXPECT_THROW(manager->setTreeViewObject(rt::make<rt::Collection>()), rt::Error);
            ASSERT_TRUE(manager->TreeViewObject());
        }
        const int32_t f = row.treeStepFailure;
        AddNodeArgs args{.sKey = "S1", .sText = "t", .enumTVSNodeStyle = TVSNodeStyle_Default};

        rt::Variant result = manager->AddNode(args);

        EXPECT_TRUE(result.isEmpty());
        EXPECT_EQ(handler.reports(), reportsAt(Site, {f, f, f, NotSet, NotSet})) << "steps 8, 9, 11, 12 and 13";
        auto form = frmKwAmbrTvsA::peek();
        ASSERT_TRUE(form);
        EXPECT_TRUE(rt::sameObject(manager->managerImageList(), form->imlCheckunCheckBox));
        EXPECT_TRUE(
            rt::sameObject(form->imlCheckunCheckBox->ListImages()->pictureFor("S1"), form->imgBlank->Picture()));
        EXPECT_EQ(args.ImageIPictureDispKeyNormal, "S1");

        // Without a picture to register the count is the same: 481 stays silent.
        handler.clear();
        manager->AddNode({.sKey = "CBa", .sText = "a"});
        EXPECT_EQ(handler.reports(), reportsAt(Site, {f, f, f, NotSet, NotSet}));
    }
    frmKwAmbrTvsA::drop();
}

TEST(AddNodeUnbound, AnObjectThatIsNoTreeViewIsReportedWithTheMemberItLacks) {
    frmKwAmbrTvsA::drop();
    testing_support::RecordingErrorHandler handler;
    auto manager = rt::make<clsKwAmbrTvsA>();
    EXPECT_THROW(manager->setTreeViewObject(rt::make<rt::Collection>()), rt::Error);
    auto descriptions = [&] {
        std::vector<std::string> out;
        for (const auto& r : handler.reports())
            if (r.number == rt::errnum::NoSuchMember) out.push_back(r.description);
        handler.clear();
        return out;
    };
    const std::string lacks = "Object doesn't support this property or method: ";

    manager->AddNode({.sKey = "S1", .sText = "t", .enumTVSNodeStyle = TVSNodeStyle_Default});
    EXPECT_EQ(descriptions(), (std::vector<std::string>{lacks + "ImageList", lacks + "LabelEdit", lacks + "Nodes"}))
        << "steps 8, 9 and 11";

    manager->Refresh();
    EXPECT_EQ(descriptions(), (std::vector<std::string>{lacks + "Nodes", lacks + "ImageList"})) << "steps 4 and 5";
    frmKwAmbrTvsA::drop();
}

TEST_F(AddNodeTest, ANodeThatCannotBeAddedLeavesThePictureRegistered) {
    struct Row {
        const char* name;
        std::string relative;
        std::string key;
        std::string imageKey;
        bool givePicture;
        int32_t refusal;
    };
    const std::vector<Row> rows{
        {"a node already bears the key", "", "CBa", "pic1", true, NotUnique},
        {"a node bears the key in other letter case", "", "cba", "pic2", true, NotUnique},
        {"no node bears the relative", "nosuch", "CBnew", "pic3", true, NotFound},
        {"the image key names no picture", "", "CBnew", "nokey", false, NotFound},
    };
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff}});
    const std::string before = tree::treeAsText(*tv);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        handler.clear();
        auto picture = newPicture();
        AddNodeArgs args{.sRelative = row.relative, .sRelationship = tree::tvwChild, .sKey = row.key,
                         .sText = "t", .enumTVSNodeStyle = TVSNodeStyle_Default,
                         .ImageIPictureDispKeyNormal = row.imageKey};
        if (row.givePicture) args.ImageIPictureDisp = picture;

        EXPECT_TRUE(manager->AddNode(args).isEmpty());

        EXPECT_EQ(reports(), at({row.refusal, NotSet, NotSet})) << "steps 11, 12 and 13";
        EXPECT_EQ(tree::treeAsText(*tv), before) << "no node added";
        if (row.givePicture)
            EXPECT_TRUE(rt::sameObject(checkBoxImages()->pictureFor(row.imageKey), picture));
        else
            EXPECT_FALSE(checkBoxImages()->hasKey(row.imageKey));
    }
}

TEST_F(AddNodeTest, TheSameKeyTwiceWithTheDefaultStyleAddsOneNode) {
    manager->AddNode({.sKey = "CBa", .sText = "first", .sTag = "one"});
    AddNodeArgs second{.sKey = "CBa", .sText = "second", .bExpanded = -1, .sTag = "two"};
    EXPECT_TRUE(manager->AddNode(second).isEmpty());

    EXPECT_EQ(reports(), at({NotUnique, NotSet, NotSet}));
    EXPECT_EQ(tv->Nodes()->Count(), 1);
    EXPECT_EQ(node("CBa")->Text(), "first");
    EXPECT_EQ(node("CBa")->Expanded(), 0) << "steps 12 and 13 did not reach the earlier node";
    expectTag("CBa", "one");
}

TEST_F(AddNodeTest, WithoutAPictureTheNodeShowsThePictureAlreadyRegistered) {
    manager->AddNode({.sKey = "CBa", .sText = "a"});
    auto images = checkBoxImages();
    auto registered = images->pictureFor("chkon");

    manager->AddNode({.sKey = "plain", .sText = "p", .enumTVSNodeStyle = TVSNodeStyle_Default,
                      .ImageIPictureDispKeyNormal = "chkon"});

    EXPECT_EQ(reports(), at({})) << "481 is never reported";
    EXPECT_EQ(imageOf("plain"), "chkon");
    EXPECT_EQ(images->Count(), 4);
    EXPECT_TRUE(rt::sameObject(images->pictureFor("chkon"), registered));
}

TEST_F(AddNodeTest, APictureUnderAKeyTheListHoldsIsRefusedAndTheNodeStillAdded) {
    struct Row {
        const char* name;
        int32_t style;
        std::string imageKey;
        std::string heldKey;  // the key the list already holds
    };
    const std::vector<Row> rows{
        {"style 0 with a state key", TVSNodeStyle_Default, "chkon", "chkon"},
        {"style 0 with the key in capitals", TVSNodeStyle_Default, "CHKON", "chkon"},
        {"style 3 with its own state key", TVSNodeStyle_OptionButtonOff, "", "optoff"},
        {"style 0 with the key of an earlier blank picture", TVSNodeStyle_Default, "S1", "S1"},
    };
    addSection("S1");
    auto images = checkBoxImages();
    int n = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        handler.clear();
        const int32_t count = images->Count();
        AddNodeArgs args{.sKey = "N" + std::to_string(++n), .sText = "t", .enumTVSNodeStyle = row.style,
                         .ImageIPictureDispKeyNormal = row.imageKey, .ImageIPictureDisp = newPicture()};
        auto earlier = images->pictureFor(row.heldKey);
        ASSERT_TRUE(earlier);

        EXPECT_TRUE(manager->AddNode(args).isEmpty());

        EXPECT_EQ(reports(), at({NotUnique})) << "step 6 only";
        EXPECT_EQ(images->Count(), count);
        EXPECT_TRUE(rt::sameObject(images->pictureFor(row.heldKey), earlier))
            << "the list keeps its earlier picture";
        EXPECT_EQ(imageOf(args.sKey), args.ImageIPictureDispKeyNormal);
    }
}

TEST_F(AddNodeTest, AListOf32767PicturesOverflowsTheIndexAndTheAddRunsWithIndex0) {
    // Fill the form's list straight away, all entries sharing one picture:
    // far faster than 32763 calls of AddNode.
    auto images = frmKwAmbrTvsA::current()->imlCheckunCheckBox->ListImages();
    auto shared = newPicture();
    while (images->Count() < 32767) images->Add(rt::Missing{}, rt::Missing{}, rt::Variant(shared));

    // The in-memory list takes positions 1 to Count + 1 only, so it refuses
    // the add at index 0 with 35600 (unless it refused the missing picture
    // first, with the silent 481).
    struct Row {
        const char* name;
        std::string key;
        int32_t style;
        bool givePicture;
        std::vector<int32_t> reports;
        bool nodeAdded;
    };
    const std::vector<Row> rows{
        {"no picture: only the overflow", "CBa", TVSNodeStyle_CheckBoxoff, false, {Overflow}, true},
        {"a picture under a state key", "CBb", TVSNodeStyle_CheckBoxOn, true, {Overflow, OutOfBounds}, true},
        {"a picture under a new key: not registered, so the node is refused", "S1", TVSNodeStyle_Default, true,
         {Overflow, OutOfBounds, NotFound, NotSet, NotSet}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        handler.clear();
        AddNodeArgs args{.sKey = row.key, .sText = "t", .enumTVSNodeStyle = row.style};
        if (row.givePicture) args.ImageIPictureDisp = newPicture();

        EXPECT_TRUE(manager->AddNode(args).isEmpty());

        EXPECT_EQ(reports(), at(row.reports));
        EXPECT_EQ(images->Count(), 32767);
        EXPECT_EQ(hasNode(row.key), row.nodeAdded);
    }
    frmKwAmbrTvsA::drop();  // let the big list go with its form
}

TEST_F(AddNodeTest, AFailingReportReachesTheCallerAndEndsTheCall) {
    struct Row {
        const char* name;
        int32_t imageStyles;
        int32_t style;
        std::string imageKey;
        bool givePicture;
    };
    // Bound: the first failing step comes before the tree is touched, so the
    // tree shows that steps 8 to 13 never ran.
    const std::vector<Row> rows{
        {"step 6 refuses a picture under a taken key", TVSImageStyles_CheckunCheckBox, TVSNodeStyle_Default,
         "chkon", true},
        {"step 5 finds no list", 7, TVSNodeStyle_CheckBoxoff, "", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        frmKwAmbrTvsA::drop();
        tv = rt::make<tree::MemoryTreeView>();
        auto hostList = rt::make<tree::ImageList>("the host's own");
        tv->SetImageList(hostList);
        manager = rt::make<clsKwAmbrTvsA>();
        manager->setTreeViewObject(tv);
        manager->setImageStyles(row.imageStyles);
        handler.failWith(4321);
        const size_t attemptsBefore = handler.argumentKinds().size();
        AddNodeArgs args{.sKey = "CBa", .sText = "t", .enumTVSNodeStyle = row.style,
                         .ImageIPictureDispKeyNormal = row.imageKey};
        if (row.givePicture) args.ImageIPictureDisp = newPicture();

        try {
            manager->AddNode(args);
            ADD_FAILURE() << "the failing report must reach the caller";
        } catch (const rt::Error& e) {
            EXPECT_EQ(e.number(), 4321);
        }
        EXPECT_EQ(handler.argumentKinds().size() - attemptsBefore, 1u) << "one report attempted, no more";
        EXPECT_EQ(tv->Nodes()->Count(), 0);
        EXPECT_TRUE(rt::sameObject(tv->GetImageList(), hostList)) << "step 8 did not run";
        EXPECT_EQ(tv->LabelEdit(), 0) << "step 9 did not run";
    }
}

TEST(AddNodeUnbound, AFailingReportAtStep8EndsTheCall) {
    frmKwAmbrTvsA::drop();
    testing_support::RecordingErrorHandler handler;
    handler.failWith(4321);
    auto manager = rt::make<clsKwAmbrTvsA>();
    AddNodeArgs args{.sKey = "S1", .sText = "t", .enumTVSNodeStyle = TVSNodeStyle_Default};
    try {
        manager->AddNode(args);
        ADD_FAILURE() << "the failing report must reach the caller";
    } catch (const rt::Error& e) {
        EXPECT_EQ(e.number(), 4321);
    }
    EXPECT_EQ(handler.argumentKinds().size(), 1u) << "steps 9 to 13 did not run";
    auto form = frmKwAmbrTvsA::peek();
    ASSERT_TRUE(form);
    EXPECT_TRUE(rt::sameObject(manager->managerImageList(), form->imlCheckunCheckBox)) << "steps 1 to 7 ran";
    EXPECT_TRUE(form->imlCheckunCheckBox->ListImages()->hasKey("S1"));
    frmKwAmbrTvsA::drop();
}

}  // namespace
}  // namespace Sarn10B::test
