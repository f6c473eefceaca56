#include "installer/actions/ShortcutPlan.h"


#include "support/PromptSupport.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(ShortcutPlan, FailureQuestionEndsWith105) {
    const std::string path = "C:\\Start\\Quarnelix.lnk";
    const std::string reason = "IPersistFile::Save() failed";
    EXPECT_EQ(TestSupport::Fields(ShortcutFailureQuestion(path, reason)),
              TestSupport::Fields({"Warning: creating shortcut '" + path +
                                       "' failed.\nReason: IPersistFile::Save() failed.\n"
                                       "Do you want to continue with the installation anyway?",
                                   "Creating Shortcut Failed", false,
                                   "Installation canceled by user (creating shortcut failed)",
                                   "Warning: creating shortcut " + path + "' failed: " + reason,
                                   "Creating shortcut '" + path + "' failed: " + reason + ", aborting", 105}));
}

}  // namespace
