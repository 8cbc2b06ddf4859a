#include <gtest/gtest.h>

#include <thread>

#include "runtime/app_object.h"
#include "runtime/dispatch.h"
#include "runtime/err_object.h"
#include "runtime/tests/helpers.h"

namespace {

// Runs f on a thread of its own and waits for it.
template <class F>
void onOtherThread(F f) {
    std::thread t(f);
    t.join();
}

class ErrTest : public ::testing::Test {
protected:
    // Err outlives every test on this thread; leave it clean.
    void TearDown() override { rt::Err()->Clear(); }
};

TEST_F(ErrTest, IsOneObjectPerThread) {
    auto mine = rt::Err();
    EXPECT_TRUE(rt::sameObject(mine, rt::Err()));
    mine->Number = 5;

    const void* theirs = nullptr;
    bool sameOnTheirThread = false;
    int32_t theirNumber = -1;
    onOtherThread([&] {
        theirs = rt::Err().get();
        sameOnTheirThread = rt::sameObject(rt::Err(), rt::Err());
        theirNumber = rt::Err()->Number;
    });
    EXPECT_NE(theirs, static_cast<const void*>(mine.get()));
    EXPECT_TRUE(sameOnTheirThread);
    EXPECT_EQ(theirNumber, 0);  // this thread's failure is not theirs
    EXPECT_EQ(rt::Err()->Number, 5);
}

TEST_F(ErrTest, SetTakesOverAFailureAndClearForgetsIt) {
    auto err = rt::Err();
    err->set(rt::Error(481, "Invalid picture", "czAmbrTVS"));
    EXPECT_EQ(err->Number, 481);
    EXPECT_EQ(err->Source, "czAmbrTVS");
    EXPECT_EQ(err->Description, "Invalid picture");

    err->Clear();
    EXPECT_EQ(err->Number, 0);
    EXPECT_EQ(err->Source, "");
    EXPECT_EQ(err->Description, "");
}

TEST_F(ErrTest, RaiseThrowsTheFailure) {
    try {
        rt::Err()->Raise(1001, "czAmbrTVS", "something failed");
        ADD_FAILURE() << "no error";
    } catch (const rt::Error& e) {
        EXPECT_EQ(e.number(), 1001);
        EXPECT_EQ(e.source(), "czAmbrTVS");
        EXPECT_EQ(e.description(), "something failed");
    }
}

TEST_F(ErrTest, MembersAreReadableByName) {
    auto err = rt::Err();
    err->set(rt::Error(91, "Object variable or With block variable not set", "site"));
    struct Row {
        const char* name;
        rt::Variant value;
    };
    const Row rows[] = {
        {"Number", int32_t{91}},
        {"number", int32_t{91}},
        {"Source", "site"},
        {"DESCRIPTION", "Object variable or With block variable not set"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(rt::callByName(err, row.name, rt::CallKind::PropertyGet), row.value);
    }
    rt::callByName(err, "clear", rt::CallKind::Method);
    EXPECT_EQ(err->Number, 0);
    EXPECT_EQ(err->Description, "");
}

TEST(AppTest, IsOneObjectPerThread) {
    auto mine = rt::App();
    EXPECT_TRUE(rt::sameObject(mine, rt::App()));
    const void* theirs = nullptr;
    onOtherThread([&] { theirs = rt::App().get(); });
    EXPECT_NE(theirs, static_cast<const void*>(mine.get()));
}

TEST(AppTest, DescribesTheLibrary) {
    auto app = rt::App();
    EXPECT_EQ(app->version(), "1.0.74");
    struct Row {
        const char* name;
        rt::Variant value;
    };
    const Row rows[] = {
        {"Title", "sarn10b"},
        {"exename", "sarn10b"},
        {"ProductName", "Sarn10B"},
        {"Major", int32_t{1}},
        {"MINOR", int32_t{0}},
        {"Revision", int32_t{74}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(rt::callByName(app, row.name, rt::CallKind::PropertyGet), row.value);
    }
}

}  // namespace
