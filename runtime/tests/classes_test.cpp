#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/classes.h"
#include "runtime/error.h"
#include "runtime/tests/helpers.h"
#include "runtime/text.h"

namespace {

using runtime_tests::errorNumberOf;

// Carries a tag so a test can tell which factory made it.
class Widget : public rt::Object {
public:
    explicit Widget(std::string tag) : tag(std::move(tag)) {}
    std::string tag;
};

rt::Factory widgetFactory(const std::string& tag) {
    return [tag] { return rt::ObjectRef(rt::make<Widget>(tag)); };
}

std::string tagOf(const rt::ObjectRef& object) {
    auto widget = object.as<Widget>();
    return widget ? widget->tag : "<no widget>";
}

bool listed(const std::string& progId) {
    auto all = rt::registeredClasses();
    return std::find(all.begin(), all.end(), progId) != all.end();
}

// Every test uses its own identifiers and leaves none of them behind.
class ClassesTest : public ::testing::Test {
protected:
    void TearDown() override {
        rt::unregisterClass(id);
        rt::unregisterClass(other);
    }

    const std::string id = "RuntimeTests.Widget";
    const std::string other = "RuntimeTests.Nowhere";
};

TEST_F(ClassesTest, CreatesFromTheIdentifierWithoutRegardToCase) {
    rt::registerClass(id, widgetFactory("one"));
    EXPECT_TRUE(rt::isClassRegistered("runtimetests.WIDGET"));
    for (const char* spelling : {"RuntimeTests.Widget", "runtimetests.widget", "RUNTIMETESTS.WIDGET"}) {
        SCOPED_TRACE(spelling);
        EXPECT_EQ(tagOf(rt::createObject(spelling)), "one");
    }
    // Every call makes a new instance.
    EXPECT_FALSE(rt::sameObject(rt::createObject(id), rt::createObject(id)));
}

TEST_F(ClassesTest, UnknownIdentifierFailsWith429NamingIt) {
    try {
        rt::createObject(other);
        ADD_FAILURE() << "no error";
    } catch (const rt::Error& e) {
        EXPECT_EQ(e.number(), rt::errnum::CannotCreate);
        EXPECT_NE(e.description().find(other), std::string::npos) << e.description();
    }
}

TEST_F(ClassesTest, FactoryGivingNothingFailsWith429) {
    rt::registerClass(id, [] { return rt::ObjectRef(); });
    EXPECT_EQ(errorNumberOf([&] { rt::createObject(id); }), rt::errnum::CannotCreate);
}

TEST_F(ClassesTest, RegisteringAgainReplacesTheFactory) {
    rt::registerClass(id, widgetFactory("one"));
    rt::registerClass("RUNTIMETESTS.widget", widgetFactory("two"));
    EXPECT_EQ(tagOf(rt::createObject(id)), "two");
    auto all = rt::registeredClasses();
    const auto sameId = [&](const std::string& s) { return rt::textEquals(s, id); };
    EXPECT_EQ(std::count_if(all.begin(), all.end(), sameId), 1);
}

TEST_F(ClassesTest, UnregisteredClassesCannotBeCreated) {
    rt::registerClass(id, widgetFactory("one"));
    rt::unregisterClass("runtimetests.widget");
    EXPECT_FALSE(rt::isClassRegistered(id));
    EXPECT_FALSE(listed(id));
    EXPECT_EQ(errorNumberOf([&] { rt::createObject(id); }), rt::errnum::CannotCreate);
}

TEST_F(ClassesTest, EmptyFactoryRegistersNothing) {
    rt::registerClass(id, rt::Factory{});
    EXPECT_FALSE(rt::isClassRegistered(id));
    EXPECT_FALSE(listed(id));
    EXPECT_EQ(errorNumberOf([&] { rt::createObject(id); }), rt::errnum::CannotCreate);
}

TEST_F(ClassesTest, RegisteredClassesListsIdentifiersAsGiven) {
    rt::registerClass(id, widgetFactory("one"));
    rt::registerClass(other, widgetFactory("two"));
    EXPECT_TRUE(listed(id));
    EXPECT_TRUE(listed(other));
}

TEST_F(ClassesTest, RegistrationGuardRestoresThePreviousFactory) {
    rt::registerClass(id, widgetFactory("original"));
    {
        rt::ClassRegistration outer("runtimetests.widget", widgetFactory("outer"));
        EXPECT_EQ(tagOf(rt::createObject(id)), "outer");
        {
            rt::ClassRegistration inner(id, widgetFactory("inner"));
            EXPECT_EQ(tagOf(rt::createObject(id)), "inner");
        }
        EXPECT_EQ(tagOf(rt::createObject(id)), "outer");
    }
    EXPECT_EQ(tagOf(rt::createObject(id)), "original");
    EXPECT_TRUE(listed(id));  // under the spelling it was first registered with
}

TEST_F(ClassesTest, RegistrationGuardRemovesWhatItAloneRegistered) {
    {
        rt::ClassRegistration guard(id, widgetFactory("guarded"));
        EXPECT_EQ(tagOf(rt::createObject(id)), "guarded");
    }
    EXPECT_FALSE(rt::isClassRegistered(id));
    EXPECT_EQ(errorNumberOf([&] { rt::createObject(id); }), rt::errnum::CannotCreate);
}

TEST_F(ClassesTest, FactoryMayCreateOtherObjects) {
    rt::registerClass(other, widgetFactory("inner"));
    rt::registerClass(id, [this] { return rt::createObject(other); });
    EXPECT_EQ(tagOf(rt::createObject(id)), "inner");
}

}  // namespace
