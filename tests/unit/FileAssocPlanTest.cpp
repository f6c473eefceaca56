#include "installer/actions/FileAssocPlan.h"

#include "NoCrtLib/SilentExit.h"
#include "installer/InstallOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string Q = "\"";
const std::string Dir = "C:\\Program Files\\Arvendo Quarnelix";
const std::string Profile = "Arvendo.Quarnelix.4.26.Profile";
const std::string Settings = "Arvendo.Quarnelix.4.26.Settings";
const std::string Open = Q + Dir + "\\Quarnelix.exe" + Q + " -profile=" + Q + "%1" + Q;
const std::string Manage = Q + Dir + "\\Srvprefs.exe" + Q + " " + Q + "%1" + Q;

// A step as one line: "set <key> = <value>" or "item <full key name>".
std::vector<std::string> Show(const std::vector<FileAssocStep>& steps) {
    std::vector<std::string> shown;
    for (const FileAssocStep& s : steps) {
        if (s.kind == FileAssocStep::SetDefault)
            shown.push_back("set " + s.key + " = " + s.value);
        else
            shown.push_back("item " + ClassesKeyFullName(s.key));
    }
    return shown;
}

TEST(FileAssocPlan, ProfileRowWritesEveryKeyBeforeListingItInUninstallOrder) {
    const auto steps = FileAssocSteps(Profile, ".qxp", "Arvendo Quarnelix profile file", Dir + "\\quarnelix.exe,1",
                                      {{"Open", Open}, {"Connect", Open + " -connectOnStartup"}});
    const std::string root = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\";
    EXPECT_EQ(Show(steps), (std::vector<std::string>{
                               "set .qxp = " + Profile,
                               "item " + root + ".qxp",
                               "set " + Profile + " = Arvendo Quarnelix profile file",
                               "set " + Profile + "\\DefaultIcon = " + Dir + "\\quarnelix.exe,1",
                               "set " + Profile + "\\Shell = Open",
                               "set " + Profile + "\\Shell\\Open = Open",
                               "set " + Profile + "\\Shell\\Open\\command = " + Open,
                               "item " + root + Profile + "\\Shell\\Open\\command",
                               "item " + root + Profile + "\\Shell\\Open",
                               "set " + Profile + "\\Shell\\Connect = Connect",
                               "set " + Profile + "\\Shell\\Connect\\command = " + Open + " -connectOnStartup",
                               "item " + root + Profile + "\\Shell\\Connect\\command",
                               "item " + root + Profile + "\\Shell\\Connect",
                               "item " + root + Profile + "\\Shell",
                               "item " + root + Profile,
                           }));
}

TEST(FileAssocPlan, SettingsRowHasOneVerb) {
    const auto steps = FileAssocSteps(Settings, ".dvs", "Arvendo Dorvask settings file", Dir + "\\srvprefs.exe,3",
                                      {{"Manage", Manage}});
    const std::string root = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\";
    EXPECT_EQ(Show(steps), (std::vector<std::string>{
                               "set .dvs = " + Settings,
                               "item " + root + ".dvs",
                               "set " + Settings + " = Arvendo Dorvask settings file",
                               "set " + Settings + "\\DefaultIcon = " + Dir + "\\srvprefs.exe,3",
                               "set " + Settings + "\\Shell = Manage",
                               "set " + Settings + "\\Shell\\Manage = Manage",
                               "set " + Settings + "\\Shell\\Manage\\command = " + Manage,
                               "item " + root + Settings + "\\Shell\\Manage\\command",
                               "item " + root + Settings + "\\Shell\\Manage",
                               "item " + root + Settings + "\\Shell",
                               "item " + root + Settings,
                           }));
}

TEST(FileAssocPlan, NoVerbsMeansNoShellKeyAndNoShellItem) {
    const auto steps = FileAssocSteps("X.Y", ".x", "desc", "i.exe,0", {});
    EXPECT_EQ(Show(steps), (std::vector<std::string>{
                               "set .x = X.Y",
                               "item HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.x",
                               "set X.Y = desc",
                               "set X.Y\\DefaultIcon = i.exe,0",
                               "item HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\X.Y",
                           }));
}

TEST(FileAssocPlan, DisplayFormReplacesFirstSecondAndLastDot) {
    const struct {
        std::string value, shown;
    } cases[] = {
        {"Arvendo.Quarnelix.4.26.Profile", "Arvendo Quarnelix 4.26 Profile"},
        {"Arvendo.Quarnelix.4.26.Settings", "Arvendo Quarnelix 4.26 Settings"},
        {"a.b.c", "a.b.c"},              // two dots: unchanged
        {"a.b.c.d", "a b c d"},          // three dots: all three
        {"a.b.c.d.e.f", "a b c.d.e f"},  // the middle ones stay
        {"txtfile", "txtfile"},
        {"a.b", "a.b"},
        {"...", "   "},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(ProgIdDisplayForm(c.value), c.shown) << c.value;
}

TEST(FileAssocPlan, AnnouncementWarnsOnlyWhenReplacingAnAssociation) {
    EXPECT_EQ(FileAssocAnnouncement(".qxp", ""), "Registering file association for extension '.qxp'");
    EXPECT_EQ(FileAssocAnnouncement(".qxp", "Arvendo.Quarnelix.4.25.Profile"),
              "Warning: Replacing file association for extension '.qxp' currently associated with "
              "Arvendo Quarnelix 4.25 Profile");
    EXPECT_EQ(FileAssocAnnouncement(".dvs", "dvsfile"),
              "Warning: Replacing file association for extension '.dvs' currently associated with dvsfile");
}

TEST(FileAssocPlan, UndoFailureTextsKeepTheirWording) {
    const FileAssocUndoFailure restore = FileAssocUndoFailureReport(true, ".qxp", "R.");
    EXPECT_EQ(restore.line, "Restoring file association failed: R.");
    EXPECT_EQ(restore.boxText, "Unable to restore file association for extenstion '.qxp'.\nReason: R.");
    EXPECT_EQ(restore.caption, "Restoring File Association Failed");
    const FileAssocUndoFailure remove = FileAssocUndoFailureReport(false, ".dvs", "R.");
    EXPECT_EQ(remove.line, "Removing file association failed: R.");
    EXPECT_EQ(remove.boxText, "Unable to remove previoisly created file association for extenstion '.dvs'.\nReason: R.");
    EXPECT_EQ(remove.caption, "Removing File Association Failed");
}

// The failure question as the user meets it in each mode.
TEST(FileAssocPlan, FailureGoesOnOrEndsWith112InEachMode) {
    struct Case {
        bool interactive, force;
        int answer;
        int exitCode;
        std::string out;
    };
    const std::string reason = "RegCreateKeyExA() failed: Windows error: 2: File not found.";
    const Case cases[] = {
        {true, false, 6, -1, ""},
        {true, false, 7, 112, "Installation canceled by user (registering file association failed)\n"},
        {true, false, 0, 112, "Installation canceled by user (registering file association failed)\n"},
        {false, true, 0, -1, "Warning: registering file association for extension '.qxp' failed. Reason: " + reason + "\n"},
        {false, false, 0, 112,
         "Registering file association for extension '.qxp' failed. Reason: " + reason + ", aborting\n"},
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
            Prompt::ContinueOrAbort(FileAssocFailureQuestion(".qxp", reason), PromptMode());
        } catch (const SilentExit& e) {
            code = e.Code();
        }
        EXPECT_EQ(::testing::internal::GetCapturedStdout(), c.out);
        EXPECT_EQ(code, c.exitCode);
        if (c.interactive) {
            EXPECT_EQ(boxes, std::vector<std::string>{
                                 "Warning: registering file associaton for extension '.qxp' failed.\nReason: " + reason +
                                 ".\nDo you want to continue with the installation anyway?|"
                                 "Registering File Association Failed|52"});
        } else {
            EXPECT_TRUE(boxes.empty());
        }
    }
    Prompt::SetBoxHandler(nullptr);
    ResetOptions();
}

}  // namespace
