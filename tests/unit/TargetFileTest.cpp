#include "installer/actions/TargetFile.h"

#include "NoCrtLib/SilentExit.h"
#include "installer/InstallOptions.h"
#include "ui/Prompt.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Box {
    std::string text, caption;
    unsigned style;
};

class TargetFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetOptions();
        Prompt::SetBoxHandler([this](const std::string& t, const std::string& c, unsigned s) {
            boxes.push_back({t, c, s});
            return answer;
        });
    }
    void TearDown() override {
        Prompt::SetBoxHandler(nullptr);
        ResetOptions();
    }

    std::vector<Box> boxes;
    int answer = Prompt::IdYes;
};

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

TEST_F(TargetFileTest, ConfirmOverwriteAsksOrFollowsForceAndEndsWith104WhenRefused) {
    const std::string path = "C:\\Apps\\Q\\uninst.exe";
    struct Case {
        bool interactive;
        bool force;
        int answer;
        int exitCode;  // -1: goes on
        std::string out;
        size_t boxes;
    };
    const Case cases[] = {
        {true, false, Prompt::IdYes, -1, "", 1},
        {true, false, 7 /* IDNO */, 104, "Installation canceled by user (file already exists)\n", 1},
        {true, true, 0 /* not shown */, 104, "Installation canceled by user (file already exists)\n", 1},
        {false, false, Prompt::IdYes, 104, "Target file 'C:\\Apps\\Q\\uninst.exe' already exists, aborting\n", 0},
        {false, true, 7, -1, "Warning: 'C:\\Apps\\Q\\uninst.exe' already exists, will be overwritten\n", 0},
    };
    for (const Case& c : cases) {
        Options().interactive = c.interactive;
        Options().force = c.force;
        answer = c.answer;
        boxes.clear();
        int code = -1;
        ::testing::internal::CaptureStdout();
        try {
            ConfirmOverwrite(path);
        } catch (const SilentExit& e) {
            code = e.Code();
        }
        std::string out = ::testing::internal::GetCapturedStdout();
        EXPECT_EQ(code, c.exitCode);
        EXPECT_EQ(out, c.out);
        ASSERT_EQ(boxes.size(), c.boxes);
        if (c.boxes) {
            EXPECT_EQ(boxes[0].text,
                      "Warning: 'C:\\Apps\\Q\\uninst.exe' already exists.\nDo you want it to be overwritten?\n"
                      "Clicking 'Yes' will overwrite the file, clicking 'No' will abort the installation.");
            EXPECT_EQ(boxes[0].caption, "Target File Exists");
            EXPECT_EQ(boxes[0].style, 0x34u);
        }
    }
}

}  // namespace
