// The four small classes: two window-handle holders and two without members.
#include "library/small_classes.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>
#include <string>

#include "library/tests/expected_surface.h"

namespace Sarn10B::test {
namespace {

constexpr int32_t HandleId = 0x68030000;

struct HolderKind {
    const char* name;
    std::function<rt::Ref<HandleHolder>()> make;
};

const HolderKind holders[] = {
    {"clsKwAmbrTreeviewWndClassA", [] { return rt::Ref<HandleHolder>(rt::make<clsKwAmbrTreeviewWndClassA>()); }},
    {"clsKwAmbrListViewWndClassA", [] { return rt::Ref<HandleHolder>(rt::make<clsKwAmbrListViewWndClassA>()); }},
};

int32_t handleByName(const rt::ObjectRef& obj, std::string_view name = "Handle") {
    return rt::toInt32(rt::callByName(obj, name, rt::CallKind::PropertyGet));
}

TEST(HandleHolders, StartAtZero) {
    for (const auto& h : holders) {
        SCOPED_TRACE(h.name);
        auto obj = h.make();
        EXPECT_EQ(obj->Handle(), 0);
        EXPECT_EQ(handleByName(obj), 0);
        EXPECT_EQ(obj->classInfo().name, h.name);
    }
}

TEST(HandleHolders, StoreAnyValueUnchanged) {
    const int32_t values[] = {
        -1, -123456, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), 0x00010002, 0};
    for (const auto& h : holders) {
        auto obj = h.make();
        for (int32_t v : values) {
            SCOPED_TRACE(std::string(h.name) + " " + std::to_string(v));
            obj->setHandle(v);
            EXPECT_EQ(obj->Handle(), v);
            EXPECT_EQ(handleByName(obj), v);
        }
    }
}

TEST(HandleHolders, InstancesKeepSeparateValues) {
    for (const auto& h : holders) {
        SCOPED_TRACE(h.name);
        auto first = h.make();
        auto second = h.make();
        first->setHandle(-42);
        second->setHandle(4242);
        EXPECT_EQ(first->Handle(), -42);
        EXPECT_EQ(second->Handle(), 4242);
    }
    // The two classes share their code but not their values either.
    auto tree = holders[0].make();
    auto list = holders[1].make();
    tree->setHandle(7);
    EXPECT_EQ(list->Handle(), 0);
}

TEST(HandleHolders, HandleByNameAndByDispatchIdentifier) {
    for (const auto& h : holders) {
        SCOPED_TRACE(h.name);
        auto obj = h.make();

        rt::callByName(obj, "hANDLE", rt::CallKind::PropertyLet, {int32_t{-17}});
        rt::Args none;
        EXPECT_EQ(rt::invokeDispid(*obj, HandleId, rt::CallKind::PropertyGet, none), rt::Variant(int32_t{-17}));

        rt::Args value{int16_t{300}};  // any numeric value is converted to 32 bits
        rt::invokeDispid(*obj, HandleId, rt::CallKind::PropertyLet, value);
        EXPECT_EQ(handleByName(obj, "HANDLE"), 300);
        EXPECT_EQ(rt::callByName(obj, "handle", rt::CallKind::Method), rt::Variant(int32_t{300}))
            << "a method call is answered by the get";
    }
}

TEST(HandleHolders, BadCallsFailAndKeepTheValue) {
    struct Case {
        const char* name;
        std::function<void(const rt::ObjectRef&)> call;
        int32_t expected;
    };
    const Case cases[] = {
        {"let with text",
         [](const rt::ObjectRef& o) { rt::callByName(o, "Handle", rt::CallKind::PropertyLet, {"abc"}); },
         rt::errnum::TypeMismatch},
        {"let beyond 32 bits",
         [](const rt::ObjectRef& o) { rt::callByName(o, "Handle", rt::CallKind::PropertyLet, {double{3e9}}); },
         rt::errnum::Overflow},
        {"let without value", [](const rt::ObjectRef& o) { rt::callByName(o, "Handle", rt::CallKind::PropertyLet); },
         rt::errnum::ArgumentNotOptional},
        {"set by reference",
         [](const rt::ObjectRef& o) { rt::callByName(o, "Handle", rt::CallKind::PropertySet, {o}); },
         rt::errnum::NoSuchMember},
        {"unknown name", [](const rt::ObjectRef& o) { rt::callByName(o, "Hwnd", rt::CallKind::PropertyGet); },
         rt::errnum::NoSuchMember},
        {"unknown identifier",
         [](const rt::ObjectRef& o) {
             rt::Args none;
             rt::invokeDispid(*o, 0x68030001, rt::CallKind::PropertyGet, none);
         },
         rt::errnum::NoSuchMember},
    };
    for (const auto& h : holders) {
        auto obj = h.make();
        obj->setHandle(99);
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(h.name) + ": " + c.name);
            EXPECT_EQ(errorNumberOf([&] { c.call(obj); }), c.expected);
            EXPECT_EQ(obj->Handle(), 99);
        }
    }
}

TEST(MemberlessClasses, AnswerEveryCallWith438) {
    const std::pair<const char*, rt::ObjectRef> objects[] = {
        {"clsKwAmbrGeneralA", rt::make<clsKwAmbrGeneralA>()},
        {"clsKwAmbrAdvancedA", rt::make<clsKwAmbrAdvancedA>()},
    };
    const rt::CallKind kinds[] = {rt::CallKind::Method, rt::CallKind::PropertyGet, rt::CallKind::PropertyLet,
                                  rt::CallKind::PropertySet};
    for (const auto& entry : objects) {
        const char* const name = entry.first;
        const rt::ObjectRef& obj = entry.second;
        EXPECT_EQ(obj->classInfo().name, name);
        EXPECT_TRUE(obj->classInfo().members.empty());
        for (rt::CallKind kind : kinds) {
            for (const char* member : {"Handle", "Refresh", "About", "", "Value"}) {
                SCOPED_TRACE(std::string(name) + "." + member);
                EXPECT_EQ(errorNumberOf([&] { rt::callByName(obj, member, kind); }), rt::errnum::NoSuchMember);
                EXPECT_EQ(errorNumberOf([&] { rt::callByName(obj, member, kind, {int32_t{1}}); }),
                          rt::errnum::NoSuchMember);
            }
            for (int32_t dispid : {0, -1, HandleId, 0x60030009}) {
                SCOPED_TRACE(std::string(name) + " #" + std::to_string(dispid));
                rt::Args none;
                EXPECT_EQ(errorNumberOf([&] { rt::invokeDispid(*obj, dispid, kind, none); }), rt::errnum::NoSuchMember);
            }
        }
    }
}

}  // namespace
}  // namespace Sarn10B::test
