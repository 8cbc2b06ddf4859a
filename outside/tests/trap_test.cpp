// Trap-report-resume, the error channel behind it, and the stand-in handler.

#include "outside/trap.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "outside/error_channel.h"
#include "outside/error_handler_standin.h"
#include "outside/tests/error_number.h"
#include "outside/tree_model.h"
#include "runtime/app_object.h"
#include "runtime/classes.h"
#include "runtime/err_object.h"
#include "testing/recording_handler.h"

namespace {

using outside::Trap;
using outside_tests::errorNumberOf;
using testing_support::reportsAt;

const std::string site = "czAmbrTVS.Refresh";

[[noreturn]] void failWith(int32_t number) { throw rt::Error(number, "step failed"); }

class TrapTest : public testing_support::ChannelTest {
protected:
    // Err belongs to the thread: start every test from a clear one.
    void SetUp() override { rt::Err()->Clear(); }
};

TEST_F(TrapTest, AFailingStepIsReportedOnceAndTheNextStepRuns) {
    std::vector<int> ran;
    Trap trap(site);
    trap.step([&] {
        ran.push_back(1);
        throw rt::errObjectNotSet();
    });
    trap.step([&] { ran.push_back(2); });
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    EXPECT_EQ(reports(), reportsAt(site, {91}));
    EXPECT_EQ(reports()[0].description, "Object variable or With block variable not set");
}

TEST_F(TrapTest, EachFailingStepMakesItsOwnReport) {
    Trap trap(site);
    trap.step([] { failWith(13); });
    trap.step([] {});
    trap.step([] { failWith(35601); });
    EXPECT_EQ(reports(), reportsAt(site, {13, 35601}));
}

TEST_F(TrapTest, AFailingTestCountsAsPassed) {
    struct Case {
        const char* name;
        std::function<bool()> test;
        bool result;
        size_t reports;
    };
    const Case cases[] = {
        {"true", [] { return true; }, true, 0},
        {"false", [] { return false; }, false, 0},
        {"failing", []() -> bool { failWith(91); }, true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        handler.clear();
        Trap trap(site);
        EXPECT_EQ(trap.test(c.test), c.result);
        EXPECT_EQ(reports().size(), c.reports);
    }
}

TEST_F(TrapTest, ExemptNumbersAreNotReportedAndTheNextStepRuns) {
    bool ran = false;
    Trap trap("czAmbrTVS.AddNode", {481});
    trap.step([] { throw rt::errInvalidPicture(); });
    EXPECT_EQ(rt::Err()->Number, 0);
    trap.step([&] { ran = true; });
    trap.step([] { failWith(35602); });
    EXPECT_TRUE(ran);
    EXPECT_EQ(reports(), reportsAt("czAmbrTVS.AddNode", {35602}));
}

TEST_F(TrapTest, ErrIsClearedAfterEachReport) {
    Trap trap(site);
    trap.step([] { failWith(13); });
    EXPECT_EQ(rt::Err()->Number, 0);
    EXPECT_EQ(rt::Err()->Description, "");
    trap.step([] { failWith(5); });
    EXPECT_EQ(rt::Err()->Number, 0);
    // The handler read each number from Err itself while it was set.
    EXPECT_EQ(reports(), reportsAt(site, {13, 5}));
}

TEST_F(TrapTest, TheHandlerGetsTheEightArgumentsOfTheChannel) {
    Trap trap(site);
    trap.step([] { failWith(91); });
    ASSERT_EQ(handler.argumentKinds().size(), 1u);
    EXPECT_EQ(handler.argumentKinds()[0],
              (std::vector<std::string>{"Object", "Object", "\"\"", "\"" + site + "\"", "0", "\"\"", "0", "Missing"}));
}

TEST_F(TrapTest, OutOfMemoryInAStepIsReportedAsError7) {
    Trap trap(site);
    trap.step([] { throw std::bad_alloc(); });
    EXPECT_EQ(reports(), reportsAt(site, {7}));
}

TEST_F(TrapTest, FailReportsAFailureTheOperationFoundItself) {
    Trap trap(site);
    trap.fail(rt::errOverflow());
    EXPECT_EQ(reports(), reportsAt(site, {6}));
}

TEST_F(TrapTest, AFailingReportEndsTheOperationWithItsError) {
    handler.failWith(70);
    bool ran = false;
    auto operation = [&] {
        Trap trap(site);
        trap.step([] { failWith(91); });
        trap.step([&] { ran = true; });
    };
    EXPECT_EQ(errorNumberOf(operation), 70);
    EXPECT_FALSE(ran);

    auto guarded = [&] {
        Trap trap(site);
        if (trap.test([]() -> bool { failWith(91); })) ran = true;
    };
    EXPECT_EQ(errorNumberOf(guarded), 70);
    EXPECT_FALSE(ran);
}

TEST_F(TrapTest, ASilentTrapSkipsFailuresWithoutAReport) {
    bool ran = false;
    Trap trap = Trap::silent();
    trap.step([] { failWith(91); });
    trap.step([&] { ran = true; });
    EXPECT_TRUE(trap.test([]() -> bool { failWith(13); }));
    EXPECT_TRUE(ran);
    EXPECT_TRUE(reports().empty());
    EXPECT_EQ(rt::Err()->Number, 0);
}

// No fixture here: the recording handler registers itself for its lifetime.
TEST(TrapWithoutHandler, AMissingHandlerGivesError429ToTheCaller) {
    rt::ClassRegistration none(basKwbrCommonA::ErrorHandlerProgId, {});
    bool ran = false;
    auto operation = [&] {
        Trap trap(site);
        trap.step([] { failWith(91); });
        trap.step([&] { ran = true; });
    };
    EXPECT_EQ(errorNumberOf(operation), rt::errnum::CannotCreate);
    EXPECT_FALSE(ran);
}

// A handler that keeps what it was handed and counts its instances.
class CapturingHandler : public rt::Object {
public:
    struct Log {
        std::vector<rt::Args> calls;
        int created = 0;
        int alive = 0;
    };
    explicit CapturingHandler(std::shared_ptr<Log> log) : log_(std::move(log)) {
        ++log_->created;
        ++log_->alive;
    }
    ~CapturingHandler() override { --log_->alive; }

    const rt::ClassInfo& classInfo() const override {
        static const rt::ClassInfo info{
            "CapturingHandler",
            {{"ErrorHandlerMessageKw", 1, rt::CallKind::Method, [](rt::Object& o, rt::Args& a) -> rt::Variant {
                  rt::self<CapturingHandler>(o).log_->calls.push_back(a);
                  return {};
              },
              testing_support::errorHandlerParams()}}};
        return info;
    }

private:
    std::shared_ptr<Log> log_;
};

class ErrorChannelTest : public ::testing::Test {
protected:
    std::shared_ptr<CapturingHandler::Log> log = std::make_shared<CapturingHandler::Log>();
    rt::ClassRegistration registration{basKwbrCommonA::ErrorHandlerProgId,
                                       [log = log] { return rt::ObjectRef(rt::make<CapturingHandler>(log)); }};
};

TEST_F(ErrorChannelTest, TheTrapHandsOverTheAppAndErrObjects) {
    Trap trap(site);
    trap.step([] { failWith(91); });
    ASSERT_EQ(log->calls.size(), 1u);
    const rt::Args& args = log->calls[0];
    ASSERT_EQ(args.size(), 8u);
    EXPECT_TRUE(rt::sameObject(rt::toObject(args[0]), rt::App()));
    EXPECT_TRUE(rt::sameObject(rt::toObject(args[1]), rt::Err()));
}

TEST_F(ErrorChannelTest, HandsItsArgumentsOnUnchanged) {
    rt::Variant app = rt::App();
    rt::Variant err = rt::Err();
    std::string text3 = "three", where = "basKwbrCommonA.AppAboutKwbr_Pro", text6 = "six";
    int32_t number5 = 5, number7 = 7;
    basKwbrCommonA::ErrorHandlerMessageKw_Pro(app, err, text3, where, number5, text6, number7, "eight");
    ASSERT_EQ(log->calls.size(), 1u);
    EXPECT_EQ(log->calls[0], (rt::Args{app, err, "three", "basKwbrCommonA.AppAboutKwbr_Pro", int32_t{5}, "six",
                                       int32_t{7}, "eight"}));
    EXPECT_EQ(where, "basKwbrCommonA.AppAboutKwbr_Pro");
}

TEST_F(ErrorChannelTest, EveryReportGoesToANewInstanceReleasedAfterIt) {
    Trap trap(site);
    trap.step([] { failWith(91); });
    trap.step([] { failWith(13); });
    EXPECT_EQ(log->calls.size(), 2u);
    EXPECT_EQ(log->created, 2);
    EXPECT_EQ(log->alive, 0);
}

class ErrorChannelStandInTest : public ::testing::Test {
protected:
    // Puts the stand-in in place for this test only.
    void SetUp() override {
        outside::registerErrorHandlerStandIn([this](const std::string& line) { lines.push_back(line); });
    }
    rt::ClassRegistration restore{basKwbrCommonA::ErrorHandlerProgId, {}};
    std::vector<std::string> lines;
};

TEST_F(ErrorChannelStandInTest, WritesOneLinePerReport) {
    Trap trap(site);
    trap.step([] { throw rt::errObjectNotSet(); });
    trap.step([] { throw tree::errElementNotFound(); });
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "czAmbrTVS.Refresh: error 91: Object variable or With block variable not set",
                         "czAmbrTVS.Refresh: error 35601: Element not found",
                     }));
}

TEST_F(ErrorChannelStandInTest, TheDefaultSinkIsStandardError) {
    outside::registerErrorHandlerStandIn();
    ::testing::internal::CaptureStderr();
    Trap("czAmbrTVS.ExpandAll").step([] { throw rt::errOverflow(); });
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "czAmbrTVS.ExpandAll: error 6: Overflow\n");
}

TEST(ErrorChannelStandIn, FormatsSiteNumberAndDescription) {
    EXPECT_EQ(outside::formatReport("czAmbrTVS.Refresh", 91, "Object variable or With block variable not set"),
              "czAmbrTVS.Refresh: error 91: Object variable or With block variable not set");
}

}  // namespace
