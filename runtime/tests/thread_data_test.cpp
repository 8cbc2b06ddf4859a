#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "runtime/err_object.h"
#include "runtime/thread_data.h"

namespace {

// Sets its flag when dropped; optionally asks for per-thread data while
// being dropped, as an object's destructor might.
struct Watched {
    std::shared_ptr<bool> gone;
    bool touchWhenDropped = false;
    ~Watched() {
        if (gone) *gone = true;
        if (touchWhenDropped) rt::Err();
    }
};

const char watchedKey = 0;

TEST(ThreadData, ReleaseDropsEverythingAndCanBeRepeated) {
    std::thread([] {
        auto gone = std::make_shared<bool>(false);
        rt::perThread<Watched>(&watchedKey).gone = gone;
        auto before = rt::Err();
        rt::releaseThreadData();
        EXPECT_TRUE(*gone);
        EXPECT_NE(rt::Err().get(), before.get()) << "a new Err after release";
        rt::releaseThreadData();
        rt::releaseThreadData();
    }).join();
}

TEST(ThreadData, DataMadeWhileReleasingIsReleasedToo) {
    auto gone = std::make_shared<bool>(false);
    std::thread([&] {
        auto& w = rt::perThread<Watched>(&watchedKey);
        w.gone = gone;
        w.touchWhenDropped = true;
        rt::releaseThreadData();
        EXPECT_TRUE(*gone);
        // The Err made while dropping is in a fresh store, still this thread's.
        EXPECT_FALSE(rt::perThread<Watched>(&watchedKey).gone);
    }).join();
}

TEST(ThreadData, IsReleasedWhenTheThreadEnds) {
    auto gone = std::make_shared<bool>(false);
    std::thread([&] { rt::perThread<Watched>(&watchedKey).gone = gone; }).join();
    EXPECT_TRUE(*gone);
}

}  // namespace
