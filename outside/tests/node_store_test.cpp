// The node store under the in-memory tree view: the key index as it grows,
// one node object per node, and tags.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outside/memory_tree.h"
#include "outside/node_store.h"
#include "runtime/text.h"
#include "outside/tests/error_number.h"
#include "runtime/text.h"

namespace {

using outside_tests::errorNumberOf;
using tree::errnum::KeyNotUnique;

// Keys that differ only in case are one key, however large the index has
// grown in between; a lookup finds the node by any spelling.
TEST(NodeStore, FindsAndRefusesKeysWithoutRegardToCaseAcrossIndexGrowth) {
    tree::MemoryTreeView view;
    auto nodes = view.Nodes();
    constexpr int count = 5000;
    for (int i = 0; i < count; ++i) nodes->Add(rt::Missing{}, rt::Missing{}, "Key" + std::to_string(i), "", rt::Missing{});
    // One key beyond ASCII, whose folded form has another byte count.
    nodes->Add(rt::Missing{}, rt::Missing{}, "ΣΟΦΙΑ", "", rt::Missing{});
    view.checkInvariants();

    for (int i = 0; i < count; i += 997) {
        SCOPED_TRACE(i);
        EXPECT_EQ(nodes->Item("kEY" + std::to_string(i))->Key(), "Key" + std::to_string(i));
        EXPECT_EQ(errorNumberOf([&] { nodes->Add(rt::Missing{}, rt::Missing{}, "KEY" + std::to_string(i), "", rt::Missing{}); }),
                  KeyNotUnique);
    }
    EXPECT_EQ(nodes->Item("σοφια")->Key(), "ΣΟΦΙΑ");
    EXPECT_EQ(nodes->Count(), count + 1) << "a refused add adds nothing";
    view.checkInvariants();
}

// Short plain keys are folded in place, others through the full folding:
// either way a key is found by any spelling, and characters next to the
// letters stay themselves.
TEST(NodeStore, FoldsShortLongAndWiderKeysAlike) {
    const std::string long64(64, 'K');
    const std::string long65(65, 'K');
    struct Case {
        std::string stored, other;
    };
    const std::vector<Case> cases = {
        {"Key", "kEY"},
        {"AZaz", "azAZ"},
        {long64, std::string(64, 'k')},
        {long65, std::string(65, 'k')},
        {"Grün" + std::string(70, 'X'), "GRÜN" + std::string(70, 'x')},
        {"ÀB", "àb"},
        {"@[", "@["},
        // A capital I takes the full folding and a small i the one in place:
        // both must file the key alike, at every length that the hashing
        // cuts into words differently.
        {"KIND", "kind"},
        {"ink", "INK"},
        {"Sl", "sL"},
        {"Mixed07", "mIXED07"},
        {"eightIbs", "EIGHTIBS"},
        {"NineBytes", "ninebytes"},
        {"sixteen-bytes-ID", "SIXTEEN-BYTES-id"},
        {"Seventeen-Bytes-I", "seventeen-bytes-i"},
    };
    tree::MemoryTreeView view;
    auto nodes = view.Nodes();
    for (const auto& c : cases) nodes->Add(rt::Missing{}, rt::Missing{}, c.stored, "", rt::Missing{});
    // Those next to the letters do not fold onto ` and {.
    nodes->Add(rt::Missing{}, rt::Missing{}, "`{", "", rt::Missing{});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(nodes->Item(c.other)->Key(), c.stored);
        EXPECT_EQ(errorNumberOf([&] { nodes->Add(rt::Missing{}, rt::Missing{}, c.other, "", rt::Missing{}); }),
                  KeyNotUnique);
    }
    EXPECT_EQ(nodes->Item("`{")->Key(), "`{");
    EXPECT_EQ(nodes->Count(), static_cast<int32_t>(cases.size()) + 1);
    view.checkInvariants();
}

// The very same object for a node on every request, whether another
// reference is held or not; what a node holds stays with the node.
// The byte-by-byte comparison of image keys answers as the full one does,
// under an English and a Turkish locale alike.
TEST(NodeStore, ComparesImageKeysAsTextsAre) {
    const std::pair<const char*, const char*> pairs[] = {
        {"chkon", "chkon"},   {"CHKON", "chkon"},   {"chkon", "chkoff"}, {"chk", "chkon"},   {"chkon", "chk"},
        {"", ""},             {"", "opton"},        {"@", "`"},          {"[", "{"},         {"opt_on", "OPT_ON"},
        {"Icon", "icon"},     {"ICON", "\xc4\xb1" "con"}, {"\xc4\xb0" "con", "icon"}, {"\xc3\x84pfel", "\xc3\xa4PFEL"},
        {"stra\xc3\x9f" "e", "STRASSE"}, {"ab\xc3\x9f", "ab"}, {"x1", "x2"},
        // The same bytes first, then a difference or one text longer.
        {"i", "i"},           {"ii", "iI"},         {"\xc3\xa4", "\xc3\xa4x"}, {"\xc3\xa4ss", "\xc3\xa4\xc3\x9f"},
        {"\xc3\xa4X", "\xc3\xa4x"}, {"OB000001", "OB032767"}, {"OB000001", "ob000001"},
    };
    for (const char* locale : {"en_US", "tr_TR.UTF-8"}) {
        rt::setTextLocale(locale);
        for (const auto& [a, b] : pairs) {
            SCOPED_TRACE(std::string(locale) + ": " + a + " / " + b);
            EXPECT_EQ(tree::sameImageKey(a, b), rt::textEquals(a, b));
            EXPECT_EQ(tree::sameImageKey(b, a), rt::textEquals(b, a));
        }
    }
    rt::setTextLocale("");
}

TEST(NodeStore, HandsOutOneObjectPerNode) {
    tree::MemoryTreeView view;
    auto nodes = view.Nodes();
    nodes->Add(rt::Missing{}, rt::Missing{}, "P", "parent", rt::Missing{});
    nodes->Add("P", tree::tvwChild, "C", "child", rt::Missing{});

    auto held = nodes->Item("C");
    EXPECT_TRUE(rt::sameObject(held, nodes->Item(2)));
    EXPECT_TRUE(rt::sameObject(held, nodes->Item("P")->Child()));
    held->setTag("kept");
    const tree::TreeNode* address = held.get();
    held = nullptr;
    view.checkInvariants();

    auto again = nodes->Item("P")->Child();
    EXPECT_EQ(again.get(), address);
    EXPECT_EQ(rt::toText(again->Tag()), "kept");
    EXPECT_TRUE(rt::sameObject(again->Parent(), nodes->Item(1)));
    view.checkInvariants();
}

// The relative and the image key of one add are compared with those of the
// add before by their bytes, a word at a time: two texts of the same length
// that differ in one byte, wherever it lies, name two nodes and two images.
TEST(NodeStore, TellsApartRelativesAndImageKeysThatDifferInOneByte) {
    for (size_t length : {1, 3, 4, 5, 7, 8, 9, 12, 15, 16, 17, 24}) {
        for (size_t at : {size_t{0}, length / 2, length - 1}) {
            const std::string a(length, 'k');
            std::string b = a;
            b[at] = 'q';
            SCOPED_TRACE(a + " / " + b);
            tree::MemoryTreeView view;
            auto list = rt::make<tree::ImageList>();
            for (const auto& k : {a, b})
                list->ListImages()->Add(rt::Missing{}, k, rt::make<rt::Picture>(rt::PictureType::Bitmap, 16, 16));
            view.SetImageList(list);
            auto nodes = view.Nodes();
            nodes->Add(rt::Missing{}, rt::Missing{}, a, "", rt::Missing{});
            nodes->Add(rt::Missing{}, rt::Missing{}, b, "", rt::Missing{});
            // Alternating, so that each add follows one under the other node.
            for (int i = 0; i < 4; ++i) {
                const std::string& parent = i % 2 == 0 ? a : b;
                const std::string child = "c" + std::to_string(i);
                nodes->Add(parent, tree::tvwChild, child, "", parent);
                EXPECT_EQ(nodes->Item(child)->Parent()->Key(), parent);
                EXPECT_EQ(rt::toText(nodes->Item(child)->Image()), parent);
            }
            view.checkInvariants();
        }
    }
}

// A node object that outlives a Clear, or the view, fails with 35605 and
// does not reach into what came after.
TEST(NodeStore, AnObjectOfAClearedTreeStaysDead) {
    auto view = rt::make<tree::MemoryTreeView>();
    auto nodes = view->Nodes();
    nodes->Add(rt::Missing{}, rt::Missing{}, "A", "a", rt::Missing{});
    auto old = nodes->Item("A");
    nodes->Clear();
    nodes->Add(rt::Missing{}, rt::Missing{}, "A", "new", rt::Missing{});
    EXPECT_EQ(errorNumberOf([&] { old->Text(); }), tree::errnum::ControlDeleted);
    EXPECT_FALSE(rt::sameObject(old, nodes->Item("A")));
    old = nullptr;  // must not forget the new node's object
    auto current = nodes->Item("A");
    EXPECT_TRUE(rt::sameObject(current, nodes->Item(1)));
    view->checkInvariants();

    view = nullptr;
    EXPECT_EQ(errorNumberOf([&] { current->Key(); }), tree::errnum::ControlDeleted);
}

// Tags of every kind come back as given; a node that goes back and forth
// between no tag and a tag keeps them apart from other nodes' tags.
TEST(NodeStore, KeepsEachNodesTag) {
    tree::MemoryTreeView view;
    auto nodes = view.Nodes();
    nodes->Add(rt::Missing{}, rt::Missing{}, "A", "", rt::Missing{});
    nodes->Add(rt::Missing{}, rt::Missing{}, "B", "", rt::Missing{});
    auto a = nodes->Item("A");
    auto b = nodes->Item("B");
    EXPECT_TRUE(a->Tag().isEmpty()) << "a new node has no tag";

    const std::vector<rt::Variant> values{rt::Variant(std::string()), rt::Variant("x"), rt::Variant(int32_t{7}),
                                          rt::Variant(), rt::Variant("y"), rt::Variant(std::string())};
    for (size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(i);
        a->setTag(values[i]);
        b->setTag(values[values.size() - 1 - i]);
        EXPECT_EQ(a->Tag(), values[i]);
        EXPECT_EQ(b->Tag(), values[values.size() - 1 - i]);
        view.checkInvariants();
    }
}

}  // namespace

// Under a Turkish locale the capital I pairs with the dotless i, also in
// keys that are otherwise plain ASCII.
TEST(NodeStore, KeysWithACapitalIFollowTheLocale) {
    struct Locale {
        explicit Locale(const char* name) { rt::setTextLocale(name); }
        ~Locale() { rt::setTextLocale(""); }
    };
    struct Case {
        const char* locale;
        std::string stored, other;
        bool same;
    };
    const Case cases[] = {
        {"tr_TR.UTF-8", "ISPARTA", "ısparta", true},
        {"tr_TR.UTF-8", "I", "ı", true},
        {"tr_TR.UTF-8", "ISPARTA", "isparta", false},
        {"en_US.UTF-8", "ISPARTA", "isparta", true},
        {"en_US.UTF-8", "I", "ı", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + ": " + c.stored + " / " + c.other);
        const Locale chosen(c.locale);
        tree::MemoryTreeView view;
        auto nodes = view.Nodes();
        nodes->Add(rt::Missing{}, rt::Missing{}, c.stored, "", rt::Missing{});
        if (c.same) {
            EXPECT_EQ(nodes->Item(c.other)->Key(), c.stored);
        } else {
            EXPECT_EQ(errorNumberOf([&] { nodes->Item(c.other); }), 35601);
        }
    }
}
