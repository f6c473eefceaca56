#include "ui/Prompt.h"

#include "NoCrtLib/SilentExit.h"
#include "installer/InstallOptions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Box { std::string text, caption; unsigned style; };

class PromptTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetOptions();
        Prompt::SetBoxHandler([this](const std::string& t, const std::string& c, unsigned s) {
            boxes.push_back({t, c, s});
            return answer;
        });
    }
    void TearDown() override { Prompt::SetBoxHandler(nullptr); ResetOptions(); }

    Prompt::ContinueQuestion Question(bool careful = false) {
        Prompt::ContinueQuestion q;
        q.boxText = "Go on?";
        q.caption = "Caption";
        q.careful = careful;
        q.cancelLine = "Installation canceled by user (x)";
        q.warningLine = "Warning: x";
        q.abortLine = "x, aborting";
        q.exitCode = 105;
        return q;
    }

    // Runs the question; returns the exit code it ended with, or -1 when the run goes on.
    int Run(const Prompt::ContinueQuestion& q, std::string& out) {
        ::testing::internal::CaptureStdout();
        int code = -1;
        try {
            Prompt::ContinueOrAbort(q, PromptMode());
        } catch (const SilentExit& e) {
            code = e.Code();
        }
        out = ::testing::internal::GetCapturedStdout();
        return code;
    }

    std::vector<Box> boxes;
    int answer = Prompt::IdYes;
};

TEST_F(PromptTest, InteractiveYesGoesOnSilently) {
    std::string out;
    EXPECT_EQ(Run(Question(), out), -1);
    EXPECT_EQ(out, "");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Go on?");
    EXPECT_EQ(boxes[0].caption, "Caption");
    EXPECT_EQ(boxes[0].style, 0x34u);
}

TEST_F(PromptTest, InteractiveRefusalOrUnshownBoxPrintsTheCancelLineAndExits) {
    for (int refusal : {7 /* IDNO */, 0 /* box could not be shown */, 2 /* IDCANCEL */}) {
        answer = refusal;
        boxes.clear();
        std::string out;
        EXPECT_EQ(Run(Question(true), out), 105);
        EXPECT_EQ(out, "Installation canceled by user (x)\n");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].style, 0x134u);
    }
}

TEST_F(PromptTest, UnattendedNeverShowsABox) {
    Options().interactive = false;
    std::string out;
    EXPECT_EQ(Run(Question(), out), 105);
    EXPECT_EQ(out, "x, aborting\n");

    Options().force = true;
    EXPECT_EQ(Run(Question(), out), -1);
    EXPECT_EQ(out, "Warning: x\n");
    EXPECT_TRUE(boxes.empty());
}

TEST_F(PromptTest, ReportsShowBoxesOnlyInInteractiveMode) {
    Prompt::ReportError("bad", "Oops", PromptMode());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].style, 0x10u);

    Options().interactive = false;
    Prompt::ReportError("bad", "Oops", PromptMode());
    EXPECT_EQ(boxes.size(), 1u);
}

}  // namespace
