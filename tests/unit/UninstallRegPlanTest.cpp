#include "installer/actions/UninstallRegPlan.h"

#include "NoCrtLib/SilentExit.h"
#include "installer/InstallOptions.h"
#include "installer/Product.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(UninstallRegPlan, KeyIsBelowWindowsUninstallListAndMatchesTheProductKey) {
    EXPECT_EQ(UninstallKeyPath("Quarnelix"), "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarnelix");
    EXPECT_EQ(UninstallKeyPath(ProductShortName), ProductUninstallKey());
}

TEST(UninstallRegPlan, UninstallStringQuotesTheUninstallerAndEndsWithASpace) {
    EXPECT_EQ(UninstallString("C:\\P\\uninst.exe", "Quarnelix"), "\"C:\\P\\uninst.exe\" Quarnelix ");
    EXPECT_EQ(UninstallString("C:\\Program Files\\A Q\\uninst.exe", "K"), "\"C:\\Program Files\\A Q\\uninst.exe\" K ");
}

TEST(UninstallRegPlan, SixValuesInWritingOrder) {
    UninstallRegInput input;
    input.keyName = "Quarnelix";
    input.displayName = "Arvendo Quarnelix 4.26 (remove only)";
    input.version = "4.26";
    input.uninstallerPath = "C:\\P\\uninst.exe";
    input.installDir = "C:\\P";
    input.uninstallParams = "\"-shareResWith=Dorvask\" \"-delDir=C:\\P\"";
    EXPECT_EQ(UninstallRegValues(input), (RegStringValues{
                                             {"DisplayName", "Arvendo Quarnelix 4.26 (remove only)"},
                                             {"DisplayIcon", "C:\\P\\uninst.exe"},
                                             {"UninstallString", "\"C:\\P\\uninst.exe\" Quarnelix "},
                                             {"UninstallParam", "\"-shareResWith=Dorvask\" \"-delDir=C:\\P\""},
                                             {"InstallDir", "C:\\P"},
                                             {"Version", "4.26"},
                                         }));
    // The parameter string is the first value that needs the key's own item.
    EXPECT_EQ(UninstallRegValues(input)[UninstallValuesBeforeOwnItem + 1].first, "UninstallParam");
}

TEST(UninstallRegPlan, FailureGoesOnOrEndsWith113InEachMode) {
    struct Case {
        bool interactive, force;
        int answer;
        int exitCode;
        std::string out;
    };
    const std::string reason = "RegCreateKeyExA() failed: Windows error: 2: File not found.";
    const Case cases[] = {
        {true, false, 6, -1, ""},
        {true, false, 7, 113, "Installation canceled by user (uninstaller registration failed)\n"},
        {false, true, 0, -1, "Warning: uninstaller registration failed: " + reason + "\n"},
        {false, false, 0, 113, "Uninstaller registration failed: " + reason + ", aborting\n"},
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
            Prompt::ContinueOrAbort(UninstallRegFailureQuestion(reason), PromptMode());
        } catch (const SilentExit& e) {
            code = e.Code();
        }
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.out);
        EXPECT_EQ(code, c.exitCode);
        if (c.interactive) {
            EXPECT_EQ(boxes, std::vector<std::string>{"Warning: uninstaller registration failed.\nReason: " + reason +
                                                      "\nDo you want to continue with the installation anyway?|"
                                                      "Uninstaller Registration Failed|52"});
        } else {
            EXPECT_TRUE(boxes.empty());
        }
    }
    Prompt::SetBoxHandler(nullptr);
    ResetOptions();
}

}  // namespace
