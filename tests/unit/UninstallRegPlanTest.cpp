#include "installer/actions/UninstallRegPlan.h"

#include "installer/Product.h"
#include "support/PromptSupport.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(UninstallRegPlan, FailureQuestionEndsWith113) {
    const std::string reason = "RegCreateKeyExA() failed: Windows error: 2: File not found.";
    EXPECT_EQ(TestSupport::Fields(UninstallRegFailureQuestion(reason)),
              TestSupport::Fields({"Warning: uninstaller registration failed.\nReason: " + reason +
                                       "\nDo you want to continue with the installation anyway?",
                                   "Uninstaller Registration Failed", false,
                                   "Installation canceled by user (uninstaller registration failed)",
                                   "Warning: uninstaller registration failed: " + reason,
                                   "Uninstaller registration failed: " + reason + ", aborting", 113}));
}

}  // namespace
