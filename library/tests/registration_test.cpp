// The component surface in a process: the six programmatic identifiers, the
// library object as the application object, and unregistering.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "library/component.h"
#include "library/library_object.h"
#include "library/small_classes.h"
#include "library/tests/expected_surface.h"
#include "manager/style_manager.h"
#include "runtime/app_object.h"
#include "runtime/app_objects.h"
#include "runtime/classes.h"

namespace Sarn10B::test {
namespace {

using rt::CallKind;

const char* const LibraryObjectId = "Sarn10B.clsKwOrvel10BA";

struct ClassCase {
    std::string progId;
    std::function<bool(const rt::ObjectRef&)> isRightClass;
};

template <class T>
std::function<bool(const rt::ObjectRef&)> is() {
    return [](const rt::ObjectRef& o) { return static_cast<bool>(o.as<T>()); };
}

const std::vector<ClassCase>& classCases() {
    static const std::vector<ClassCase> cases = {
        {"Sarn10B.clsKwAmbrTvsA", is<clsKwAmbrTvsA>()},
        {"Sarn10B.clsKwOrvel10BA", is<clsKwOrvel10BA>()},
        {"Sarn10B.clsKwAmbrListViewWndClassA", is<clsKwAmbrListViewWndClassA>()},
        {"Sarn10B.clsKwAmbrTreeviewWndClassA", is<clsKwAmbrTreeviewWndClassA>()},
        {"Sarn10B.clsKwAmbrGeneralA", is<clsKwAmbrGeneralA>()},
        {"Sarn10B.clsKwAmbrAdvancedA", is<clsKwAmbrAdvancedA>()},
    };
    return cases;
}

std::string lower(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}
std::string upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

class RegistrationTest : public ::testing::Test {
protected:
    RegistrationTest() { registerLibrary(); }
    ~RegistrationTest() override { unregisterLibrary(); }
};

TEST_F(RegistrationTest, ListsTheSixIdentifiersInTypeLibraryOrder) {
    std::vector<std::string> expected;
    for (const auto& c : classCases()) expected.push_back(c.progId);
    EXPECT_EQ(programmaticIds(), expected);
}

TEST_F(RegistrationTest, EveryClassIsCreatableByItsIdentifierInAnyCase) {
    for (const auto& c : classCases()) {
        for (const std::string& id : {c.progId, lower(c.progId), upper(c.progId)}) {
            SCOPED_TRACE(id);
            EXPECT_TRUE(rt::isClassRegistered(id));
            rt::ObjectRef first = rt::createObject(id);
            rt::ObjectRef second = rt::createObject(id);
            ASSERT_TRUE(first);
            EXPECT_TRUE(c.isRightClass(first));
            EXPECT_EQ(first->classInfo().name, c.progId.substr(c.progId.find('.') + 1));
            EXPECT_FALSE(rt::sameObject(first, second)) << "any number of instances";
        }
    }
}

TEST_F(RegistrationTest, UnregisteringMakesEveryIdentifierFailWith429) {
    unregisterLibrary();
    for (const auto& c : classCases()) {
        SCOPED_TRACE(c.progId);
        EXPECT_FALSE(rt::isClassRegistered(c.progId));
        EXPECT_EQ(errorNumberOf([&] { rt::createObject(c.progId); }), rt::errnum::CannotCreate);
    }
    EXPECT_EQ(errorNumberOf([] { rt::callGlobal("GetProStdProperties", CallKind::PropertyGet); }),
              rt::errnum::NoSuchMember)
        << "no application object is left to answer";

    registerLibrary();  // registering again works, and the fixture unregisters once more
    EXPECT_TRUE(rt::isClassRegistered(classCases()[0].progId));
}

TEST_F(RegistrationTest, IdentifiersOfOtherLibrariesStayUnknown) {
    for (const char* id : {"Sarn10B.clsKwAmbrTvs", "Sarn10B.", "clsKwAmbrTvsA", "Sarn10.clsKwAmbrTvsA",
                           "Sarn10B.clsKwbrErrorHandlerA"}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(errorNumberOf([&] { rt::createObject(id); }), rt::errnum::CannotCreate);
    }
}

TEST_F(RegistrationTest, LibraryObjectAnswersWithoutAnInstance) {
    const rt::Variant app = rt::callGlobal("GetProStdProperties", CallKind::PropertyGet);
    EXPECT_TRUE(rt::sameObject(rt::toObject(app), rt::App()));
    EXPECT_TRUE(rt::sameObject(rt::toObject(rt::callGlobal("getprostdproperties", CallKind::Method)), rt::App()));

    EXPECT_EQ(errorNumberOf([] { rt::callGlobal("GetProResStrings", CallKind::PropertyGet, {int32_t{1}}); }),
              rt::errnum::ResourceNotFound);
    EXPECT_EQ(errorNumberOf([] { rt::callGlobal("NoSuchMember", CallKind::Method); }), rt::errnum::NoSuchMember);
    EXPECT_EQ(errorNumberOf([] { rt::callGlobal("Handle", CallKind::PropertyGet); }), rt::errnum::NoSuchMember)
        << "only the application object is called without an instance";
    EXPECT_EQ(errorNumberOf([] { rt::callGlobal("AddNode", CallKind::Method); }), rt::errnum::NoSuchMember);
}

TEST_F(RegistrationTest, OneApplicationObjectInstancePerThread) {
    const rt::ObjectRef here = rt::appObjectInstance(LibraryObjectId);
    ASSERT_TRUE(here.as<clsKwOrvel10BA>());
    EXPECT_TRUE(rt::sameObject(here, rt::appObjectInstance(lower(LibraryObjectId))));
    EXPECT_TRUE(rt::sameObject(here, rt::appObjectInstance(LibraryObjectId)));

    rt::ObjectRef there;
    rt::ObjectRef thereAgain;
    std::thread([&] {
        there = rt::appObjectInstance(LibraryObjectId);
        thereAgain = rt::appObjectInstance(LibraryObjectId);
    }).join();
    ASSERT_TRUE(there);
    EXPECT_FALSE(rt::sameObject(here, there));
    EXPECT_TRUE(rt::sameObject(there, thereAgain));
}

TEST_F(RegistrationTest, GlobalBuddyIsTheThreadsBuddySlot) {
    std::thread([] {
        const rt::ObjectRef buddy = rt::make<clsKwAmbrGeneralA>();
        rt::callGlobal("BuddyObjectGlobal", CallKind::PropertySet, {buddy});
        EXPECT_TRUE(rt::sameObject(rt::make<clsKwOrvel10BA>()->BuddyObjectGlobal(), buddy));
        EXPECT_TRUE(rt::sameObject(rt::toObject(rt::callGlobal("BuddyObjectGlobal", CallKind::PropertyGet)), buddy));
        rt::callGlobal("BuddyObjectGlobal", CallKind::PropertySet, {rt::ObjectRef()});
    }).join();
}

}  // namespace
}  // namespace Sarn10B::test
