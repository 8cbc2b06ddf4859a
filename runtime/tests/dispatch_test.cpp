#include <gtest/gtest.h>

#include "runtime/collection.h"
#include "runtime/dispatch.h"
#include "runtime/error.h"
#include "runtime/tests/helpers.h"

namespace {

using runtime_tests::errorNumberOf;

// A class whose member table has one member of each shape that calls by name
// have to deal with.
class Probe : public rt::Object {
public:
    rt::Variant value = int32_t{1};
    rt::ObjectRef target;
    std::string slotVia;
    size_t argsSeen = 0;

    const rt::ClassInfo& classInfo() const override {
        static const rt::ClassInfo info{
            "Probe",
            {
                {"Value", 1, rt::CallKind::PropertyGet,
                 [](rt::Object& o, rt::Args&) -> rt::Variant { return rt::self<Probe>(o).value; }},
                {"Value", 1, rt::CallKind::PropertyLet,
                 [](rt::Object& o, rt::Args& a) -> rt::Variant {
                     rt::self<Probe>(o).value = rt::requiredArg(a, 0);
                     return {};
                 }},
                {"Target", 2, rt::CallKind::PropertySet,
                 [](rt::Object& o, rt::Args& a) -> rt::Variant {
                     rt::self<Probe>(o).target = rt::toObject(rt::requiredArg(a, 0));
                     return {};
                 }},
                {"Name", 3, rt::CallKind::PropertyGet,
                 [](rt::Object&, rt::Args&) -> rt::Variant { return "Probe"; }},
                {"Fill", 4, rt::CallKind::Method,
                 [](rt::Object&, rt::Args& a) -> rt::Variant {
                     a[0] = "filled";
                     return {};
                 },
                 {{"Out"}}},
                {"Options", 5, rt::CallKind::Method,
                 [](rt::Object& o, rt::Args& a) -> rt::Variant {
                     rt::self<Probe>(o).argsSeen = a.size();
                     a.at(2) = int32_t{7};  // writes back through an omitted argument
                     return rt::isOmitted(a, 1) ? "second omitted" : "second given";
                 },
                 {{"First"}, {"Second", rt::VarType::Variant, true}, {"Third", rt::VarType::Variant, true}}},
                // A set listed before its let: a let must still reach the let.
                {"Slot", 6, rt::CallKind::PropertySet,
                 [](rt::Object& o, rt::Args&) -> rt::Variant {
                     rt::self<Probe>(o).slotVia = "set";
                     return {};
                 }},
                {"Slot", 6, rt::CallKind::PropertyLet,
                 [](rt::Object& o, rt::Args&) -> rt::Variant {
                     rt::self<Probe>(o).slotVia = "let";
                     return {};
                 }},
                {"Hollow", 7, rt::CallKind::Method, nullptr},
            }};
        return info;
    }
};

// Offers nothing to calls by name.
class Plain : public rt::Object {};

// Members without parameters that hand out objects, for the calls that pass
// their arguments on to the default member of what they return.
class Holder : public rt::Object {
public:
    rt::Ref<rt::Collection> items = rt::make<rt::Collection>();
    rt::Variant held;  // what Held hands out
    int runs = 0;      // calls of Work

    Holder() {
        for (const char* text : {"one", "two", "three"}) items->Add(rt::Variant(text));
    }

    const rt::ClassInfo& classInfo() const override {
        static const rt::ClassInfo info{
            "Holder",
            {
                {"Items", 1, rt::CallKind::PropertyGet,
                 [](rt::Object& o, rt::Args&) -> rt::Variant { return rt::ObjectRef(rt::self<Holder>(o).items); }, {},
                 rt::VarType::Object},
                {"Items", 1, rt::CallKind::PropertySet,
                 [](rt::Object& o, rt::Args& a) -> rt::Variant {
                     rt::self<Holder>(o).items = rt::toObject(rt::requiredArg(a, 0)).as<rt::Collection>();
                     return {};
                 },
                 {{"RHS", rt::VarType::Object}}},
                {"Held", 2, rt::CallKind::PropertyGet,
                 [](rt::Object& o, rt::Args&) -> rt::Variant { return rt::self<Holder>(o).held; }, {},
                 rt::VarType::Variant},
                {"Count", 3, rt::CallKind::PropertyGet,
                 [](rt::Object& o, rt::Args&) -> rt::Variant { return rt::self<Holder>(o).items->Count(); }, {},
                 rt::VarType::Long},
                {"NewItems", 4, rt::CallKind::Method,
                 [](rt::Object& o, rt::Args&) -> rt::Variant {
                     ++rt::self<Holder>(o).runs;
                     return rt::ObjectRef(rt::self<Holder>(o).items);
                 },
                 {}, rt::VarType::Object},
                {"Work", 5, rt::CallKind::Method,
                 [](rt::Object& o, rt::Args&) -> rt::Variant {
                     ++rt::self<Holder>(o).runs;
                     return rt::ObjectRef(rt::self<Holder>(o).items);
                 },
                 {}, rt::VarType::Variant},
            }};
        return info;
    }
};

// An object whose default member is itself a property without parameters:
// its own collection, or (when loops) the object itself.
class Nested : public rt::Object {
public:
    rt::Ref<Holder> inner = rt::make<Holder>();
    bool loops = false;

    const rt::ClassInfo& classInfo() const override {
        static const rt::ClassInfo info{
            "Nested",
            {
                {"Items", 0, rt::CallKind::PropertyGet,
                 [](rt::Object& o, rt::Args&) -> rt::Variant {
                     auto& me = rt::self<Nested>(o);
                     if (me.loops) return rt::ObjectRef(&me);
                     return rt::ObjectRef(me.inner->items);
                 },
                 {}, rt::VarType::Object},
            }};
        return info;
    }
};

// Its default member writes its argument back.
class Filler : public rt::Object {
public:
    const rt::ClassInfo& classInfo() const override {
        static const rt::ClassInfo info{
            "Filler",
            {
                {"Fill", 0, rt::CallKind::Method,
                 [](rt::Object&, rt::Args& a) -> rt::Variant {
                     a[0] = "filled";
                     return "done";
                 },
                 {{"Out"}}, rt::VarType::Variant},
            }};
        return info;
    }
};

class DispatchTest : public ::testing::Test {
protected:
    rt::Ref<Probe> probe = rt::make<Probe>();
};

TEST_F(DispatchTest, NamesAreFoundWithoutRegardToCase) {
    for (const char* name : {"Value", "VALUE", "value", "vAlUe"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(rt::callByName(*probe, name, rt::CallKind::PropertyGet), rt::Variant(int32_t{1}));
    }
    rt::callByName(*probe, "VALUE", rt::CallKind::PropertyLet, {"changed"});
    EXPECT_EQ(probe->value, rt::Variant("changed"));
}

TEST_F(DispatchTest, UnansweredCallsFailWith438) {
    struct Row {
        const char* name;
        const char* member;
        rt::CallKind kind;
    };
    const Row rows[] = {
        {"unknown name", "Nowhere", rt::CallKind::Method},
        {"let of a get-only property", "Name", rt::CallKind::PropertyLet},
        {"set of a property without set", "Value", rt::CallKind::PropertySet},
        {"member without invoker", "Hollow", rt::CallKind::Method},
        {"empty name", "", rt::CallKind::Method},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        try {
            rt::callByName(*probe, row.member, row.kind, {"x"});
            ADD_FAILURE() << "no error";
        } catch (const rt::Error& e) {
            EXPECT_EQ(e.number(), rt::errnum::NoSuchMember);
            EXPECT_NE(e.description().find(row.member), std::string::npos) << e.description();
        }
    }
}

TEST_F(DispatchTest, LetIsAnsweredBySetWhenNoLetExists) {
    auto thing = rt::make<Plain>();
    rt::callByName(*probe, "target", rt::CallKind::PropertyLet, {thing});
    EXPECT_TRUE(rt::sameObject(probe->target, thing));
}

TEST_F(DispatchTest, LetPrefersTheLetOverAnEarlierSet) {
    rt::callByName(*probe, "Slot", rt::CallKind::PropertyLet, {int32_t{1}});
    EXPECT_EQ(probe->slotVia, "let");
    rt::callByName(*probe, "Slot", rt::CallKind::PropertySet, {int32_t{1}});
    EXPECT_EQ(probe->slotVia, "set");
}

TEST_F(DispatchTest, MethodCallIsAnsweredByPropertyGet) {
    EXPECT_EQ(rt::callByName(*probe, "name", rt::CallKind::Method), rt::Variant("Probe"));
}

TEST_F(DispatchTest, MissingRequiredArgumentFailsWith449) {
    struct Row {
        const char* name;
        const char* member;
        rt::Args args;
    };
    const Row rows[] = {
        {"no arguments", "Fill", {}},
        {"argument marked missing", "Fill", {rt::Missing{}}},
        {"first missing, optional given", "Options", {rt::Missing{}, int32_t{2}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        rt::Args args = row.args;
        EXPECT_EQ(errorNumberOf([&] { rt::callByName(*probe, row.member, rt::CallKind::Method, args); }),
                  rt::errnum::ArgumentNotOptional);
    }
    EXPECT_EQ(probe->argsSeen, 0u);  // the invoker never ran
}

TEST_F(DispatchTest, TooManyArgumentsFailWith450) {
    rt::Args args{"a", "b"};
    EXPECT_EQ(errorNumberOf([&] { rt::callByName(*probe, "Fill", rt::CallKind::Method, args); }),
              rt::errnum::WrongArgumentCount);
    EXPECT_EQ(args, (rt::Args{"a", "b"}));
}

TEST_F(DispatchTest, MembersWithoutParametersRejectAnyArgumentWith450) {
    rt::Args one{int32_t{1}};
    EXPECT_EQ(errorNumberOf([&] { rt::callByName(*probe, "Name", rt::CallKind::Method, one); }),
              rt::errnum::WrongArgumentCount);
    EXPECT_EQ(errorNumberOf([&] { rt::invokeDispid(*probe, 3, rt::CallKind::PropertyGet, one); }),
              rt::errnum::WrongArgumentCount);
    // A let takes its value although the table declares no parameter for it,
    // but nothing beyond it.
    rt::callByName(*probe, "Value", rt::CallKind::PropertyLet, {int32_t{5}});
    EXPECT_EQ(probe->value, rt::Variant(int32_t{5}));
    EXPECT_EQ(errorNumberOf([&] { rt::callByName(*probe, "Value", rt::CallKind::PropertyLet, {int32_t{1}, int32_t{6}}); }),
              rt::errnum::WrongArgumentCount);
    EXPECT_EQ(probe->value, rt::Variant(int32_t{5}));
}

TEST_F(DispatchTest, ArgumentsAreWrittenBack) {
    rt::Args args{"before"};
    rt::callByName(*probe, "Fill", rt::CallKind::Method, args);
    EXPECT_EQ(args, (rt::Args{"filled"}));
}

TEST_F(DispatchTest, OmittedOptionalArgumentsArePaddedWithMissing) {
    rt::Args args{int32_t{1}};
    EXPECT_EQ(rt::callByName(*probe, "Options", rt::CallKind::Method, args), rt::Variant("second omitted"));
    EXPECT_EQ(probe->argsSeen, 3u);
    ASSERT_EQ(args.size(), 3u);
    EXPECT_EQ(args[0], rt::Variant(int32_t{1}));
    EXPECT_TRUE(args[1].isMissing());
    EXPECT_EQ(args[2], rt::Variant(int32_t{7}));

    rt::Args given{int32_t{1}, "two"};
    EXPECT_EQ(rt::callByName(*probe, "Options", rt::CallKind::Method, given), rt::Variant("second given"));
}

TEST_F(DispatchTest, CallsByDispatchIdentifier) {
    rt::Args none;
    EXPECT_EQ(rt::invokeDispid(*probe, 3, rt::CallKind::Method, none), rt::Variant("Probe"));

    rt::Args value{"by id"};
    rt::invokeDispid(*probe, 1, rt::CallKind::PropertyLet, value);
    EXPECT_EQ(probe->value, rt::Variant("by id"));

    rt::Args out{rt::Empty{}};
    rt::invokeDispid(*probe, 4, rt::CallKind::Method, out);
    EXPECT_EQ(out, (rt::Args{"filled"}));

    EXPECT_EQ(errorNumberOf([&] { rt::invokeDispid(*probe, 99, rt::CallKind::Method, none); }),
              rt::errnum::NoSuchMember);
}

TEST_F(DispatchTest, DispidOfFindsNamesWithoutRegardToCase) {
    const auto& info = probe->classInfo();
    EXPECT_EQ(info.dispidOf("value"), 1);
    EXPECT_EQ(info.dispidOf("OPTIONS"), 5);
    EXPECT_EQ(errorNumberOf([&] { info.dispidOf("Nowhere"); }), rt::errnum::NoSuchMember);
}

TEST_F(DispatchTest, ReferencesAreCalledLikeObjects) {
    rt::ObjectRef ref = probe;
    EXPECT_EQ(rt::callByName(ref, "Name", rt::CallKind::PropertyGet), rt::Variant("Probe"));
    rt::Args args{"x"};
    rt::callByName(ref, "Fill", rt::CallKind::Method, args);
    EXPECT_EQ(args, (rt::Args{"filled"}));
}

// A member without parameters that hands out an object passes the arguments
// it is given on to that object's default member: h.Items(2) is
// h.Items().Item(2).
class DefaultMemberTest : public ::testing::Test {
protected:
    rt::Ref<Holder> holder = rt::make<Holder>();

    rt::Variant byName(std::string_view name, rt::CallKind kind, rt::Args args) {
        return rt::callByName(*holder, name, kind, args);
    }
};

TEST_F(DefaultMemberTest, ArgumentsReachTheDefaultMemberOfTheResult) {
    struct Row {
        const char* name;
        const char* member;
        rt::CallKind kind;
        rt::Args args;
        rt::Variant expected;
    };
    const Row rows[] = {
        {"a property read as a method", "Items", rt::CallKind::Method, {int32_t{2}}, "two"},
        {"in any letter case", "ITEMS", rt::CallKind::Method, {int32_t{3}}, "three"},
        {"a variant property holding an object", "Held", rt::CallKind::Method, {int32_t{1}}, "one"},
        {"a method declared to return an object", "NewItems", rt::CallKind::Method, {int32_t{2}}, "two"},
    };
    holder->held = rt::ObjectRef(holder->items);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(byName(row.member, row.kind, row.args), row.expected);
    }
    rt::Args byId{int32_t{3}};
    EXPECT_EQ(rt::invokeDispid(*holder, 1, rt::CallKind::Method, byId), rt::Variant("three")) << "by identifier";
}

TEST_F(DefaultMemberTest, AResultThatCannotTakeTheArgumentsFailsWith450) {
    struct Row {
        const char* name;
        rt::Variant held;
    };
    const Row rows[] = {
        {"no object", int32_t{5}},
        {"an empty variant", rt::Empty{}},
        {"nothing", rt::ObjectRef()},
        {"an object without members", rt::ObjectRef(rt::make<Plain>())},
        {"an object without a default member", rt::ObjectRef(rt::make<Holder>())},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        holder->held = row.held;
        rt::Args args{int32_t{1}};
        EXPECT_EQ(errorNumberOf([&] { rt::callByName(*holder, "Held", rt::CallKind::Method, args); }),
                  rt::errnum::WrongArgumentCount);
        EXPECT_EQ(args, (rt::Args{int32_t{1}})) << "the arguments are left as they were";
    }
}

TEST_F(DefaultMemberTest, OnlyReadsAndObjectMethodsPassArgumentsOn) {
    struct Row {
        const char* name;
        const char* member;
        rt::CallKind kind;
        rt::Args args;
    };
    const Row rows[] = {
        {"a property of another type", "Count", rt::CallKind::Method, {int32_t{1}}},
        {"a method declared to return a variant", "Work", rt::CallKind::Method, {int32_t{1}}},
        {"an index with an assignment", "Items", rt::CallKind::PropertySet,
         {int32_t{1}, rt::ObjectRef(rt::make<rt::Collection>())}},
        {"the default member given too many", "Items", rt::CallKind::Method, {int32_t{1}, int32_t{2}}},
    };
    const rt::Ref<rt::Collection> before = holder->items;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        rt::Args args = row.args;
        EXPECT_EQ(errorNumberOf([&] { rt::callByName(*holder, row.member, row.kind, args); }),
                  rt::errnum::WrongArgumentCount);
    }
    EXPECT_EQ(holder->runs, 0) << "a method that is refused does not run";
    EXPECT_TRUE(rt::sameObject(holder->items, before)) << "the assignment changed nothing";
    EXPECT_EQ(holder->items->texts(), (std::vector<std::string>{"one", "two", "three"}));
}

TEST_F(DefaultMemberTest, TheDefaultMemberChecksItsOwnArguments) {
    EXPECT_EQ(errorNumberOf([&] { byName("Items", rt::CallKind::Method, {int32_t{4}}); }), rt::errnum::Subscript);
    EXPECT_EQ(errorNumberOf([&] { byName("Items", rt::CallKind::Method, {rt::Missing{}}); }),
              rt::errnum::ArgumentNotOptional);
    EXPECT_EQ(errorNumberOf([&] { byName("Items", rt::CallKind::Method, {"no such key"}); }),
              rt::errnum::InvalidCall);
}

TEST_F(DefaultMemberTest, ADefaultMemberWithoutParametersPassesThemOnAgain) {
    auto nested = rt::make<Nested>();
    holder->held = rt::ObjectRef(nested);
    rt::Args args{int32_t{2}};
    EXPECT_EQ(rt::callByName(*holder, "Held", rt::CallKind::Method, args), rt::Variant("two"))
        << "Held(2) is Held().Items().Item(2)";

    nested->loops = true;
    rt::Args again{int32_t{2}};
    EXPECT_EQ(errorNumberOf([&] { rt::callByName(*holder, "Held", rt::CallKind::Method, again); }),
              rt::errnum::WrongArgumentCount)
        << "a default member that returns its own object ends in 450";
    rt::Args after{int32_t{1}};
    holder->held = rt::ObjectRef(holder->items);
    EXPECT_EQ(rt::callByName(*holder, "Held", rt::CallKind::Method, after), rt::Variant("one"))
        << "the next call starts afresh";
}

TEST_F(DefaultMemberTest, TheDefaultMemberWritesArgumentsBack) {
    holder->held = rt::ObjectRef(rt::make<Filler>());
    rt::Args args{"before"};
    EXPECT_EQ(rt::callByName(*holder, "Held", rt::CallKind::Method, args), rt::Variant("done"));
    EXPECT_EQ(args, (rt::Args{"filled"}));
}

TEST(DispatchOnNothingTest, FailsWith91) {
    rt::ObjectRef none;
    EXPECT_EQ(errorNumberOf([&] { rt::callByName(none, "Name", rt::CallKind::PropertyGet); }),
              rt::errnum::ObjectNotSet);
    rt::Args args;
    EXPECT_EQ(errorNumberOf([&] { rt::callByName(none, "Name", rt::CallKind::Method, args); }),
              rt::errnum::ObjectNotSet);
}

TEST(DispatchOnPlainObjectTest, EveryCallFailsWith438) {
    auto plain = rt::make<Plain>();
    EXPECT_EQ(errorNumberOf([&] { rt::callByName(plain, "Anything", rt::CallKind::Method); }),
              rt::errnum::NoSuchMember);
}

TEST(ArgumentAccessTest, PositionsBeyondTheArgumentsReadAsMissing) {
    const rt::Args args{int32_t{1}, rt::Missing{}};
    EXPECT_EQ(rt::argAt(args, 0), rt::Variant(int32_t{1}));
    EXPECT_TRUE(rt::argAt(args, 5).isMissing());
    EXPECT_FALSE(rt::isOmitted(args, 0));
    EXPECT_TRUE(rt::isOmitted(args, 1));
    EXPECT_TRUE(rt::isOmitted(args, 2));
    EXPECT_EQ(rt::requiredArg(args, 0), rt::Variant(int32_t{1}));
    EXPECT_EQ(errorNumberOf([&] { rt::requiredArg(args, 1); }), rt::errnum::ArgumentNotOptional);
    EXPECT_EQ(errorNumberOf([&] { rt::requiredArg(args, 2); }), rt::errnum::ArgumentNotOptional);
}

}  // namespace
