#include "installer/actions/ShortcutPlan.h"

#include "NoCrtLib/SilentExit.h"
#include "installer/InstallOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(ShortcutPlan, ReasonLosesExactlyOneTrailingFullStop) {
    const struct {
        std::string message, reason;
    } cases[] = {
        {"CoCreateInstance() failed: COM error: -2147221164.", "CoCreateInstance() failed: COM error: -2147221164"},
        {"QueryInterface() failed: COM error: -2147467262: Interface not supported error.",
         "QueryInterface() failed: COM error: -2147467262: Interface not supported error"},
        {"ends in two..", "ends in two."},
        {"no stop", "no stop"},
        {".", ""},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ShortcutFailureReason(c.message), c.reason) << c.message;
}

TEST(ShortcutPlan, RemovalFailureBoxNamesThePathAndTheRestartRemoval) {
    EXPECT_EQ(ShortcutRemovalFailureBox("C:\\S\\a.lnk", "Windows error 32: Sharing violation."),
              "Unable to remove previously created 'C:\\S\\a.lnk'.\nReason: Windows error 32: Sharing violation.\n"
              "The shortcut will be scheduled for removal on reboot.");
}

TEST(ShortcutPlan, FailureGoesOnOrEndsWith105InEachMode) {
    struct Case {
        bool interactive, force;
        int answer;
        int exitCode;
        std::string out;
    };
    const std::string path = "C:\\Start\\Quarnelix.lnk";
    const std::string reason = "IPersistFile::Save() failed";
    const Case cases[] = {
        {true, false, 6, -1, ""},
        {true, false, 7, 105, "Installation canceled by user (creating shortcut failed)\n"},
        {false, true, 0, -1, "Warning: creating shortcut " + path + "' failed: " + reason + "\n"},
        {false, false, 0, 105, "Creating shortcut '" + path + "' failed: " + reason + ", aborting\n"},
    };
    for (const Case& c : cases) {
        ResetOptions();
        Options().interactive = c.interactive;
        Options().force = c.force;
        std::vector<std::string> boxes;
        Prompt::SetBoxHandler([&](const std::string& text, const std::string& caption, unsigned style) {
            boxes.push_back(text + "|" + caption + "|" + std::to_string(style));
            return c.answer;
        });
        ::testing::internal::CaptureStdout();
        int code = -1;
        try {
            Prompt::ContinueOrAbort(ShortcutFailureQuestion(path, reason), PromptMode());
        } catch (const SilentExit& e) {
            code = e.Code();
        }
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.out);
        EXPECT_EQ(code, c.exitCode);
        if (c.interactive) {
            EXPECT_EQ(boxes, std::vector<std::string>{"Warning: creating shortcut '" + path +
                                                      "' failed.\nReason: IPersistFile::Save() failed.\n"
                                                      "Do you want to continue with the installation anyway?|"
                                                      "Creating Shortcut Failed|52"});
        } else {
            EXPECT_TRUE(boxes.empty());
        }
    }
    Prompt::SetBoxHandler(nullptr);
    ResetOptions();
}

}  // namespace
