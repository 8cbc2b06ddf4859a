#include <gtest/gtest.h>

#include <optional>

#include "runtime/msgbox.h"

namespace {

// The handler is process-wide: every test puts the default back.
class MessageBoxTest : public ::testing::Test {
protected:
    void TearDown() override { rt::setMessageBoxHandler({}); }
};

TEST_F(MessageBoxTest, DefaultPrintsTheMessageAndAnswersOk) {
    testing::internal::CaptureStdout();
    const int32_t answer = rt::MsgBox("Node S1 was clicked", 64, "Tree view");
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(answer, rt::MsgBoxOk);
    EXPECT_EQ(answer, 1);
    EXPECT_NE(printed.find("Node S1 was clicked"), std::string::npos) << printed;
    EXPECT_NE(printed.find("Tree view"), std::string::npos) << printed;
}

TEST_F(MessageBoxTest, HandlerReplacesTheBoxAndSeesTheRequest) {
    std::optional<rt::MessageBoxRequest> seen;
    rt::setMessageBoxHandler([&](const rt::MessageBoxRequest& r) {
        seen = r;
        return 7;
    });
    testing::internal::CaptureStdout();
    EXPECT_EQ(rt::MsgBox("prompt", 48, "title"), 7);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_TRUE(seen.has_value());
    EXPECT_EQ(seen->prompt, "prompt");
    EXPECT_EQ(seen->style, 48);
    EXPECT_EQ(seen->title, "title");
}

TEST_F(MessageBoxTest, SettingReturnsTheHandlerInPlace) {
    auto first = [](const rt::MessageBoxRequest&) { return 2; };
    auto second = [](const rt::MessageBoxRequest&) { return 3; };

    rt::MessageBoxHandler previous = rt::setMessageBoxHandler(first);
    ASSERT_TRUE(previous);  // the default, still usable
    testing::internal::CaptureStdout();
    EXPECT_EQ(previous({"from the old default", 0, "t"}), rt::MsgBoxOk);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("from the old default"), std::string::npos);

    previous = rt::setMessageBoxHandler(second);
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous({}), 2);
    EXPECT_EQ(rt::MsgBox("", 0, ""), 3);
}

TEST_F(MessageBoxTest, EmptyHandlerRestoresTheDefault) {
    rt::setMessageBoxHandler([](const rt::MessageBoxRequest&) { return 4; });
    rt::MessageBoxHandler previous = rt::setMessageBoxHandler({});
    ASSERT_TRUE(previous);
    EXPECT_EQ(previous({}), 4);

    testing::internal::CaptureStdout();
    EXPECT_EQ(rt::MsgBox("back to default", 0, "t"), rt::MsgBoxOk);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("back to default"), std::string::npos);
}

}  // namespace
