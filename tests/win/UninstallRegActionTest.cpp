#include "installer/actions/UninstallRegAction.h"

#include "ActionTestSupport.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "ScratchRegistry.h"
#include "installer/InstallOptions.h"
#include "platform/Handles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using ActionTest::Outcome;
using Lines = std::vector<std::string>;
using ScratchRegistry::KeyExists;

const std::string Parent = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string First = "\"-shareResWith=Dorvask\" \"-delDir=C:\\P\"";

// A key name of its own below the Uninstall list, removed at the end (links too).
class UninstallRegActionTest : public ActionTest::Fixture {
protected:
    void SetUp() override {
        ActionTest::Fixture::SetUp();
        m_name = ScratchRegistry::UniqueName("QxTest");
        m_key = Parent + m_name;
        Options().installDir = "C:\\P";
        Options().uninstallerPath = "C:\\P\\uninst.exe";
        Options().UninstallParams = First;
    }
    void TearDown() override {
        ScratchRegistry::DeleteTree(HKEY_LOCAL_MACHINE, m_key);
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, m_key));
        ActionTest::Fixture::TearDown();
    }

    std::unique_ptr<UninstallRegAction> Make() {
        return std::make_unique<UninstallRegAction>(m_name, "Arvendo Quarnelix 4.26 (remove only)", "4.26");
    }
    std::string Value(const std::string& name) { return ScratchRegistry::Value(HKEY_LOCAL_MACHINE, m_key, name); }
    std::string OwnItem() const { return " \"-delRegKey=HKEY_LOCAL_MACHINE\\" + m_key + "\""; }

    std::string m_name, m_key;
};

TEST_F(UninstallRegActionTest, ReplacesAnEarlierKeyWithTheSixValues) {
    ScratchRegistry::SetString(HKEY_LOCAL_MACHINE, m_key, "NoLongerWritten", "old");
    ScratchRegistry::SetString(HKEY_LOCAL_MACHINE, m_key, "Version", "4.20");
    Outcome made = Run([&] {
        UninstallRegAction action(m_name, "Arvendo Quarnelix 4.26 (remove only)", "4.26");
        EXPECT_TRUE(action.Registered());
        EXPECT_EQ(action.KeyPath(), m_key);
        action.Commit();
    });
    EXPECT_EQ(made.exitCode, -1);
    EXPECT_EQ(made.error, "");
    EXPECT_EQ(made.lines, Lines{"Registering uninstaller"});
    const std::string params = First + OwnItem();
    EXPECT_EQ(Options().UninstallParams, params);
    EXPECT_EQ(Value("DisplayName"), "REG_SZ:Arvendo Quarnelix 4.26 (remove only)");
    EXPECT_EQ(Value("DisplayIcon"), "REG_SZ:C:\\P\\uninst.exe");
    EXPECT_EQ(Value("UninstallString"), "REG_SZ:\"C:\\P\\uninst.exe\" " + m_name + " ");
    EXPECT_EQ(Value("UninstallParam"), "REG_SZ:" + params);
    EXPECT_EQ(Value("InstallDir"), "REG_SZ:C:\\P");
    EXPECT_EQ(Value("Version"), "REG_SZ:4.26");
    std::vector<std::string> names = ScratchRegistry::Names(HKEY_LOCAL_MACHINE, m_key, false);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"DisplayIcon", "DisplayName", "InstallDir", "UninstallParam",
                                               "UninstallString", "Version"}));
}

// Every value of a key as stored: name, type and bytes.
std::vector<std::string> RawValues(const std::string& key) {
    std::vector<std::string> values;
    HKEY h;
    char name[256], data[1024];
    DWORD nameLength, size, type;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return values;
    RegKeyHandle owner(h);
    for (DWORD i = 0; nameLength = sizeof name, size = sizeof data,
                      RegEnumValueA(h, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) ==
                          ERROR_SUCCESS;
         ++i)
        values.push_back(std::string(name, nameLength) + "|" + std::to_string(type) + "|" + std::string(data, size));
    owner.Reset();
    std::sort(values.begin(), values.end());
    return values;
}

// A registration that was there before comes back value for value, whatever the types.
TEST_F(UninstallRegActionTest, RollbackPutsBackAnEarlierRegistration) {
    const DWORD seven = 7;
    const struct {
        const char* name;
        DWORD type;
        const void* data;
        DWORD size;
    } earlier[] = {{"", REG_SZ, "default", 8},          {"DisplayName", REG_SZ, "Older", 6},
                   {"Version", REG_EXPAND_SZ, "%X%", 4}, {"NoModify", REG_DWORD, &seven, 4},
                   {"Blob", REG_BINARY, "\0\1\xFF", 3},  {"List", REG_MULTI_SZ, "a\0b\0", 5}};
    HKEY h;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr), 0);
    RegKeyHandle owner(h);
    for (const auto& v : earlier) RegSetValueExA(h, v.name, 0, v.type, static_cast<const BYTE*>(v.data), v.size);
    owner.Reset();
    const std::vector<std::string> before = RawValues(m_key);
    ASSERT_EQ(before.size(), 6u);
    std::unique_ptr<UninstallRegAction> action;
    Run([&] { action = Make(); });
    EXPECT_EQ(Value("Version"), "REG_SZ:4.26");
    EXPECT_EQ(Value("NoModify"), "<missing>");
    EXPECT_EQ(Run([&] { action.reset(); }).lines, Lines{"Rollback: unregistering uninstaller"});
    EXPECT_EQ(RawValues(m_key), before);
}

TEST_F(UninstallRegActionTest, RollbackDeletesTheKeyUnlessCommittedOrNoRollback) {
    struct Case {
        bool commit, noRollback;
        Lines lines;
        bool keyStays;
    };
    const Case cases[] = {
        {false, false, {"Rollback: unregistering uninstaller"}, false},
        {true, false, {}, true},
        {false, true, {}, true},
    };
    for (const Case& c : cases) {
        Options().noRollback = c.noRollback;
        Outcome undone;
        {
            std::unique_ptr<UninstallRegAction> action;
            Run([&] { action = Make(); });
            ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, m_key));
            if (c.commit) action->Commit();
            undone = Run([&] { action.reset(); });
        }
        EXPECT_EQ(undone.lines, c.lines);
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, m_key), c.keyStays);
        ScratchRegistry::DeleteTree(HKEY_LOCAL_MACHINE, m_key);
    }
}

// The key is a link to nowhere: not even "DisplayName" can be written.
TEST_F(UninstallRegActionTest, AFailedRegistrationIsOfferedAndLeavesNothingToUndo) {
    ASSERT_TRUE(ScratchRegistry::MakeDeadLink(HKEY_LOCAL_MACHINE, m_key));
    const std::string reason =
        "RegCreateKeyExA() failed: Windows error: 2: " + WinErrorMessage(ERROR_FILE_NOT_FOUND);
    struct Case {
        bool interactive, force;
        int answer;
        int exitCode;
        Lines lines;
    };
    const Case cases[] = {
        {true, false, Prompt::IdYes, -1, {"Registering uninstaller"}},
        {true, false, IDNO, 113,
         {"Registering uninstaller", "Installation canceled by user (uninstaller registration failed)"}},
        {false, true, 0, -1, {"Registering uninstaller", "Warning: uninstaller registration failed: " + reason}},
        {false, false, 0, 113, {"Registering uninstaller", "Uninstaller registration failed: " + reason + ", aborting"}},
    };
    for (const Case& c : cases) {
        SetMode(c.interactive, c.force);
        Options().UninstallParams = First;
        answer = c.answer;
        boxes.clear();
        Outcome made, undone;
        {
            std::unique_ptr<UninstallRegAction> action;
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
        // The failure came before the key's own item.
        EXPECT_EQ(Options().UninstallParams, First);
        if (c.interactive) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text, "Warning: uninstaller registration failed.\nReason: " + reason +
                                         "\nDo you want to continue with the installation anyway?");
            EXPECT_EQ(boxes[0].caption, "Uninstaller Registration Failed");
            EXPECT_EQ(boxes[0].style, 0x34u);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
    }
}

// A subkey added after registering keeps RegDeleteKeyA from deleting the key.
TEST_F(UninstallRegActionTest, AFailedUnregistrationIsReportedAndRollbackGoesOn) {
    for (bool interactive : {true, false}) {
        SetMode(interactive, false);
        boxes.clear();
        Outcome undone;
        {
            std::unique_ptr<UninstallRegAction> action;
            Run([&] { action = Make(); });
            ScratchRegistry::SetString(HKEY_LOCAL_MACHINE, m_key + "\\Child", "", "x");
            undone = Run([&] { action.reset(); });
        }
        // As on Windows NT: a key with subkeys is refused with "access denied".
        const std::string reason = WinErrorText(ERROR_ACCESS_DENIED);
        EXPECT_EQ(undone.lines,
                  (Lines{"Rollback: unregistering uninstaller", "Uninstaller unregistration failed: " + reason}));
        EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, m_key));
        if (interactive) {
            ASSERT_EQ(boxes.size(), 1u);
            EXPECT_EQ(boxes[0].text,
                      "Unable to unregister previously registered uninstaller.\nReason: " + reason);
            EXPECT_EQ(boxes[0].caption, "Uninstaller Unregistration Failed");
            EXPECT_EQ(boxes[0].style, 0x10u);
        } else {
            EXPECT_TRUE(boxes.empty());
        }
        ScratchRegistry::DeleteTree(HKEY_LOCAL_MACHINE, m_key);
    }
}

}  // namespace
