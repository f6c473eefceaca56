#include "installer/actions/FileAssocAction.h"

#include "ActionTestSupport.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "ScratchRegistry.h"
#include "installer/InstallOptions.h"
#include "installer/Product.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using ActionTest::Outcome;
using Lines = std::vector<std::string>;
using Names = std::vector<std::string>;
using ScratchRegistry::KeyExists;
using ScratchRegistry::Value;

const std::string Classes = "SOFTWARE\\Classes\\";
const std::string ClassesName = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\";
const std::string Q = "\"";

std::string Item(const std::string& key) { return " \"-delRegKey=" + ClassesName + key + "\""; }
std::string Sz(const std::string& text) { return "REG_SZ:" + text; }
std::string NotFound(const std::string& operation) {
    return operation + " failed: Windows error: 2: " + WinErrorMessage(ERROR_FILE_NOT_FOUND);
}

// Keys below the classes root that a test may touch are removed at its end (links too).
class FileAssocActionTest : public ActionTest::Fixture {
protected:
    void SetUp() override {
        ActionTest::Fixture::SetUp();
        m_ext = "." + ScratchRegistry::UniqueName("qxt");
        m_progId = ScratchRegistry::UniqueName("QxTest.") + ".Prog.Id";
        Own(m_ext);
        Own(m_progId);
        Options().UninstallParams = "\"-shareResWith=Dorvask\"";
    }
    void TearDown() override {
        for (const std::string& key : m_owned) {
            ScratchRegistry::DeleteTree(HKEY_LOCAL_MACHINE, Classes + key);
            EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Classes + key)) << key;
        }
        ActionTest::Fixture::TearDown();
    }
    void Own(const std::string& key) { m_owned.push_back(key); }

    std::unique_ptr<FileAssocAction> Make() {
        return std::make_unique<FileAssocAction>(m_progId, m_ext, "Scratch file", "C:\\Q\\q.exe,2",
                                                 FileAssocVerbs{{"Open", "q.exe \"%1\""}, {"Print", "q.exe /p \"%1\""}});
    }
    std::string Default(const std::string& key) { return Value(HKEY_LOCAL_MACHINE, Classes + key, ""); }

    std::string m_ext, m_progId;

private:
    std::vector<std::string> m_owned;
};

// The driver's two associations, exactly as the driver passes them.
TEST_F(FileAssocActionTest, DriverRowsWriteEveryKeyAndDefaultValue) {
    const std::string profile = "Arvendo.Quarnelix.4.26.Profile";
    const std::string settings = "Arvendo.Quarnelix.4.26.Settings";
    for (const std::string& key : {std::string(".qxp"), std::string(".dvs"), profile, settings}) {
        ASSERT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Classes + key)) << key << " exists before the test";
        Own(key);
    }
    const std::string dir = "C:\\Program Files\\Arvendo Quarnelix";
    const std::string open = Q + JoinPath(dir, "Quarnelix.exe") + Q + " -profile=" + Q + "%1" + Q;
    const std::string manage = Q + JoinPath(dir, "Srvprefs.exe") + Q + " " + Q + "%1" + Q;
    Options().UninstallParams = "\"-shareResWith=Dorvask\"";
    Outcome made = Run([&] {
        FileAssocAction qxp(profile, ".qxp", "Arvendo Quarnelix profile file", JoinPath(dir, "quarnelix.exe,1"),
                            {{"Open", open}, {"Connect", open + " -connectOnStartup"}});
        FileAssocAction dvs(settings, ".dvs", "Arvendo Dorvask settings file", JoinPath(dir, "srvprefs.exe,3"),
                            {{"Manage", manage}});
        EXPECT_TRUE(qxp.Registered());
        EXPECT_TRUE(dvs.Registered());
        qxp.Commit();
        dvs.Commit();
    });
    EXPECT_EQ(made.exitCode, -1);
    EXPECT_EQ(made.error, "");
    EXPECT_EQ(made.lines, (Lines{"Registering file association for extension '.qxp'",
                                 "Registering file association for extension '.dvs'"}));

    const struct {
        std::string key, value;
        Names subKeys;
    } expected[] = {
        {".qxp", profile, {}},
        {profile, "Arvendo Quarnelix profile file", {"DefaultIcon", "Shell"}},
        {profile + "\\DefaultIcon", dir + "\\quarnelix.exe,1", {}},
        {profile + "\\Shell", "Open", {"Connect", "Open"}},
        {profile + "\\Shell\\Open", "Open", {"command"}},
        {profile + "\\Shell\\Open\\command", "\"" + dir + "\\Quarnelix.exe\" -profile=\"%1\"", {}},
        {profile + "\\Shell\\Connect", "Connect", {"command"}},
        {profile + "\\Shell\\Connect\\command", "\"" + dir + "\\Quarnelix.exe\" -profile=\"%1\" -connectOnStartup", {}},
        {".dvs", settings, {}},
        {settings, "Arvendo Dorvask settings file", {"DefaultIcon", "Shell"}},
        {settings + "\\DefaultIcon", dir + "\\srvprefs.exe,3", {}},
        {settings + "\\Shell", "Manage", {"Manage"}},
        {settings + "\\Shell\\Manage", "Manage", {"command"}},
        {settings + "\\Shell\\Manage\\command", "\"" + dir + "\\Srvprefs.exe\" \"%1\"", {}},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(Default(e.key), Sz(e.value)) << e.key;
        EXPECT_EQ(ScratchRegistry::Names(HKEY_LOCAL_MACHINE, Classes + e.key, false), Names{""}) << e.key;
        Names subKeys = ScratchRegistry::Names(HKEY_LOCAL_MACHINE, Classes + e.key, true);
        std::sort(subKeys.begin(), subKeys.end());
        EXPECT_EQ(subKeys, e.subKeys) << e.key;
    }
    EXPECT_EQ(Options().UninstallParams,
              "\"-shareResWith=Dorvask\"" + Item(".qxp") + Item(profile + "\\Shell\\Open\\command") +
                  Item(profile + "\\Shell\\Open") + Item(profile + "\\Shell\\Connect\\command") +
                  Item(profile + "\\Shell\\Connect") + Item(profile + "\\Shell") + Item(profile) + Item(".dvs") +
                  Item(settings + "\\Shell\\Manage\\command") + Item(settings + "\\Shell\\Manage") +
                  Item(settings + "\\Shell") + Item(settings));
}

// The ProgID's keys go with the rollback when this action made them; a ProgID key that
// was there before keeps its subkeys.
TEST_F(FileAssocActionTest, RollbackPutsThePreviousAssociationBack) {
    struct Case {
        std::string previous;
        std::string announcement;
        bool progIdExisted;
    };
    const Case cases[] = {
        {"Other.Vendor.App.1", "Warning: Replacing file association for extension '" + m_ext +
                                   "' currently associated with Other Vendor App 1", false},
        {"Arvendo.Quarnelix.4.25.Profile", "Warning: Replacing file association for extension '" + m_ext +
                                               "' currently associated with Arvendo Quarnelix 4.25 Profile", true},
        {"txtfile", "Warning: Replacing file association for extension '" + m_ext +
                        "' currently associated with txtfile", false},
    };
    for (const Case& c : cases) {
        ScratchRegistry::SetString(HKEY_LOCAL_MACHINE, Classes + m_ext, "", c.previous);
        ScratchRegistry::DeleteTree(HKEY_LOCAL_MACHINE, Classes + m_progId);
        if (c.progIdExisted) ScratchRegistry::SetString(HKEY_LOCAL_MACHINE, Classes + m_progId + "\\Other", "", "kept");
        Outcome made, undone;
        {
            std::unique_ptr<FileAssocAction> action;
            made = Run([&] { action = Make(); });
            EXPECT_EQ(action->PreviousValue(), c.previous);
            EXPECT_EQ(Default(m_ext), Sz(m_progId));
            EXPECT_EQ(Default(m_progId + "\\Shell\\Open\\command"), Sz("q.exe \"%1\""));
            undone = Run([&] { action.reset(); });
        }
        EXPECT_EQ(made.lines, Lines{c.announcement});
        EXPECT_EQ(undone.lines,
                  Lines{"Rollback: removing previously created file association for extension " + m_ext});
        EXPECT_EQ(Default(m_ext), Sz(c.previous));
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, Classes + m_progId), c.progIdExisted) << c.previous;
        if (c.progIdExisted) {
            EXPECT_EQ(Default(m_progId + "\\Other"), Sz("kept"));
        }
    }
}

// Without a previous association, rollback deletes the extension key it created; a key
// that was already there keeps everything but the default value the action wrote.
TEST_F(FileAssocActionTest, RollbackRemovesOnlyWhatItAddedWhenThereWasNoAssociation) {
    struct Case {
        std::string name;
        std::vector<std::pair<std::string, std::string>> before;  // (subkey below the extension, value name)
    };
    const Case cases[] = {
        {"no key", {}},
        {"key with another value", {{"", "Content Type"}}},
        {"key with a subkey", {{"", "PerceivedType"}, {"OpenWithProgids", "Other.Prog"}}},
    };
    for (const Case& c : cases) {
        ScratchRegistry::DeleteTree(HKEY_LOCAL_MACHINE, Classes + m_ext);
        for (const auto& v : c.before)
            ScratchRegistry::SetString(HKEY_LOCAL_MACHINE, JoinPath(Classes + m_ext, v.first), v.second, "kept");
        Outcome made, undone;
        {
            std::unique_ptr<FileAssocAction> action;
            made = Run([&] { action = Make(); });
            EXPECT_EQ(Default(m_ext), Sz(m_progId)) << c.name;
            undone = Run([&] { action.reset(); });
        }
        EXPECT_EQ(made.lines, Lines{"Registering file association for extension '" + m_ext + "'"}) << c.name;
        EXPECT_EQ(undone.lines,
                  Lines{"Rollback: removing previously created file association for extension " + m_ext}) << c.name;
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, Classes + m_ext), !c.before.empty()) << c.name;
        EXPECT_EQ(Default(m_ext), "<missing>") << c.name;
        for (const auto& v : c.before) {
            EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, JoinPath(Classes + m_ext, v.first), v.second), Sz("kept"))
                << c.name << ": " << v.second;
        }
    }
}

TEST_F(FileAssocActionTest, CommittedOrNoRollbackKeepsTheAssociation) {
    for (bool commit : {true, false}) {
        Options().noRollback = !commit;
        Outcome undone;
        {
            std::unique_ptr<FileAssocAction> action;
            Run([&] { action = Make(); });
            if (commit) action->Commit();
            undone = Run([&] { action.reset(); });
        }
        EXPECT_EQ(undone.lines, Lines{});
        EXPECT_EQ(Default(m_ext), Sz(m_progId));
        ScratchRegistry::DeleteTree(HKEY_LOCAL_MACHINE, Classes + m_ext);
    }
}

// The extension key is a link to nowhere: nothing can be written, nothing is listed.
TEST_F(FileAssocActionTest, AFailedFirstWriteIsOfferedAndLeavesNothingToUndo) {
    ASSERT_TRUE(ScratchRegistry::MakeDeadLink(HKEY_LOCAL_MACHINE, Classes + m_ext));
    const std::string reason = NotFound("RegCreateKeyExA()");
    const std::string announcement = "Registering file association for extension '" + m_ext + "'";
    struct Case {
        bool interactive, force;
        int answer;
        int exitCode;
        Lines lines;
    };
    const Case cases[] = {
        {true, false, Prompt::IdYes, -1, {announcement}},
        {true, false, IDNO, 112,
         {announcement, "Installation canceled by user (registering file association failed)"}},
        {false, true, 0, -1,
         {announcement, "Warning: registering file association for extension '" + m_ext + "' failed. Reason: " + reason}},
        {false, false, 0, 112,
         {announcement,
          "Registering file association for extension '" + m_ext + "' failed. Reason: " + reason + ", aborting"}},
    };
    for (const Case& c : cases) {
        SetMode(c.interactive, c.force);
        Options().UninstallParams = "\"-shareResWith=Dorvask\"";
        answer = c.answer;
        boxes.clear();
        Outcome made, undone;
        {
            std::unique_ptr<FileAssocAction> action;
            made = Run([&] { action = Make(); });
            if (action) {
                EXPECT_FALSE(action->Registered());
            }
            undone = Run([&] { action.reset(); });
        }
        EXPECT_EQ(made.exitCode, c.exitCode);
        EXPECT_EQ(made.error, "");
        EXPECT_EQ(made.lines, c.lines);
        EXPECT_EQ(undone.lines, Lines{});
        EXPECT_EQ(Options().UninstallParams, "\"-shareResWith=Dorvask\"");
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Classes + m_progId));
        if (c.interactive) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, "Warning: registering file associaton for extension '" + m_ext +
                                         "' failed.\nReason: " + reason +
                                         ".\nDo you want to continue with the installation anyway?");
            EXPECT_EQ(boxes[0].caption, "Registering File Association Failed");
            EXPECT_EQ(boxes[0].style, 0x34u);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
    }
}

// The ProgID's Shell key is a link to nowhere: what came before it stays, with its items.
TEST_F(FileAssocActionTest, AFailureHalfwayKeepsWhatWasWrittenAndStillUndoesTheExtension) {
    ASSERT_TRUE(ScratchRegistry::MakeDeadLink(HKEY_LOCAL_MACHINE, Classes + m_progId + "\\Shell"));
    SetMode(false, true);
    Outcome made, undone;
    {
        std::unique_ptr<FileAssocAction> action;
        made = Run([&] { action = Make(); });
        ASSERT_TRUE(action);
        EXPECT_TRUE(action->Registered());
        EXPECT_EQ(Default(m_ext), Sz(m_progId));
        EXPECT_EQ(Default(m_progId), Sz("Scratch file"));
        EXPECT_EQ(Default(m_progId + "\\DefaultIcon"), Sz("C:\\Q\\q.exe,2"));
        undone = Run([&] { action.reset(); });
    }
    EXPECT_EQ(made.lines, (Lines{"Registering file association for extension '" + m_ext + "'",
                                 "Warning: registering file association for extension '" + m_ext +
                                     "' failed. Reason: " + NotFound("RegCreateKeyExA()")}));
    EXPECT_EQ(Options().UninstallParams, "\"-shareResWith=Dorvask\"" + Item(m_ext));
    EXPECT_EQ(undone.lines, Lines{"Rollback: removing previously created file association for extension " + m_ext});
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, Classes + m_ext));
}

// After registering, the extension key is swapped for a link to nowhere.
TEST_F(FileAssocActionTest, AFailedUndoIsReportedAndRollbackGoesOn) {
    struct Case {
        std::string previous;
        bool interactive;
        Lines lines;
        std::string boxText, caption;
    };
    const std::string rollback = "Rollback: removing previously created file association for extension " + m_ext;
    const std::string createFailed = NotFound("RegCreateKeyExA()");
    const Case cases[] = {
        {"Old.Prog.Id.1", true, {rollback, "Restoring file association failed: " + createFailed},
         "Unable to restore file association for extenstion '" + m_ext + "'.\nReason: " + createFailed,
         "Restoring File Association Failed"},
        // A key that cannot be found is no association to remove: a run cut short may not have
        // written it yet. Only the ProgID goes.
        {"", true, {rollback}, "", ""},
    };
    for (const Case& c : cases) {
        ScratchRegistry::DeleteTree(HKEY_LOCAL_MACHINE, Classes + m_ext);
        if (!c.previous.empty()) ScratchRegistry::SetString(HKEY_LOCAL_MACHINE, Classes + m_ext, "", c.previous);
        SetMode(c.interactive, false);
        boxes.clear();
        Outcome undone;
        {
            std::unique_ptr<FileAssocAction> action;
            Run([&] { action = Make(); });
            ScratchRegistry::DeleteTree(HKEY_LOCAL_MACHINE, Classes + m_ext);
            ASSERT_TRUE(ScratchRegistry::MakeDeadLink(HKEY_LOCAL_MACHINE, Classes + m_ext));
            undone = Run([&] { action.reset(); });
        }
        EXPECT_EQ(undone.exitCode, -1);
        EXPECT_EQ(undone.error, "");
        EXPECT_EQ(undone.lines, c.lines);
        if (!c.boxText.empty()) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, c.boxText);
            EXPECT_EQ(boxes[0].caption, c.caption);
            EXPECT_EQ(boxes[0].style, 0x10u);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
    }
}

}  // namespace
