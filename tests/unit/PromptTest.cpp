#include "ui/Prompt.h"

#include "support/PromptSupport.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using TestSupport::Mode;

// How every continue-or-abort question turns into boxes, lines and exits; the steps'
// own tests only check the texts and code of their questions.
struct ContractCase {
    std::string name;
    Mode mode;
    bool careful;
    bool withCancelLine;
    int answer;
    int exitCode;     // -1: the run goes on
    std::string out;
    unsigned style;   // of the one box shown; 0: no box
};

void PrintTo(const ContractCase& c, std::ostream* os) { *os << c.name; }

class PromptContract : public TestSupport::PromptFixture, public ::testing::WithParamInterface<ContractCase> {};

TEST_P(PromptContract, ContinueOrAbort) {
    const ContractCase& c = GetParam();
    Prompt::ContinueQuestion q{"Go on?", "Caption", c.careful, c.withCancelLine ? "Installation canceled by user (x)" : "",
                               "Warning: x", "x, aborting", 105};
    TestSupport::SetMode(c.mode);
    answer = c.answer;
    const TestSupport::Outcome outcome = TestSupport::RunCaptured([&] { Prompt::ContinueOrAbort(q, PromptMode()); });
    EXPECT_EQ(outcome.exitCode, c.exitCode);
    EXPECT_EQ(outcome.out, c.out);
    if (c.style == 0) {
        EXPECT_TRUE(boxes.empty());
    } else {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, "Go on?");
        EXPECT_EQ(boxes[0].caption, "Caption");
        EXPECT_EQ(boxes[0].style, c.style);
    }
}

const char kCancel[] = "Installation canceled by user (x)\n";
INSTANTIATE_TEST_SUITE_P(
    Modes, PromptContract,
    ::testing::Values(ContractCase{"InteractiveYesGoesOnSilently", {true, false}, false, true, 6, -1, "", 0x34},
                      ContractCase{"CarefulYesGoesOn", {true, false}, true, true, 6, -1, "", 0x134},
                      ContractCase{"InteractiveNoExits", {true, false}, true, true, 7, 105, kCancel, 0x134},
                      ContractCase{"UnshownBoxIsARefusal", {true, false}, false, true, 0, 105, kCancel, 0x34},
                      ContractCase{"CancelIsARefusal", {true, false}, false, true, 2, 105, kCancel, 0x34},
                      ContractCase{"InteractiveAsksEvenWithForce", {true, true}, false, true, 7, 105, kCancel, 0x34},
                      ContractCase{"RefusalWithoutCancelLinePrintsNothing", {true, false}, false, false, 7, 105, "",
                                   0x34},
                      ContractCase{"UnattendedAbortsWithoutABox", {false, false}, false, true, 6, 105,
                                   "x, aborting\n", 0},
                      ContractCase{"ForceWarnsAndGoesOn", {false, true}, true, true, 7, -1, "Warning: x\n", 0}),
    [](const ::testing::TestParamInfo<ContractCase>& info) { return info.param.name; });

using PromptTest = TestSupport::PromptFixture;

TEST_F(PromptTest, ReportsShowBoxesOnlyInInteractiveMode) {
    Prompt::ReportError("bad", "Oops", PromptMode());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].style, 0x10u);

    TestSupport::SetMode({false, false});
    Prompt::ReportError("bad", "Oops", PromptMode());
    EXPECT_EQ(boxes.size(), 1u);
}

// Scripted answers are taken in order, then the standing answer.
TEST_F(PromptTest, RecorderAnswersFromItsScriptFirst) {
    script = {7, 0};
    answer = Prompt::IdYes;
    EXPECT_FALSE(Prompt::Ask("a", "c", false));
    EXPECT_FALSE(Prompt::Ask("b", "c", true));
    EXPECT_TRUE(Prompt::Ask("c", "c", false));
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[1].style, 0x134u);
}

}  // namespace
