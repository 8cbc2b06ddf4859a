// The manager object: its properties, binding to a tree view and its events,
// the hidden form, Refresh and teardown.
#include "manager/tests/manager_fixture.h"

namespace Sarn10B::test {
namespace {

class UnboundTest : public testing_support::ChannelTest {
protected:
    UnboundTest() { frmKwAmbrTvsA::drop(); }
    rt::Ref<clsKwAmbrTvsA> manager = rt::make<clsKwAmbrTvsA>();
};

TEST_F(UnboundTest, NewManagerReadsItsInitialValues) {
    EXPECT_FALSE(manager->TreeViewObject());
    EXPECT_FALSE(manager->BuddyObject());
    EXPECT_EQ(manager->Tag(), "");
    EXPECT_EQ(manager->NodeChildren(), 0);
    EXPECT_EQ(manager->TaginToolTip(), 0);
    EXPECT_EQ(manager->IsExpanded(), 0);
    EXPECT_EQ(manager->HitTestOnMouseMove(), 0);
    EXPECT_EQ(manager->ImageStyles(), TVSImageStyles_CheckunCheckBox);
    EXPECT_EQ(manager->keyDownFlag(), 0);
    EXPECT_FALSE(manager->managerImageList());
    EXPECT_FALSE(frmKwAmbrTvsA::peek()) << "creating a manager must not create the hidden form";
    EXPECT_TRUE(reports().empty());
}

TEST_F(UnboundTest, PropertiesStoreAnyValueUnchanged) {
    manager->setImageStyles(7);
    manager->setTaginToolTip(1);
    manager->setIsExpanded(-5);
    manager->setHitTestOnMouseMove(32767);
    manager->setNodeChildren(-1);
    manager->setTag("ä tag");
    EXPECT_EQ(manager->ImageStyles(), 7);
    EXPECT_EQ(manager->TaginToolTip(), 1);
    EXPECT_EQ(manager->IsExpanded(), -5);
    EXPECT_EQ(manager->HitTestOnMouseMove(), 32767);
    EXPECT_EQ(manager->NodeChildren(), -1);
    EXPECT_EQ(manager->Tag(), "ä tag");
}

TEST_F(UnboundTest, QueryCollectionsCreateThemselvesOnRead) {
    for (auto [name, get, set] : {std::tuple{"keys", &clsKwAmbrTvsA::QueryNodeKeysCollection,
                                             &clsKwAmbrTvsA::setQueryNodeKeysCollection},
                                  std::tuple{"texts", &clsKwAmbrTvsA::QueryNodeTextCollection,
                                             &clsKwAmbrTvsA::setQueryNodeTextCollection}}) {
        SCOPED_TRACE(name);
        auto first = ((*manager).*get)();
        ASSERT_TRUE(first);
        EXPECT_EQ(first->Count(), 0);
        EXPECT_TRUE(rt::sameObject(first, ((*manager).*get)())) << "a second read gives the same collection";

        auto own = rt::make<rt::Collection>();
        own->Add("x");
        ((*manager).*set)(own);
        EXPECT_TRUE(rt::sameObject(own, ((*manager).*get)()));

        ((*manager).*set)(nullptr);
        auto fresh = ((*manager).*get)();
        EXPECT_FALSE(rt::sameObject(fresh, own));
        EXPECT_EQ(fresh->Count(), 0);
    }
}

TEST_F(UnboundTest, BuddyObjectIsAPlainSlot) {
    auto buddy = rt::make<rt::Collection>();
    manager->setBuddyObject(buddy);
    EXPECT_TRUE(rt::sameObject(manager->BuddyObject(), buddy));
    manager->setBuddyObject(nullptr);
    EXPECT_FALSE(manager->BuddyObject());
}

TEST_F(UnboundTest, RefreshMakesTwoReportsAndLeavesFreshCollections) {
    auto keys = manager->QueryNodeKeysCollection();
    keys->Add("old");
    manager->setTag("kept");
    manager->setIsExpanded(-1);

    rt::Variant result = manager->Refresh();

    EXPECT_TRUE(result.isEmpty());
    EXPECT_EQ(reports(), reportsAt("czAmbrTVS.Refresh", {rt::errnum::ObjectNotSet, rt::errnum::ObjectNotSet}));
    auto afterKeys = manager->QueryNodeKeysCollection();
    EXPECT_FALSE(rt::sameObject(afterKeys, keys));
    EXPECT_EQ(afterKeys->Count(), 0);
    EXPECT_TRUE(rt::sameObject(afterKeys, manager->QueryNodeKeysCollection()));
    EXPECT_EQ(manager->QueryNodeTextCollection()->Count(), 0);
    EXPECT_EQ(manager->Tag(), "kept");
    EXPECT_EQ(manager->IsExpanded(), -1);
}

TEST_F(UnboundTest, AFailingReportReachesTheCallerOfRefresh) {
    handler.failWith(1234);
    try {
        manager->Refresh();
        FAIL() << "the failing report must reach the caller";
    } catch (const rt::Error& e) {
        EXPECT_EQ(e.number(), 1234);
    }
}

TEST_F(UnboundTest, BindingAnObjectThatIsNoTreeViewFailsWithTypeMismatch) {
    auto tv = rt::make<tree::MemoryTreeView>();
    manager->setTreeViewObject(tv);
    auto notATree = rt::make<rt::Collection>();
    try {
        manager->setTreeViewObject(notATree);
        FAIL() << "expected a type mismatch";
    } catch (const rt::Error& e) {
        EXPECT_EQ(e.number(), rt::errnum::TypeMismatch);
    }
    EXPECT_TRUE(rt::sameObject(manager->TreeViewObject(), notATree)) << "the reference is stored first";
    EXPECT_TRUE(rt::sameObject(manager->eventTreeView(), tv)) << "the events stay with the earlier tree view";
    EXPECT_EQ(tv->listenerCount(), 1u);
    EXPECT_TRUE(reports().empty()) << "property accessors do not report";
}

TEST_F(ManagerTest, BindingAttachesToTheEventsOfOneTreeViewAtATime) {
    addSectionWith("S1", {});
    tv->Nodes()->Item(rt::Variant("S1"))->setTag(rt::Variant("first"));
    EXPECT_EQ(tv->listenerCount(), 1u);
    tv->clickNode("S1");
    EXPECT_EQ(manager->Tag(), "first");

    auto other = rt::make<tree::MemoryTreeView>();
    manager->setTreeViewObject(other);
    EXPECT_EQ(tv->listenerCount(), 0u);
    EXPECT_EQ(other->listenerCount(), 1u);
    manager->setTag("");
    tv->clickNode("S1");
    EXPECT_EQ(manager->Tag(), "") << "the first tree view's clicks no longer arrive";

    manager->setTreeViewObject(nullptr);
    EXPECT_EQ(other->listenerCount(), 0u);
    EXPECT_FALSE(manager->eventTreeView());
}

TEST_F(ManagerTest, RefreshWhileBoundEmptiesAndUnbindsTheTree) {
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxoff}});
    manager->QueryNodeTextCollection()->Add("t");
    auto form = frmKwAmbrTvsA::peek();
    ASSERT_TRUE(form);

    rt::Variant result = manager->Refresh();

    EXPECT_TRUE(result.isEmpty());
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(tv->Nodes()->Count(), 0);
    EXPECT_FALSE(tv->GetImageList());
    EXPECT_FALSE(manager->TreeViewObject());
    EXPECT_FALSE(manager->eventTreeView());
    EXPECT_EQ(tv->listenerCount(), 0u);
    EXPECT_FALSE(frmKwAmbrTvsA::peek()) << "the hidden form is dropped";
    EXPECT_EQ(manager->QueryNodeTextCollection()->Count(), 0);
    EXPECT_TRUE(manager->managerImageList()) << "the manager keeps the list it last selected";

    // Clicks on a node added afterwards no longer reach the manager.
    tv->SetImageList(form->imlCheckunCheckBox);
    tv->Nodes()->Add(rt::Missing{}, rt::Missing{}, "CBb", "b", "chkoff");
    tv->clickNode("CBb");
    EXPECT_EQ(imageOf("CBb"), "chkoff");
}

TEST_F(ManagerTest, ReleasingABoundManagerLeavesTheTreeAsItWas) {
    addSectionWith("S1", {{"CBa", TVSNodeStyle_CheckBoxOn}});
    const std::string before = tree::treeAsText(*tv);
    auto list = tv->GetImageList();
    manager = nullptr;  // the last reference: teardown
    EXPECT_EQ(tree::treeAsText(*tv), before);
    EXPECT_TRUE(rt::sameObject(tv->GetImageList(), list));
    EXPECT_EQ(tv->listenerCount(), 0u);
    tv->clickNode("CBa");  // reaches nobody
    EXPECT_EQ(imageOf("CBa"), "chkon");
    EXPECT_TRUE(reports().empty());
}

TEST_F(ManagerTest, RefreshOfOneManagerDropsTheFormOfEveryManagerOnTheThread) {
    auto second = rt::make<clsKwAmbrTvsA>();
    auto otherTree = rt::make<tree::MemoryTreeView>();
    second->setTreeViewObject(otherTree);
    addSection("S1");
    second->AddNode({.sKey = "T1", .sText = "other"});
    auto form = frmKwAmbrTvsA::peek();
    EXPECT_TRUE(rt::sameObject(manager->managerImageList(), second->managerImageList()))
        << "same picture set, same list";

    manager->Refresh();
    EXPECT_FALSE(frmKwAmbrTvsA::peek());
    second->AddNode({.sKey = "T2", .sText = "other"});
    auto fresh = frmKwAmbrTvsA::peek();
    ASSERT_TRUE(fresh);
    EXPECT_FALSE(rt::sameObject(fresh, form));
    EXPECT_TRUE(rt::sameObject(second->managerImageList(), fresh->imlCheckunCheckBox));
    EXPECT_EQ(fresh->imlCheckunCheckBox->ListImages()->Count(), 4) << "a new form starts with its own pictures";
}

TEST(HiddenForm, HasItsCaptionsBlankPictureAndFourListsOfFourPictures) {
    frmKwAmbrTvsA::drop();
    auto form = frmKwAmbrTvsA::current();
    EXPECT_EQ(form->Caption, "TVS Temp Form");
    EXPECT_EQ(form->Frame1.Caption, "ImageList");
    EXPECT_EQ(form->Label1.Caption, "CheckunCheckBox");
    EXPECT_EQ(form->Label2.Caption, "WrongWrite Black");
    EXPECT_EQ(form->Label3.Caption, "WrongWrite Color");
    EXPECT_EQ(form->Label4.Caption, "Lock Unlock");
    auto blank = form->imgBlank->Picture();
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->width(), 32);
    EXPECT_EQ(blank->height(), 32);

    const std::vector<rt::Ref<tree::ImageList>> lists{form->imlCheckunCheckBox, form->imlWrongWrite,
                                                      form->imlWrongWriteColor, form->imlLockUnlock};
    for (int32_t style = 0; style <= 3; ++style) {
        SCOPED_TRACE(style);
        EXPECT_TRUE(rt::sameObject(form->imageListFor(style), lists[static_cast<size_t>(style)]));
        auto images = lists[static_cast<size_t>(style)]->ListImages();
        EXPECT_EQ(images->Count(), 4);
        for (const char* key : {"chkoff", "chkon", "optoff", "opton"}) EXPECT_TRUE(images->pictureFor(key)) << key;
    }
    EXPECT_FALSE(form->imageListFor(4));
    EXPECT_FALSE(form->imageListFor(-1));
    EXPECT_TRUE(rt::sameObject(form, frmKwAmbrTvsA::current())) << "one current instance per thread";
    frmKwAmbrTvsA::drop();
}

TEST(HiddenForm, EachThreadHasItsOwnInstance) {
    frmKwAmbrTvsA::drop();
    auto mine = frmKwAmbrTvsA::current();
    rt::Ref<frmKwAmbrTvsA> theirs;
    std::thread([&] {
        theirs = frmKwAmbrTvsA::current();
        frmKwAmbrTvsA::drop();
    }).join();
    EXPECT_FALSE(rt::sameObject(mine, theirs));
    EXPECT_TRUE(rt::sameObject(mine, frmKwAmbrTvsA::peek()));
    frmKwAmbrTvsA::drop();
}

}  // namespace
}  // namespace Sarn10B::test
