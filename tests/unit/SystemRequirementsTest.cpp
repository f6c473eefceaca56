#include "installer/SystemRequirements.h"

#include "support/PromptSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const VersionTriple Win95{1, 4, 0}, Win98{1, 4, 10}, WinMe{1, 4, 90};
const VersionTriple Nt351{2, 3, 51}, Nt4{2, 4, 0}, Win2k{2, 5, 0}, WinXp{2, 5, 1};
const VersionTriple Ie4{4, 71, 1712}, Ie6{6, 0, 2900}, Ie3{4, 70, 1158}, Ie4Beta{4, 71, 1711};
const VersionTriple Unknown{0, 0, 0};

SystemFacts Facts(VersionTriple windows, int servicePack, VersionTriple browser) {
    SystemFacts f;
    f.windows = windows;
    f.servicePack = servicePack;
    f.browser = browser;
    return f;
}

const char kProblem[] =
    "Quarnelix requires Windows 98 or Windows NT 4.0 SP3 and Internet Explorer 4.0, or higher";

}  // namespace

TEST(SystemRequirements, DecidesFromWindowsServicePackAndBrowser) {
    struct Case { const char* name; SystemFacts facts; bool meets; };
    const Case cases[] = {
        {"Windows 95", Facts(Win95, -1, Ie6), false},
        {"Windows 98", Facts(Win98, -1, Ie6), true},
        {"Windows Me", Facts(WinMe, -1, Ie6), true},
        {"Windows 98 ignores the service pack", Facts(Win98, 0, Ie4), true},
        {"NT 3.51", Facts(Nt351, 5, Ie6), false},
        {"NT 4.0 SP2", Facts(Nt4, 2, Ie6), false},
        {"NT 4.0 SP3", Facts(Nt4, 3, Ie6), true},
        {"NT 4.0 SP6", Facts(Nt4, 6, Ie6), true},
        {"NT 4.0 service pack unknown", Facts(Nt4, -1, Ie6), false},
        {"NT 4.1 needs no service pack", Facts({2, 4, 1}, -1, Ie6), true},
        {"Windows 2000", Facts(Win2k, -1, Ie6), true},
        {"Windows XP", Facts(WinXp, 0, Ie6), true},
        {"Windows unknown", Facts(Unknown, 6, Ie6), false},
        {"Win32s platform", Facts({0, 3, 10}, -1, Ie6), false},
        {"browser exactly 4.71.1712", Facts(WinXp, 3, Ie4), true},
        {"browser one build short", Facts(WinXp, 3, Ie4Beta), false},
        {"Internet Explorer 3", Facts(WinXp, 3, Ie3), false},
        {"browser unknown", Facts(WinXp, 3, Unknown), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MeetsSystemRequirements(c.facts), c.meets);
    }
}

class SystemRequirementsCheck : public TestSupport::PromptFixture {
protected:
    void SetUp() override {
        PromptFixture::SetUp();
        answer = 7;  // IDNO
    }

    // The exit code the check ended the run with, or -1 when the run goes on.
    int Run(const SystemFacts& facts) {
        const TestSupport::Outcome outcome = TestSupport::RunCaptured([&] { CheckSystemRequirements(facts); });
        out = outcome.out;
        return outcome.exitCode;
    }

    std::string out;
};

TEST_F(SystemRequirementsCheck, QualifyingSystemGoesOnSilentlyInEveryMode) {
    for (int mode = 0; mode < 3; ++mode) {
        SCOPED_TRACE(mode);
        SetMode(mode == 0, mode == 2);
        EXPECT_EQ(Run(Facts(Nt4, 3, Ie4)), -1);
        EXPECT_EQ(out, "");
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SystemRequirementsCheck, UnattendedFailingSystemAbortsWith130OrWarnsWithForce) {
    // Failing only the browser test reads exactly like failing the system test.
    for (const SystemFacts& facts : {Facts(Win95, -1, Ie6), Facts(WinXp, 3, Ie3)}) {
        SetMode(false, false);
        EXPECT_EQ(Run(facts), 130);
        EXPECT_EQ(out, std::string(kProblem) + " (use /Force flag to override version checking); aborting\n");

        SetMode(false, true);
        EXPECT_EQ(Run(facts), -1);
        EXPECT_EQ(out, std::string("Warning: ") + kProblem + "\n");
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SystemRequirementsCheck, InteractiveAsksTheCarefulQuestionAndOnlyYesGoesOn) {
    SetMode(true, true);  // -force is not read in interactive mode
    struct Case { int answer; int code; };
    for (const Case& c : {Case{6, -1}, Case{7, 130}, Case{2, 130}, Case{0, 130}}) {
        SCOPED_TRACE(c.answer);
        boxes.clear();
        answer = c.answer;
        EXPECT_EQ(Run(Facts(Nt4, 2, Ie6)), c.code);
        EXPECT_EQ(out, "");  // nothing on the console in this mode, not even on refusal
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, "Unsupported OS Version Detected");
        EXPECT_EQ(boxes[0].text,
                  "The minimum requirements for installing Quarnelix are:\n"
                  "- Windows 98 or Windows NT 4.0 SP3,\n- Internet Explorer 4.0.\n\n"
                  "Does your system meet Quarnelix minimum requirements?");
        EXPECT_EQ(boxes[0].style, 0x134u);  // Yes/No, warning icon, No the default
    }
}
