// The automation surface of the six public classes: the member tables in slot
// order, and calls by name (any letter case) and by dispatch identifier,
// including optional arguments and the arguments that calls write back.
#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "library/library_object.h"
#include "library/small_classes.h"
#include "library/tests/expected_surface.h"
#include "manager/hidden_form.h"
#include "manager/style_manager.h"
#include "outside/memory_tree.h"
#include "outside/tree_text.h"
#include "runtime/collection.h"
#include "testing/recording_handler.h"

namespace Sarn10B::test {
namespace {

using rt::CallKind;

rt::ObjectRef newInstance(const std::string& className) {
    static const std::map<std::string, std::function<rt::ObjectRef()>> factories = {
        {"clsKwAmbrTvsA", [] { return rt::ObjectRef(rt::make<clsKwAmbrTvsA>()); }},
        {"clsKwOrvel10BA", [] { return rt::ObjectRef(rt::make<clsKwOrvel10BA>()); }},
        {"clsKwAmbrListViewWndClassA", [] { return rt::ObjectRef(rt::make<clsKwAmbrListViewWndClassA>()); }},
        {"clsKwAmbrTreeviewWndClassA", [] { return rt::ObjectRef(rt::make<clsKwAmbrTreeviewWndClassA>()); }},
        {"clsKwAmbrGeneralA", [] { return rt::ObjectRef(rt::make<clsKwAmbrGeneralA>()); }},
        {"clsKwAmbrAdvancedA", [] { return rt::ObjectRef(rt::make<clsKwAmbrAdvancedA>()); }},
    };
    return factories.at(className)();
}

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}
std::string upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}
// Every other letter flipped: "TaginToolTip" -> "tAgInToOlTiP".
std::string alternating(std::string s) {
    for (size_t i = 0; i < s.size(); ++i) {
        auto c = static_cast<unsigned char>(s[i]);
        s[i] = static_cast<char>(i % 2 ? std::toupper(c) : std::tolower(c));
    }
    return s;
}

TEST(MemberTables, ListEverySlotInTheDocumentedOrder) {
    for (const auto& expected : expectedClasses()) {
        SCOPED_TRACE(expected.name);
        const rt::ClassInfo& info = newInstance(expected.name)->classInfo();
        EXPECT_EQ(info.name, expected.name);
        EXPECT_EQ(slotsOf(info), expected.slots);
    }
}

TEST(MemberTables, EverySlotIsFoundByNameInAnyCaseAndByIdentifier) {
    for (const auto& expected : expectedClasses()) {
        const rt::ClassInfo& info = newInstance(expected.name)->classInfo();
        for (size_t i = 0; i < info.members.size(); ++i) {
            const rt::Member& m = info.members[i];
            SCOPED_TRACE(expected.name + "." + std::string(m.name));
            EXPECT_NE(m.invoke, nullptr);
            for (const std::string& name : {std::string(m.name), lower(std::string(m.name)), upper(std::string(m.name)),
                                            alternating(std::string(m.name))})
                EXPECT_EQ(info.find(name, m.kind), &m) << name;
            EXPECT_EQ(info.find(m.dispid, m.kind), &m);
            EXPECT_EQ(info.dispidOf(lower(std::string(m.name))), m.dispid);
        }
    }
}

TEST(MemberTables, UnknownNamesAndIdentifiersFailWith438) {
    const std::vector<std::string> names = {
        "Nothing",          "",         "oTV",     "oTV_NodeClick",    "oTV_KeyDown",
        "Class_Initialize", "AddNodes", "Handles", "AppAboutKwbr_Pro", "buddySlot"};
    for (const auto& expected : expectedClasses()) {
        auto obj = newInstance(expected.name);
        for (const auto& name : names) {
            SCOPED_TRACE(expected.name + "." + name);
            for (CallKind kind :
                 {CallKind::Method, CallKind::PropertyGet, CallKind::PropertyLet, CallKind::PropertySet})
                EXPECT_EQ(errorNumberOf([&] { rt::callByName(obj, name, kind); }), rt::errnum::NoSuchMember);
            EXPECT_EQ(errorNumberOf([&] { obj->classInfo().dispidOf(name); }), rt::errnum::NoSuchMember);
        }
        for (int32_t dispid : {0, 0x60030015, 0x68030008, 0x40030004, 0x60030005}) {
            SCOPED_TRACE(expected.name + " #" + std::to_string(dispid));
            rt::Args none;
            EXPECT_EQ(errorNumberOf([&] { rt::invokeDispid(*obj, dispid, CallKind::PropertyGet, none); }),
                      rt::errnum::NoSuchMember);
        }
    }
}

TEST(MemberTables, CallsOfAKindThatAMemberLacksFailWith438) {
    struct Case {
        const char* className;
        const char* member;
        CallKind kind;
    };
    const Case cases[] = {
        {"clsKwAmbrTvsA", "Refresh", CallKind::PropertyLet},
        {"clsKwAmbrTvsA", "Refresh", CallKind::PropertyGet},
        {"clsKwAmbrTvsA", "Tag", CallKind::PropertySet},
        {"clsKwAmbrTvsA", "ImageStyles", CallKind::PropertySet},
        {"clsKwOrvel10BA", "GetProStdProperties", CallKind::PropertyLet},
        {"clsKwOrvel10BA", "About", CallKind::PropertyGet},
        {"clsKwAmbrTreeviewWndClassA", "Handle", CallKind::PropertySet},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.className) + "." + c.member);
        auto obj = newInstance(c.className);
        EXPECT_EQ(errorNumberOf([&] { rt::callByName(obj, c.member, c.kind, {rt::ObjectRef()}); }),
                  rt::errnum::NoSuchMember);
    }
}

// --- the style manager, called through its automation surface ---------------

// A manager bound to an in-memory tree with a section "S1" holding the items
// CB1 "Bold" (on), OB1 "Serif" (on) and CB2 "Italic" (off), and an empty
// section "S2".
class ManagerSurfaceTest : public testing_support::ChannelTest {
public:  // the checks of a table of calls take the fixture
    ManagerSurfaceTest() { build(); }

    // A new manager and tree view with the fixture's nodes; reports cleared.
    void build() {
        frmKwAmbrTvsA::drop();
        manager = rt::make<clsKwAmbrTvsA>();
        tv = rt::make<tree::MemoryTreeView>();
        call("TreeViewObject", CallKind::PropertySet, {tv});
        call("AddNode", CallKind::Method, {rt::Missing{}, rt::Missing{}, "S1", "Fonts", int32_t{0}});
        for (auto [key, text, style] : {std::tuple{"CB1", "Bold", 2}, {"OB1", "Serif", 4}, {"CB2", "Italic", 1}})
            call("AddNode", CallKind::Method, {"S1", int32_t{tree::tvwChild}, key, text, int32_t{style}});
        call("AddNode", CallKind::Method, {rt::Missing{}, rt::Missing{}, "S2", "Empty", int32_t{0}});
        EXPECT_EQ(tree::treeAsText(*tv),
                  "S1 \"Fonts\" [S1]\n  CB1 \"Bold\" [chkon]\n  OB1 \"Serif\" [opton]\n  CB2 \"Italic\" [chkoff]\n"
                  "S2 \"Empty\" [S2]\n");
        EXPECT_TRUE(reports().empty()) << reports().front();
        handler.clear();
    }
    ~ManagerSurfaceTest() override {
        manager = nullptr;
        frmKwAmbrTvsA::drop();
    }

    rt::Variant call(std::string_view name, CallKind kind, rt::Args&& args = {}) {
        return rt::callByName(manager, name, kind, args);
    }
    std::string imageOf(const std::string& key) {
        return tree::imageText(tv->Nodes()->Item(rt::Variant(key))->Image());
    }
    std::vector<std::string> imagesUnderS1() { return {imageOf("CB1"), imageOf("OB1"), imageOf("CB2")}; }

    rt::Ref<tree::MemoryTreeView> tv;
    rt::Ref<clsKwAmbrTvsA> manager;
};

rt::Variant bool16(int16_t v) { return rt::Bool16{v}; }

TEST_F(ManagerSurfaceTest, PropertiesRoundTripByNameAndByIdentifier) {
    struct Case {
        const char* name;
        int32_t dispid;
        CallKind assign;
        rt::Variant value;
    };
    const rt::ObjectRef buddy = rt::make<clsKwAmbrGeneralA>();
    const rt::ObjectRef keys = rt::make<rt::Collection>();
    const rt::ObjectRef texts = rt::make<rt::Collection>();
    const rt::ObjectRef otherTree = rt::make<tree::MemoryTreeView>();
    const Case cases[] = {
        {"Tag", 0x68030005, CallKind::PropertyLet, "a tag"},
        {"NodeChildren", 0x68030004, CallKind::PropertyLet, int32_t{-5}},
        {"TaginToolTip", 0x68030003, CallKind::PropertyLet, bool16(1)},
        {"IsExpanded", 0x68030002, CallKind::PropertyLet, bool16(-1)},
        {"HitTestOnMouseMove", 0x68030001, CallKind::PropertyLet, bool16(5)},
        {"ImageStyles", 0x68030000, CallKind::PropertyLet, int32_t{7}},
        {"BuddyObject", 0x68030006, CallKind::PropertySet, buddy},
        {"QueryNodeKeysCollection", 0x40030002, CallKind::PropertySet, keys},
        {"QueryNodeKeysCollection", 0x40030002, CallKind::PropertyLet, keys},
        {"QueryNodeTextCollection", 0x40030003, CallKind::PropertySet, texts},
        {"QueryNodeTextCollection", 0x40030003, CallKind::PropertyLet, texts},
        {"TreeViewObject", 0x68030007, CallKind::PropertySet, otherTree},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        manager = rt::make<clsKwAmbrTvsA>();
        rt::Args none;

        call(alternating(c.name), c.assign, {c.value});
        EXPECT_EQ(rt::invokeDispid(*manager, c.dispid, CallKind::PropertyGet, none), c.value);

        manager = rt::make<clsKwAmbrTvsA>();
        rt::Args value{c.value};
        rt::invokeDispid(*manager, c.dispid, c.assign, value);
        EXPECT_EQ(call(lower(c.name), CallKind::PropertyGet), c.value);
        EXPECT_EQ(call(upper(c.name), CallKind::Method), c.value) << "a method call is answered by the get";
    }
}

TEST_F(ManagerSurfaceTest, BooleansComeBackAs16BitBooleans) {
    struct Case {
        const char* name;
        CallKind kind;
        rt::Args args;
    };
    const std::vector<Case> cases = {
        {"TaginToolTip", CallKind::PropertyGet, {}},       {"IsExpanded", CallKind::PropertyGet, {}},
        {"HitTestOnMouseMove", CallKind::PropertyGet, {}}, {"CBOBGetState", CallKind::Method, {"S1", "CB1"}},
        {"MoreChildrenDefault", CallKind::Method, {"S1"}}, {"ExpandAll", CallKind::Method, {bool16(0)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rt::Args args = c.args;
        EXPECT_EQ(rt::callByName(manager, c.name, c.kind, args).type(), rt::VarType::Boolean);
    }
}

// One call of every method, by name and by dispatch identifier, each on the
// tree of the fixture.
TEST_F(ManagerSurfaceTest, EveryMethodAnswersByNameAndByIdentifier) {
    struct Case {
        const char* name;
        int32_t dispid;
        rt::Args args;
        std::optional<rt::Variant> result;  // none: an object, looked at by check
        std::function<void(ManagerSurfaceTest&, const rt::Variant& result, const rt::Args& args)> check;
    };
    const std::vector<Case> cases = {
        {"Refresh",
         0x60030009,
         {},
         {},
         [](ManagerSurfaceTest& t, const rt::Variant&, const rt::Args&) {
             EXPECT_EQ(t.tv->Nodes()->Count(), 0);
             EXPECT_TRUE(t.manager->TreeViewObject().isNothing());
         }},
        {"AddNode",
         0x6003000A,
         {"S1", int32_t{tree::tvwChild}, "CB3", "Under"},
         {},
         [](ManagerSurfaceTest& t, const rt::Variant&, const rt::Args&) {
             EXPECT_EQ(t.imageOf("CB3"), "chkoff");
             EXPECT_EQ(t.tv->Nodes()->Item(rt::Variant("CB3"))->Parent()->Key(), "S1");
         }},
        {"OBSelectIndex", 0x6003000B, {"S1", int32_t{1}}, {}, nullptr},
        {"OBSetStyle",
         0x6003000C,
         {"S1", "ob1", int32_t{4}},
         int32_t{0},
         [](ManagerSurfaceTest& t, const rt::Variant&, const rt::Args&) {
             EXPECT_EQ(t.imagesUnderS1(), (std::vector<std::string>{"optoff", "opton", "optoff"}));
         }},
        {"NodeGetText", 0x6003000D, {"S1", "cb2"}, "Italic", nullptr},
        {"GetTVSNodeStyle", 0x6003000E, {"S1", "CB1"}, int32_t{2}, nullptr},
        {"CBOBGetState", 0x6003000F, {"S1", "CB1"}, bool16(-1), nullptr},
        {"CBSetStyle",
         0x60030010,
         {"S1", "CB1", int32_t{1}},
         int32_t{0},
         [](ManagerSurfaceTest& t, const rt::Variant&, const rt::Args&) {
             EXPECT_EQ(t.imagesUnderS1(), (std::vector<std::string>{"chkoff", "opton", "chkoff"}));
         }},
        {"CBSelectAll",
         0x60030011,
         {"S1", bool16(-1), bool16(0)},
         int32_t{3},
         [](ManagerSurfaceTest& t, const rt::Variant&, const rt::Args&) {
             EXPECT_EQ(t.imagesUnderS1(), (std::vector<std::string>{"chkon", "chkon", "chkon"}));
         }},
        {"MoreChildrenDefault",
         0x60030012,
         {"S1", int32_t{0}},
         bool16(-1),
         [](ManagerSurfaceTest&, const rt::Variant&, const rt::Args& a) {
             EXPECT_EQ(a.at(1), rt::Variant(int32_t{3}));
         }},
        {"ExpandAll",
         0x60030013,
         {bool16(-1)},
         bool16(0),
         [](ManagerSurfaceTest& t, const rt::Variant&, const rt::Args&) {
             EXPECT_EQ(t.manager->IsExpanded(), -1);
             EXPECT_EQ(t.tv->Nodes()->Item(rt::Variant("S1"))->Expanded(), -1);
         }},
        {"QueryNodeCollection",
         0x60030014,
         {"S1", int32_t{1}},
         std::nullopt,
         [](ManagerSurfaceTest& t, const rt::Variant& r, const rt::Args&) {
             auto states = rt::toObject(r).as<rt::Collection>();
             ASSERT_TRUE(states);
             EXPECT_EQ(states->texts(), (std::vector<std::string>{"True", "False"}));
             EXPECT_EQ(t.manager->QueryNodeKeysCollection()->texts(), (std::vector<std::string>{"CB1", "OB1", "CB2"}));
         }},
    };
    for (bool byName : {true, false}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (byName ? " by name" : " by identifier"));
            build();
            ManagerSurfaceTest& t = *this;
            rt::Args args = c.args;
            const rt::Variant result = byName ? rt::callByName(manager, alternating(c.name), CallKind::Method, args)
                                              : rt::invokeDispid(*manager, c.dispid, CallKind::Method, args);
            if (c.result) {
                EXPECT_EQ(result, *c.result);
            }
            if (c.check) c.check(t, result, args);
            EXPECT_TRUE(reports().empty()) << reports().front();
        }
    }
}

TEST_F(ManagerSurfaceTest, AddNodeWithOmittedArgumentsWritesBackTheImageKey) {
    rt::Args args{rt::Missing{}, rt::Missing{}, "CB9", "Nine"};
    EXPECT_EQ(call("AddNode", CallKind::Method, std::move(args)), rt::Variant());

    rt::Args shortArgs{"", int32_t{0}, "CB8", "Eight"};
    rt::callByName(manager, "addnode", CallKind::Method, shortArgs);
    ASSERT_EQ(shortArgs.size(), 9u) << "the omitted arguments are there to receive the write-back";
    EXPECT_EQ(shortArgs[5], rt::Variant("chkoff"));
    EXPECT_TRUE(rt::toObject(shortArgs[6]).isNothing());
    EXPECT_EQ(shortArgs[2], rt::Variant("CB8")) << "only arguments 6 and 7 are written back";
    EXPECT_EQ(imageOf("CB8"), "chkoff");
    EXPECT_EQ(imageOf("CB9"), "chkoff");
    EXPECT_TRUE(tv->Nodes()->Item(rt::Variant("CB8"))->Parent().isNothing());
    EXPECT_EQ(tv->Nodes()->Item(rt::Variant("CB8"))->Tag(), rt::Variant(""))
        << rt::describe(tv->Nodes()->Item(rt::Variant("CB8"))->Tag());
    EXPECT_TRUE(reports().empty());
}

TEST_F(ManagerSurfaceTest, AddNodeWritesBackTheStateKeyOverTheCallersKey) {
    rt::Args args{"S1", int32_t{tree::tvwChild}, "OB7", "Seven", int32_t{3}, "mine", rt::Missing{}, bool16(-1), "tag"};
    rt::Args byId = args;
    rt::callByName(manager, "AddNode", CallKind::Method, args);
    EXPECT_EQ(args[5], rt::Variant("optoff"));
    EXPECT_EQ(imageOf("OB7"), "optoff");
    EXPECT_EQ(tv->Nodes()->Item(rt::Variant("OB7"))->Tag(), rt::Variant("tag"));

    byId[2] = "OB8";
    rt::invokeDispid(*manager, 0x6003000A, CallKind::Method, byId);
    EXPECT_EQ(byId[5], rt::Variant("optoff"));
    EXPECT_EQ(imageOf("OB8"), "optoff");
    EXPECT_TRUE(reports().empty());
}

TEST_F(ManagerSurfaceTest, AddNodeWritesBackTheKeyAndTheBlankPictureForAPlainNode) {
    rt::Args args{"", int32_t{0}, "S9", "Plain", int32_t{0}, "", rt::Missing{}};
    rt::callByName(manager, "AddNode", CallKind::Method, args);
    ASSERT_EQ(args.size(), 9u);
    EXPECT_EQ(args[5], rt::Variant("S9"));
    auto form = frmKwAmbrTvsA::peek();
    ASSERT_TRUE(form);
    EXPECT_TRUE(rt::sameObject(rt::toObject(args[6]), form->imgBlank->Picture()));
    EXPECT_EQ(imageOf("S9"), "S9");
    EXPECT_TRUE(reports().empty());
}

TEST_F(ManagerSurfaceTest, AddNodeWritesBackEvenWhenAReportFails) {
    // Unbound, step 8 fails; its report fails too and ends the call, after
    // step 4 has chosen the image key and the picture.
    call("TreeViewObject", CallKind::PropertySet, {rt::ObjectRef()});
    handler.failWith(rt::errnum::CannotCreate);
    struct Case {
        const char* name;
        int32_t style;
        const char* expectedKey;
        bool blankPicture;
    };
    const Case cases[] = {
        {"check box", TVSNodeStyle_CheckBoxOn, "chkon", false},
        {"plain node", TVSNodeStyle_Default, "P1", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rt::Args args{"", int32_t{0}, "P1", "Plain", c.style, "", rt::Missing{}};
        EXPECT_EQ(errorNumberOf([&] { rt::callByName(manager, "AddNode", CallKind::Method, args); }),
                  rt::errnum::CannotCreate);
        ASSERT_EQ(args.size(), 9u);
        EXPECT_EQ(args[5], rt::Variant(c.expectedKey));
        auto form = frmKwAmbrTvsA::peek();
        ASSERT_TRUE(form);
        EXPECT_EQ(rt::sameObject(rt::toObject(args[6]), form->imgBlank->Picture()), c.blankPicture);
    }
}

TEST_F(ManagerSurfaceTest, MoreChildrenDefaultWritesBackTheCountOnlyWhenItFindsTheNode) {
    struct Case {
        const char* name;
        rt::Args args;
        rt::Variant result;
        rt::Variant countAfter;  // Missing: the argument was omitted
        size_t reportCount;
    };
    const std::vector<Case> cases = {
        {"section with three items", {"S1", int32_t{99}}, bool16(-1), int32_t{3}, 0},
        {"empty section", {"S2", int32_t{99}}, bool16(0), int32_t{0}, 0},
        {"item node", {"CB1", int32_t{99}}, bool16(0), int32_t{0}, 0},
        {"count omitted", {"S1"}, bool16(-1), rt::Missing{}, 0},
        {"count omitted in place", {"S1", rt::Missing{}}, bool16(-1), rt::Missing{}, 0},
        {"unknown key keeps a 32-bit count", {"nokey", int32_t{42}}, bool16(-1), int32_t{42}, 4},
        {"unknown key keeps a 16-bit count", {"nokey", int16_t{42}}, bool16(-1), int16_t{42}, 4},
        {"unknown key keeps an empty count", {"nokey", rt::Variant()}, bool16(-1), rt::Variant(), 4},
        {"unknown key keeps a text count", {"nokey", "12"}, bool16(-1), "12", 4},
        {"count given as text", {"S1", "12"}, bool16(-1), int32_t{3}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        handler.clear();
        rt::Args args = c.args;
        EXPECT_EQ(rt::callByName(manager, "MoreChildrenDefault", CallKind::Method, args), c.result);
        ASSERT_EQ(args.size(), 2u);
        EXPECT_EQ(args[1], c.countAfter) << rt::describe(args[1]);
        EXPECT_EQ(reports().size(), c.reportCount);
        for (const auto& r : reports()) EXPECT_EQ(r.site, "czAmbrTVS.MoreChildrenDefault");
    }
}

TEST_F(ManagerSurfaceTest, QueryNodeCollectionDefaultsToCheckBoxes) {
    struct Case {
        const char* name;
        rt::Args args;
        std::vector<std::string> states;
    };
    const std::vector<Case> cases = {
        {"kind omitted", {"S1"}, {"True", "False"}},
        {"kind omitted in place", {"S1", rt::Missing{}}, {"True", "False"}},
        {"check boxes", {"S1", int32_t{1}}, {"True", "False"}},
        {"option buttons", {"S1", int32_t{2}}, {"True"}},
        {"other kind", {"S1", int32_t{3}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rt::Args args = c.args;
        auto states =
            rt::toObject(rt::callByName(manager, "querynodecollection", CallKind::Method, args)).as<rt::Collection>();
        ASSERT_TRUE(states);
        EXPECT_EQ(states->texts(), c.states);
    }
    EXPECT_TRUE(reports().empty());
}

TEST_F(ManagerSurfaceTest, CBSelectAllWithFlagsOmitted) {
    struct Case {
        const char* name;
        rt::Args args;
        std::vector<std::string> images;
    };
    const std::vector<Case> cases = {
        {"both omitted: everything off", {"S1"}, {"chkoff", "chkoff", "chkoff"}},
        {"both omitted in place", {"S1", rt::Missing{}, rt::Missing{}}, {"chkoff", "chkoff", "chkoff"}},
        {"select all, inverse omitted", {"S1", bool16(-1)}, {"chkon", "chkon", "chkon"}},
        {"select all omitted, inverse", {"S1", rt::Missing{}, bool16(-1)}, {"chkoff", "opton", "chkon"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        manager->OBSetStyle("S1", "OB1", 4);  // sets the other items to "optoff"
        manager->CBSetStyle("S1", "CB1", 2);
        manager->CBSetStyle("S1", "CB2", 1);
        ASSERT_EQ(imagesUnderS1(), (std::vector<std::string>{"chkon", "opton", "chkoff"}));
        rt::Args args = c.args;
        EXPECT_EQ(rt::callByName(manager, "CBSelectAll", CallKind::Method, args), rt::Variant(int32_t{3}));
        EXPECT_EQ(imagesUnderS1(), c.images);
        EXPECT_EQ(args.size(), 3u);
        EXPECT_EQ(args[0], rt::Variant("S1"));
    }
    EXPECT_TRUE(reports().empty());
}

TEST_F(ManagerSurfaceTest, ObjectPropertiesRefuseWrongObjects) {
    const rt::ObjectRef notATree = rt::make<clsKwAmbrGeneralA>();
    EXPECT_EQ(errorNumberOf([&] { call("TreeViewObject", CallKind::PropertySet, {notATree}); }),
              rt::errnum::TypeMismatch);
    EXPECT_TRUE(rt::sameObject(manager->TreeViewObject(), notATree)) << "the reference is stored all the same";
    EXPECT_TRUE(rt::sameObject(manager->eventTreeView(), tv)) << "the events stay with the tree bound before";

    EXPECT_EQ(errorNumberOf([&] { call("treeviewobject", CallKind::PropertyLet, {notATree}); }),
              rt::errnum::TypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { call("TreeViewObject", CallKind::PropertySet, {int32_t{1}}); }),
              rt::errnum::ObjectRequired);
    EXPECT_EQ(errorNumberOf([&] { call("QueryNodeKeysCollection", CallKind::PropertySet, {notATree}); }),
              rt::errnum::TypeMismatch);
    EXPECT_EQ(errorNumberOf([&] { call("QueryNodeTextCollection", CallKind::PropertyLet, {notATree}); }),
              rt::errnum::TypeMismatch);
    EXPECT_TRUE(reports().empty()) << "property accessors do not report";
}

// Arguments to a collection property reach the collection's Item, as
// m.QueryNodeTextCollection(1) in a script; a property whose value cannot
// take them refuses them with 450.
TEST_F(ManagerSurfaceTest, ArgumentsToACollectionPropertyReachItsItem) {
    call("QueryNodeCollection", CallKind::Method, {"S1"});
    struct Case {
        const char* member;
        rt::Args args;
        std::string outcome;  // the item, or the error number
    };
    const std::vector<Case> cases = {
        {"QueryNodeTextCollection", {int32_t{1}}, "Bold"},
        {"querynodetextcollection", {int32_t{3}}, "Italic"},
        {"QueryNodeKeysCollection", {int32_t{2}}, "OB1"},
        {"QueryNodeKeysCollection", {int32_t{4}}, "error 9"},
        {"QueryNodeKeysCollection", {int32_t{1}, int32_t{2}}, "error 450"},
        {"Tag", {int32_t{1}}, "error 450"},
        {"BuddyObject", {int32_t{1}}, "error 450"},
        {"TreeViewObject", {int32_t{1}}, "error 450"},
        {"Refresh", {int32_t{1}}, "error 450"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.member) + " with " + std::to_string(c.args.size()) + " argument(s)");
        rt::Args args = c.args;
        std::string outcome;
        try {
            outcome = rt::toText(rt::callByName(manager, c.member, CallKind::Method, args));  // as scripts read
        } catch (const rt::Error& e) {
            outcome = "error " + std::to_string(e.number());
        }
        EXPECT_EQ(outcome, c.outcome);
    }
    EXPECT_EQ(tree::treeAsText(*tv).substr(0, 16), "S1 \"Fonts\" [S1]\n") << "the refused Refresh left the tree";

    // An index with an assignment is refused and changes nothing.
    const rt::ObjectRef other = rt::make<rt::Collection>();
    EXPECT_EQ(errorNumberOf([&] { call("QueryNodeTextCollection", CallKind::PropertySet, {int32_t{1}, other}); }),
              rt::errnum::WrongArgumentCount);
    EXPECT_EQ(manager->QueryNodeTextCollection()->texts(), (std::vector<std::string>{"Bold", "Serif", "Italic"}));
    EXPECT_TRUE(reports().empty());
}

TEST_F(ManagerSurfaceTest, RequiredArgumentsMustBeGiven) {
    struct Case {
        const char* name;
        rt::Args args;
    };
    const std::vector<Case> cases = {
        {"NodeGetText", {"S1"}},     {"OBSetStyle", {"S1", "OB1"}}, {"CBSetStyle", {"S1", rt::Missing{}, 1}},
        {"ExpandAll", {}},           {"OBSelectIndex", {"S1"}},     {"QueryNodeCollection", {}},
        {"MoreChildrenDefault", {}}, {"CBSelectAll", {}},           {"CBOBGetState", {rt::Missing{}, "CB1"}},
        {"GetTVSNodeStyle", {"S1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rt::Args args = c.args;
        EXPECT_EQ(errorNumberOf([&] { rt::callByName(manager, c.name, CallKind::Method, args); }),
                  rt::errnum::ArgumentNotOptional);
    }
    EXPECT_EQ(imagesUnderS1(), (std::vector<std::string>{"chkon", "opton", "chkoff"})) << "nothing changed";
}

}  // namespace
}  // namespace Sarn10B::test
