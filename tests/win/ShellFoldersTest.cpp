#include "platform/ShellFolders.h"

#include "platform/Handles.h"
#include "SavedRegValue.h"
#include "platform/WindowsVersionInfo.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <string>

namespace {

const char kBrowserKey[] = "Software\\Microsoft\\Internet Explorer";
const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUserShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string Expanded(const char* text) {
    char buffer[1024] = {};
    ExpandEnvironmentStringsA(text, buffer, sizeof buffer);
    return buffer;
}

std::string ShellPath(int csidl) {
    char buffer[MAX_PATH + 1] = {};
    SHGetSpecialFolderPathA(nullptr, buffer, csidl, TRUE);
    return buffer;
}

// Every value the lookups read, put back after each test.
class ShellFoldersTest : public testing::Test {
protected:
    SavedRegValue version{HKEY_LOCAL_MACHINE, kBrowserKey, "Version"};
    SavedRegValue iver{HKEY_LOCAL_MACHINE, kBrowserKey, "IVer"};
    SavedRegValue programFiles{HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir"};
    SavedRegValue desktop{HKEY_CURRENT_USER, kShellFolders, "Desktop"};
    SavedRegValue userDesktop{HKEY_CURRENT_USER, kUserShellFolders, "Desktop"};
    SavedRegValue programs{HKEY_CURRENT_USER, kShellFolders, "Programs"};
    SavedRegValue userPrograms{HKEY_CURRENT_USER, kUserShellFolders, "Programs"};
    SavedRegValue commonDesktop{HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop"};
    SavedRegValue commonPrograms{HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs"};

    // Values no shell would answer, to tell the registry's answers from the shell's.
    void PlantRegistryValues() {
        programFiles.SetString("C:\\QxReg\\Program Files");
        desktop.SetString("C:\\QxReg\\Desktop");
        userDesktop.SetString("C:\\QxReg\\User Desktop");
        programs.SetString("C:\\QxReg\\Programs");
        userPrograms.SetString("C:\\QxReg\\User Programs");
        commonDesktop.SetString("C:\\QxReg\\Common Desktop");
        commonPrograms.SetString("C:\\QxReg\\Common Programs");
    }
    void OldBrowser() {
        version.SetString("4.0.950");
        iver.Delete();
    }
};

}  // namespace

TEST_F(ShellFoldersTest, CurrentBrowserLetsTheShellAnswer) {
    version.SetString("4.71.1712");  // the minimum is enough
    PlantRegistryValues();
    WindowsVersionInfo versions;
    EXPECT_EQ(ProgramFilesFolder(versions), ShellPath(CSIDL_PROGRAM_FILES));
    EXPECT_EQ(DesktopFolder(versions), ShellPath(CSIDL_DESKTOPDIRECTORY));
    EXPECT_EQ(CommonDesktopFolder(versions), ShellPath(CSIDL_COMMON_DESKTOPDIRECTORY));
    EXPECT_EQ(ProgramsFolder(versions), ShellPath(CSIDL_PROGRAMS));
    EXPECT_EQ(CommonProgramsFolder(versions), ShellPath(CSIDL_COMMON_PROGRAMS));
    // Wine's shell answers these from other values than the installer's first registry
    // choice, which shows that the shell was asked.
    EXPECT_NE(DesktopFolder(versions), "C:\\QxReg\\Desktop");
    EXPECT_NE(ProgramsFolder(versions), "C:\\QxReg\\Programs");
    EXPECT_NE(CommonDesktopFolder(versions), "C:\\QxReg\\Common Desktop");
}

TEST_F(ShellFoldersTest, OldOrUnknownBrowserLeavesItToTheRegistry) {
    struct Case { const char* name; const char* version; };
    for (const Case& c : {Case{"browser 4.0", "4.0.950"}, Case{"one build short", "4.71.1711"},
                          Case{"browser unknown", nullptr}}) {
        SCOPED_TRACE(c.name);
        if (c.version) version.SetString(c.version); else version.Delete();
        iver.Delete();
        PlantRegistryValues();
        WindowsVersionInfo versions;
        EXPECT_EQ(ProgramFilesFolder(versions), "C:\\QxReg\\Program Files");
        EXPECT_EQ(DesktopFolder(versions), "C:\\QxReg\\Desktop");
        EXPECT_EQ(CommonDesktopFolder(versions), "C:\\QxReg\\Common Desktop");
        EXPECT_EQ(ProgramsFolder(versions), "C:\\QxReg\\Programs");
        EXPECT_EQ(CommonProgramsFolder(versions), "C:\\QxReg\\Common Programs");
    }
}

TEST_F(ShellFoldersTest, UserShellFoldersComeSecondAndAreExpanded) {
    OldBrowser();
    PlantRegistryValues();
    desktop.Delete();
    userDesktop.SetString("%USERPROFILE%\\QxDesk", REG_EXPAND_SZ);
    DWORD number = 1;  // a value of another type is passed over like a missing one
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegKeyHandle owner(key);
    RegSetValueExA(key, "Programs", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof number);
    owner.Reset();

    WindowsVersionInfo versions;
    std::string expanded = Expanded("%USERPROFILE%\\QxDesk");
    ASSERT_EQ(expanded.find('%'), std::string::npos);
    EXPECT_EQ(DesktopFolder(versions), expanded);
    EXPECT_EQ(ProgramsFolder(versions), "C:\\QxReg\\User Programs");
}

TEST_F(ShellFoldersTest, EmptyRegistryValueIsTakenAsItIs) {
    OldBrowser();
    PlantRegistryValues();
    programs.SetString("");
    programFiles.SetString("");
    WindowsVersionInfo versions;
    EXPECT_EQ(ProgramsFolder(versions), "");
    EXPECT_EQ(ProgramFilesFolder(versions), "");
}

TEST_F(ShellFoldersTest, FixedFallbacksWhenNeitherShellNorRegistryAnswers) {
    OldBrowser();
    PlantRegistryValues();
    programFiles.Delete();
    commonDesktop.Delete();
    commonPrograms.Delete();
    WindowsVersionInfo versions;
    EXPECT_EQ(ProgramFilesFolder(versions), "C:\\Program Files");
    // The all-users folders fall back to the full per-user lookups.
    EXPECT_EQ(CommonDesktopFolder(versions), "C:\\QxReg\\Desktop");
    EXPECT_EQ(CommonProgramsFolder(versions), "C:\\QxReg\\Programs");
    desktop.Delete();
    programs.Delete();
    EXPECT_EQ(CommonDesktopFolder(versions), "C:\\QxReg\\User Desktop");
    EXPECT_EQ(CommonProgramsFolder(versions), "C:\\QxReg\\User Programs");
    userDesktop.Delete();
    userPrograms.Delete();
    EXPECT_EQ(DesktopFolder(versions), "");
    EXPECT_EQ(ProgramsFolder(versions), "");
    EXPECT_EQ(CommonDesktopFolder(versions), "");
    EXPECT_EQ(CommonProgramsFolder(versions), "");
}

TEST_F(ShellFoldersTest, PlainLookupsUseTheProcessWideFactsReadOnce) {
    // The process instance learns the browser version of the prefix and keeps it...
    ASSERT_GE(ProcessVersionInfo().InternetExplorerVersion(), InternetExplorer4Version);
    OldBrowser();
    PlantRegistryValues();
    // ...so a later change of the registry does not turn the shell off for the run.
    EXPECT_EQ(ProgramFilesFolder(), ShellPath(CSIDL_PROGRAM_FILES));
    EXPECT_EQ(CommonProgramsFolder(), ShellPath(CSIDL_COMMON_PROGRAMS));
    WindowsVersionInfo fresh;
    EXPECT_EQ(ProgramFilesFolder(fresh), "C:\\QxReg\\Program Files");
}
