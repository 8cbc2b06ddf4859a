#include <gtest/gtest.h>

#include "runtime/collection.h"
#include "runtime/dispatch.h"
#include "runtime/error.h"
#include "runtime/tests/helpers.h"

namespace {

using runtime_tests::errorNumberOf;

class Thing : public rt::Object {};

// Three items: two with keys, one without, in between.
class CollectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        c->Add("a", "first");
        c->Add(int32_t{2});
        c->Add("c", "Third");
    }

    std::vector<rt::Variant> items() const { return {c->begin(), c->end()}; }

    rt::Ref<rt::Collection> c = rt::make<rt::Collection>();
};

TEST_F(CollectionTest, ItemsAreNumberedFromOne) {
    EXPECT_EQ(c->Count(), 3);
    EXPECT_EQ(c->Item(int32_t{1}), rt::Variant("a"));
    EXPECT_EQ(c->Item(int16_t{2}), rt::Variant(int32_t{2}));
    EXPECT_EQ(c->Item(3.0), rt::Variant("c"));
    EXPECT_EQ(items(), (std::vector<rt::Variant>{"a", int32_t{2}, "c"}));
}

TEST_F(CollectionTest, KeysAreFoundWithoutRegardToCase) {
    struct Row {
        const char* key;
        const char* item;
    };
    const Row rows[] = {{"first", "a"}, {"FIRST", "a"}, {"First", "a"}, {"third", "c"}, {"THIRD", "c"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        EXPECT_EQ(c->Item(row.key), rt::Variant(row.item));
    }
    c->Add("umlaut", "Äpfel");
    EXPECT_EQ(c->Item("äPFEL"), rt::Variant("umlaut"));
}

TEST_F(CollectionTest, DuplicateKeyFailsAndAddsNothing) {
    EXPECT_EQ(errorNumberOf([&] { c->Add("x", "FIRST"); }), rt::errnum::DuplicateKey);
    EXPECT_EQ(c->Count(), 3);
    EXPECT_EQ(c->Item("first"), rt::Variant("a"));
    EXPECT_EQ(items(), (std::vector<rt::Variant>{"a", int32_t{2}, "c"}));

    c->Add("d", "fourth");
    EXPECT_EQ(c->Item("fourth"), rt::Variant("d"));
    EXPECT_EQ(c->Item(int32_t{4}), rt::Variant("d"));
}

TEST_F(CollectionTest, BadPositionsAndKeysFailAndChangeNothing) {
    struct Row {
        const char* name;
        rt::Variant index;
        int32_t error;
    };
    const Row rows[] = {
        {"zero", int32_t{0}, rt::errnum::Subscript},
        {"count + 1", int32_t{4}, rt::errnum::Subscript},
        {"negative", int32_t{-1}, rt::errnum::Subscript},
        {"empty counts as zero", rt::Empty{}, rt::errnum::Subscript},
        {"unknown key", "second", rt::errnum::InvalidCall},
        {"key with a blank", "first ", rt::errnum::InvalidCall},
        {"null", rt::Null{}, rt::errnum::InvalidNull},
        {"missing", rt::Missing{}, rt::errnum::TypeMismatch},
        {"object", rt::Variant(rt::make<Thing>()), rt::errnum::TypeMismatch},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(errorNumberOf([&] { c->Item(row.index); }), row.error);
        EXPECT_EQ(errorNumberOf([&] { c->Remove(row.index); }), row.error);
        EXPECT_EQ(c->Count(), 3);
    }
}

TEST(EmptyCollectionTest, HasNoFirstItem) {
    rt::Collection c;
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(errorNumberOf([&] { c.Item(int32_t{1}); }), rt::errnum::Subscript);
    EXPECT_EQ(errorNumberOf([&] { c.Item("key"); }), rt::errnum::InvalidCall);
    EXPECT_EQ(c.begin(), c.end());
}

TEST_F(CollectionTest, RemoveByPositionKeepsTheOtherKeys) {
    c->Remove(int32_t{1});
    EXPECT_EQ(c->Count(), 2);
    EXPECT_EQ(c->Item(int32_t{1}), rt::Variant(int32_t{2}));
    EXPECT_EQ(c->Item("third"), rt::Variant("c"));
    EXPECT_EQ(c->Item(int32_t{2}), rt::Variant("c"));
    EXPECT_EQ(errorNumberOf([&] { c->Item("first"); }), rt::errnum::InvalidCall);

    c->Add("again", "FIRST");  // the removed key is free again
    EXPECT_EQ(c->Item("first"), rt::Variant("again"));
    EXPECT_EQ(items(), (std::vector<rt::Variant>{int32_t{2}, "c", "again"}));
}

TEST_F(CollectionTest, RemoveByKeyKeepsTheOtherKeys) {
    c->Remove("FIRST");
    EXPECT_EQ(c->Count(), 2);
    EXPECT_EQ(c->Item("Third"), rt::Variant("c"));
    c->Remove("third");
    EXPECT_EQ(items(), (std::vector<rt::Variant>{int32_t{2}}));
    EXPECT_EQ(errorNumberOf([&] { c->Item("third"); }), rt::errnum::InvalidCall);
}

TEST_F(CollectionTest, EmptyKeySurvivesRemovalOfOtherItems) {
    c->Add("blank", std::string());
    EXPECT_EQ(c->Item(""), rt::Variant("blank"));
    EXPECT_EQ(errorNumberOf([&] { c->Add("x", std::string()); }), rt::errnum::DuplicateKey);

    c->Remove(int32_t{1});
    EXPECT_EQ(c->Item(""), rt::Variant("blank"));
    EXPECT_EQ(c->Item("third"), rt::Variant("c"));
    EXPECT_EQ(c->Item(int32_t{3}), rt::Variant("blank"));
}

TEST_F(CollectionTest, RoomMadeAheadChangesNoItemOrKey) {
    rt::Enumerator e(c);
    rt::Variant first;
    ASSERT_TRUE(e.Next(first));
    c->reserveMore(0);
    c->reserveMore(1000);
    for (int32_t i = 0; i < 1000; ++i) {
        c->reserveMore(1);  // many small requests, as repeated queries make
        c->Add(i);
    }
    EXPECT_EQ(c->Count(), 1003);
    EXPECT_EQ(c->Item("FIRST"), rt::Variant("a"));
    EXPECT_EQ(c->Item("third"), rt::Variant("c"));
    EXPECT_EQ(c->Item(int32_t{1003}), rt::Variant(int32_t{999}));
    rt::Variant second;
    ASSERT_TRUE(e.Next(second));
    EXPECT_EQ(second, rt::Variant(int32_t{2})) << "an enumerator goes on where it stood";
}

// Texts appended in place (as the section query fills its collections) come
// out whole, as texts, after the items already in; the keys stay as they were.
TEST_F(CollectionTest, TextsAppendedInPlaceKeepEveryByte) {
    const std::vector<std::string> texts{"", "CB000001", std::string("nul\0inside", 10), "Größe",
                                         std::string(100, 'x')};  // the last one longer than a string holds inline
    for (auto text : texts) c->addText(std::move(text));
    ASSERT_EQ(c->Count(), 3 + static_cast<int32_t>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i) {
        const rt::Variant& item = c->Item(static_cast<int32_t>(4 + i));
        EXPECT_EQ(item.type(), rt::VarType::String);
        EXPECT_EQ(item, rt::Variant(texts[i])) << "item " << 4 + i;
    }
    EXPECT_EQ(c->Item("first"), rt::Variant("a"));
    EXPECT_EQ(c->Item("THIRD"), rt::Variant("c"));
}

TEST_F(CollectionTest, TextsDescribeNonStrings) {
    c->Add(rt::Bool16{rt::True16});
    EXPECT_EQ(c->texts(), (std::vector<std::string>{"a", "2", "c", "True"}));
}

TEST_F(CollectionTest, MembersAnswerCallsByName) {
    rt::callByName(c, "Add", rt::CallKind::Method, {"d", "Fourth"});
    rt::callByName(c, "add", rt::CallKind::Method, {"e"});
    EXPECT_EQ(rt::callByName(c, "Count", rt::CallKind::Method), rt::Variant(int32_t{5}));
    EXPECT_EQ(rt::callByName(c, "count", rt::CallKind::Method), rt::Variant(int32_t{5}));
    EXPECT_EQ(rt::callByName(c, "Item", rt::CallKind::Method, {"FOURTH"}), rt::Variant("d"));
    EXPECT_EQ(rt::callByName(c, "ITEM", rt::CallKind::Method, {int32_t{5}}), rt::Variant("e"));

    rt::callByName(c, "Remove", rt::CallKind::Method, {"fourth"});
    rt::callByName(c, "REMOVE", rt::CallKind::Method, {int32_t{1}});
    EXPECT_EQ(items(), (std::vector<rt::Variant>{int32_t{2}, "c", "e"}));
}

TEST_F(CollectionTest, CallsByNameFailLikeDirectCalls) {
    struct Row {
        const char* name;
        const char* member;
        rt::Args args;
        int32_t error;
    };
    const Row rows[] = {
        {"add without item", "Add", {}, rt::errnum::ArgumentNotOptional},
        {"add with a duplicate key", "Add", {"x", "third"}, rt::errnum::DuplicateKey},
        {"item without index", "Item", {}, rt::errnum::ArgumentNotOptional},
        {"item beyond count", "Item", {int32_t{99}}, rt::errnum::Subscript},
        {"item with unknown key", "Item", {"nowhere"}, rt::errnum::InvalidCall},
        {"remove without index", "Remove", {rt::Missing{}}, rt::errnum::ArgumentNotOptional},
        {"unknown member", "Clear", {}, rt::errnum::NoSuchMember},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        rt::Args args = row.args;
        EXPECT_EQ(errorNumberOf([&] { rt::callByName(c, row.member, rt::CallKind::Method, args); }),
                  row.error);
        EXPECT_EQ(c->Count(), 3);
    }
}

// Everything an enumerator hands out, from where it stands to the end.
std::vector<rt::Variant> walk(rt::Enumerator& e) {
    std::vector<rt::Variant> out;
    for (rt::Variant item; e.Next(item);) out.push_back(item);
    return out;
}

TEST_F(CollectionTest, TheHiddenNewEnumMemberWalksTheItemsInOrder) {
    const std::vector<rt::Variant> all{"a", int32_t{2}, "c"};
    for (const rt::Variant& e : {rt::callByName(c, "_NewEnum", rt::CallKind::PropertyGet),
                                 rt::callByName(c, "_newenum", rt::CallKind::Method)}) {
        auto enumerator = rt::toObject(e).as<rt::Enumerator>();
        ASSERT_TRUE(enumerator);
        EXPECT_EQ(walk(*enumerator), all);
    }
    rt::Args none;
    auto byId = rt::toObject(rt::invokeDispid(*c, rt::NewEnumDispid, rt::CallKind::Method, none)).as<rt::Enumerator>();
    ASSERT_TRUE(byId);
    EXPECT_EQ(walk(*byId), all);
    EXPECT_EQ(c->classInfo().dispidOf("_NewEnum"), -4);
    EXPECT_EQ(errorNumberOf([&] { rt::callByName(c, "_NewEnum", rt::CallKind::Method, {int32_t{1}}); }),
              rt::errnum::WrongArgumentCount);
}

TEST_F(CollectionTest, AnEnumeratorSkipsResetsAndClones) {
    rt::Enumerator e(c);
    EXPECT_TRUE(e.Skip(1));
    auto copy = e.Clone();
    EXPECT_EQ(walk(e), (std::vector<rt::Variant>{int32_t{2}, "c"}));
    EXPECT_EQ(walk(*copy), (std::vector<rt::Variant>{int32_t{2}, "c"})) << "the copy starts where the original stood";
    rt::Variant untouched = "kept";
    EXPECT_FALSE(e.Next(untouched));
    EXPECT_EQ(untouched, rt::Variant("kept"));
    e.Reset();
    EXPECT_FALSE(e.Skip(5)) << "fewer than five were left";
    EXPECT_TRUE(walk(e).empty());
    e.Reset();
    EXPECT_TRUE(e.Skip(3));
    EXPECT_TRUE(walk(e).empty());
}

TEST_F(CollectionTest, AnEnumeratorFollowsChangesAndKeepsTheCollection) {
    rt::Enumerator e(c);
    rt::Variant item;
    ASSERT_TRUE(e.Next(item));
    c->Add("d");
    c->Remove(int32_t{3});
    c->Remove(int32_t{2});
    EXPECT_EQ(walk(e), (std::vector<rt::Variant>{"d"}));
    c->Remove(int32_t{1});
    c->Remove(int32_t{1});
    EXPECT_TRUE(walk(e).empty()) << "an emptied collection ends the walk";

    rt::Ref<rt::Enumerator> orphan;
    {
        auto only = rt::make<rt::Collection>();
        only->Add("last");
        orphan = rt::make<rt::Enumerator>(only);
    }
    EXPECT_EQ(walk(*orphan), (std::vector<rt::Variant>{"last"}));
}

TEST(EmptyCollectionTest, EnumeratesNothing) {
    rt::Enumerator e(rt::make<rt::Collection>());
    EXPECT_TRUE(walk(e).empty());
}

}  // namespace
