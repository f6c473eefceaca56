#include "installer/actions/TargetFile.h"

#include "installer/InstallOptions.h"
#include "support/PromptSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using TargetFileTest = TestSupport::PromptFixture;

TEST_F(TargetFileTest, MainProgramIsRecognisedWithoutRegardToLetterCase) {
    struct Case {
        std::string path;
        std::string item;
    };
    const Case cases[] = {
        {"C:\\Apps\\Q\\quarnelix.exe", "\"-delMainFile=C:\\Apps\\Q\\quarnelix.exe\""},
        {"c:\\APPS\\q\\Quarnelix.EXE", "\"-delMainFile=c:\\APPS\\q\\Quarnelix.EXE\""},
        {"C:\\Apps\\Q\\uninst.exe", "\"-delFile=C:\\Apps\\Q\\uninst.exe\""},
        {"C:\\Apps\\Q\\quarnelix.exe.bak", "\"-delFile=C:\\Apps\\Q\\quarnelix.exe.bak\""},
        {"C:\\Apps\\Q\\sub\\quarnelix.exe", "\"-delFile=C:\\Apps\\Q\\sub\\quarnelix.exe\""},
        {"C:\\Apps\\Q\\quarnelix.ex", "\"-delFile=C:\\Apps\\Q\\quarnelix.ex\""},
    };
    for (const Case& c : cases) {
        Options().mainProgramPath = "C:\\Apps\\Q\\quarnelix.exe";
        Options().UninstallParams = "\"-shareResWith=Dorvask\"";
        AddFileUninstallParam(c.path);
        EXPECT_EQ(Options().UninstallParams, "\"-shareResWith=Dorvask\" " + c.item);
    }
}

TEST_F(TargetFileTest, OverwriteQuestionEndsWith104) {
    const std::string path = "C:\\Apps\\Q\\uninst.exe";
    EXPECT_EQ(TestSupport::Fields(AskedQuestion([&] { ConfirmOverwrite(path); })),
              TestSupport::Fields({"Warning: '" + path +
                                       "' already exists.\nDo you want it to be overwritten?\n"
                                       "Clicking 'Yes' will overwrite the file, clicking 'No' will abort the installation.",
                                   "Target File Exists", false, "Installation canceled by user (file already exists)",
                                   "Warning: '" + path + "' already exists, will be overwritten",
                                   "Target file '" + path + "' already exists, aborting", 104}));
}

}  // namespace
