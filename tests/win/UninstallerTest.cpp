#include "uninstaller/CopyAnswer.h"
#include "uninstaller/PlanExecutor.h"
#include "uninstaller/Uninstaller.h"
#include "uninstaller/UninstallPlan.h"

#include "NoCrtLib/WinErrorMessage.h"
#include "platform/DeferredDeletion.h"
#include "platform/Handles.h"
#include "platform/RegKey.h"
#include "ui/Prompt.h"

#include "HelperPrograms.h"
#include "support/PromptSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

// The removal runs against a scratch folder and scratch keys below HKEY_CURRENT_USER;
// only the shared-association cases use a test extension under HKLM\SOFTWARE\Classes,
// where the uninstaller looks for it (the tests run in a throwaway prefix).
namespace {

const char ScratchKey[] = "Software\\QxUninstTest";
const char ScratchKeyFull[] = "HKEY_CURRENT_USER\\Software\\QxUninstTest";
const char TestExtension[] = ".qxutest";
const char TestExtensionKey[] = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.qxutest";
const char TestProgId[] = "Arvendo.Quarnelix.4.26.UninstTest";

using Strings = std::vector<std::string>;

std::string Item(const std::string& name, const std::string& value) { return "\"-" + name + "=" + value + "\""; }

std::string Join(const Strings& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : " ") + item;
    return text;
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void SetString(const std::string& key, const std::string& name, const std::string& value, DWORD type = REG_SZ) {
    RegKey k(key);
    ASSERT_TRUE(k.WriteString(name, value, type == REG_EXPAND_SZ)) << key;
}

bool KeyExists(const std::string& key) {
    RegKey k(key, RegKey::Flavour::Status);
    std::vector<std::string> names;
    return k.Enumerate(names, RegKey::SubKeys);
}

// The value's text and type; type 0 when it does not exist.
std::pair<std::string, DWORD> GetValue(HKEY root, const std::string& sub, const std::string& name) {
    HKEY h;
    if (RegOpenKeyExA(root, sub.c_str(), 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return {"", 0};
    RegKeyHandle owner(h);
    DWORD type = 0, size = 0;
    std::string data;
    if (RegQueryValueExA(h, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        data.resize(size);
        RegQueryValueExA(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
        if (!data.empty() && data.back() == '\0') data.pop_back();
    } else {
        type = 0;
    }
    return {data, type};
}

void DeleteTree(const std::string& folder) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string path = folder + "\\" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(folder.c_str());
}

std::vector<std::string> PendingDeletions() {
    std::vector<std::string> list, deletions;
    RegKey key(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", RegKey::Flavour::Status);
    if (!key.ReadMultiString("PendingFileRenameOperations", list)) return deletions;
    for (std::size_t i = 0; i + 1 < list.size(); i += 2)
        if (list[i + 1].empty()) deletions.push_back(list[i]);
    return deletions;
}

bool IsPending(const std::string& path) {
    for (const std::string& entry : PendingDeletions())
        if (EqualsIgnoringCase(entry, "\\??\\" + path)) return true;
    return false;
}

class UninstallerTest : public ::testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH + 1];
        ASSERT_GT(GetTempPathA(sizeof temp, temp), 0u);
        m_root = std::string(temp) + "QxUninstTest" + std::to_string(GetCurrentProcessId());
        DeleteTree(m_root);
        ASSERT_TRUE(CreateDirectoryA(m_root.c_str(), nullptr));
        m_dir = m_root + "\\Arvendo Quarnelix";
        ASSERT_TRUE(CreateDirectoryA(m_dir.c_str(), nullptr));
        RegKey(HKEY_CURRENT_USER, ScratchKey, RegKey::Flavour::Status).Delete(true);
        RegKey(TestExtensionKey, RegKey::Flavour::Status).Delete(true);

        m_places.machineEnvironment = std::string(ScratchKeyFull) + "\\MachineEnv";
        m_places.userEnvironment = std::string(ScratchKeyFull) + "\\UserEnv";
        m_places.autoexec = m_root + "\\AUTOEXEC.BAT";
        m_places.broadcast = false;
        m_settings.uninstallParent = std::string(ScratchKeyFull) + "\\Uninstall";
        m_settings.places = m_places;
    }
    void TearDown() override {
        for (const std::string& path : m_scheduled) CancelDeleteAtRestart(path);
        DeleteTree(m_root);
        RegKey(HKEY_CURRENT_USER, ScratchKey, RegKey::Flavour::Status).Delete(true);
        RegKey(TestExtensionKey, RegKey::Flavour::Status).Delete(true);
        SetEnvironmentVariableA("QX_FAKEUNINST_LOG", nullptr);
    }

    std::string Path(const std::string& relative) const { return m_dir + "\\" + relative; }

    PlanExecutor::Outcome Execute(const Strings& items) {
        const UninstallPlan plan = UninstallPlan::Parse(Join(items));
        return PlanExecutor(plan, m_dir, m_places).Run();
    }

    // A registration as the installer writes it, below the scratch parent key.
    void Register(const std::string& params) {
        const std::string key = m_settings.uninstallParent + "\\QxTest";
        SetString(key, "DisplayName", "Arvendo Quarnelix 4.26 (remove only)");
        SetString(key, "UninstallParam", params);
        SetString(key, "InstallDir", m_dir);
        SetString(key, "Version", "4.26");
    }

    std::string m_root, m_dir;
    PlanExecutor::Places m_places;
    UninstallerSettings m_settings;
    TestSupport::BoxRecorder m_box;
    Strings m_scheduled;
};

// The folder items come parent first here, as only a hand-made string has them: the
// parent is tried again once its subfolder is gone.
TEST_F(UninstallerTest, RemovesFilesFoldersAndKeysOfAnInstallation) {
    ASSERT_TRUE(CreateDirectoryA(Path("docs").c_str(), nullptr));
    WriteFile(Path("q.exe"), "main");
    WriteFile(Path("docs\\readme.txt"), "doc");
    WriteFile(Path("uninst.exe"), "uninstaller");
    const std::string classes = std::string(ScratchKeyFull) + "\\Classes";
    SetString(classes + "\\.qxp", "", "Arvendo.Quarnelix.4.26.Profile");
    SetString(classes + "\\Arvendo.Quarnelix.4.26.Profile\\DefaultIcon", "", "q.exe,0");
    SetString(classes + "\\Arvendo.Quarnelix.4.26.Profile\\Shell\\Open\\command", "", "q.exe \"%1\"");
    const std::string self = std::string(ScratchKeyFull) + "\\Uninstall\\QxTest";
    SetString(self, "UninstallParam", "x");

    const PlanExecutor::Outcome outcome = Execute({
        Item("shareResWith", "Dorvask"),
        Item("delDir", m_dir),
        Item("delMainFile", Path("q.exe")),
        Item("delDir", Path("docs")),
        Item("delFile", Path("docs\\readme.txt")),
        Item("delFile", Path("uninst.exe")),
        Item("delRegKey", classes + "\\.qxp"),
        Item("delRegKey", classes + "\\Arvendo.Quarnelix.4.26.Profile\\Shell\\Open\\command"),
        Item("delRegKey", classes + "\\Arvendo.Quarnelix.4.26.Profile\\Shell\\Open"),
        Item("delRegKey", classes + "\\Arvendo.Quarnelix.4.26.Profile\\Shell"),
        Item("delRegKey", classes + "\\Arvendo.Quarnelix.4.26.Profile"),
        Item("delRegKey", self),
    });
    EXPECT_EQ(outcome.failed, 0u);
    EXPECT_EQ(outcome.scheduled, 0u);
    EXPECT_EQ(outcome.leftInPlace, 0u);
    EXPECT_EQ(outcome.notes, Strings{});
    EXPECT_FALSE(Exists(m_dir));
    // The ProgID goes with its DefaultIcon, which has no item of its own.
    EXPECT_FALSE(KeyExists(classes + "\\Arvendo.Quarnelix.4.26.Profile"));
    EXPECT_FALSE(KeyExists(classes + "\\.qxp"));
    EXPECT_FALSE(KeyExists(self));
    EXPECT_TRUE(KeyExists(classes));
}

TEST_F(UninstallerTest, WhatIsAlreadyGoneIsNoFailure) {
    const PlanExecutor::Outcome outcome = Execute({
        Item("delFile", Path("missing.exe")),
        Item("delFile", m_root + "\\NoSuchFolder\\x.dll"),
        Item("delDir", m_root + "\\NoSuchFolder"),
        Item("delRegKey", std::string(ScratchKeyFull) + "\\No\\Such\\Key"),
    });
    EXPECT_EQ(outcome.failed, 0u);
    EXPECT_EQ(outcome.notes, Strings{});
}

TEST_F(UninstallerTest, FolderHoldingForeignFilesIsLeftInPlaceAndNeverEmptied) {
    ASSERT_TRUE(CreateDirectoryA(Path("logs").c_str(), nullptr));
    WriteFile(Path("q.exe"), "main");
    WriteFile(Path("my settings.ini"), "user data");
    WriteFile(Path("logs\\today.log"), "log");
    const PlanExecutor::Outcome outcome = Execute({
        Item("delDir", m_dir),
        Item("delDir", m_root),
        Item("delMainFile", Path("q.exe")),
    });
    EXPECT_EQ(outcome.failed, 0u);
    EXPECT_EQ(outcome.leftInPlace, 2u);
    EXPECT_EQ(outcome.notes,
              (Strings{"Folder " + m_dir + " is left in place: it holds logs, my settings.ini, which the "
                       "installation did not put there",
                       "Folder " + m_root + " is left in place: it holds Arvendo Quarnelix, which the "
                       "installation did not put there"}));
    EXPECT_FALSE(Exists(Path("q.exe")));
    EXPECT_EQ(ReadFile(Path("my settings.ini")), "user data");
    EXPECT_EQ(ReadFile(Path("logs\\today.log")), "log");
}

TEST_F(UninstallerTest, FileInUseIsScheduledAndSoIsTheFolderItKeeps) {
    WriteFile(Path("q.exe"), "main");
    WriteFile(Path("busy.dll"), "in use");
    m_scheduled = {Path("busy.dll"), m_dir};
    FileHandle busy(CreateFileA(Path("busy.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(busy.Get(), INVALID_HANDLE_VALUE);
    const PlanExecutor::Outcome outcome = Execute({
        Item("delDir", m_dir),
        Item("delMainFile", Path("q.exe")),
        Item("delFile", Path("busy.dll")),
    });
    busy.Reset();
    EXPECT_EQ(outcome.failed, 0u);
    EXPECT_EQ(outcome.scheduled, 2u);
    EXPECT_EQ(outcome.notes,
              (Strings{"Removing file " + Path("busy.dll") + " failed: " + WinErrorText(ERROR_SHARING_VIOLATION),
                       "File " + Path("busy.dll") + " will be removed at the next restart",
                       "Folder " + m_dir + " will be removed at the next restart"}));
    EXPECT_FALSE(Exists(Path("q.exe")));
    EXPECT_TRUE(IsPending(Path("busy.dll")));
    EXPECT_TRUE(IsPending(m_dir));
}

TEST_F(UninstallerTest, ReadOnlyFileIsRemoved) {
    WriteFile(Path("ro.txt"), "x");
    ASSERT_TRUE(SetFileAttributesA(Path("ro.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    const PlanExecutor::Outcome outcome = Execute({Item("delFile", Path("ro.txt"))});
    EXPECT_EQ(outcome.failed, 0u);
    EXPECT_EQ(outcome.scheduled, 0u);
    EXPECT_FALSE(Exists(Path("ro.txt")));
}

TEST_F(UninstallerTest, KeyThatCannotBeRemovedIsAFailure) {
    // A subkey that is a link to nowhere cannot be opened, so the tree cannot go.
    const std::string broken = std::string(ScratchKey) + "\\Broken";
    HKEY link;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (broken + "\\link").c_str(), 0, nullptr,
                              REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS, nullptr, &link, nullptr),
              ERROR_SUCCESS);
    RegKeyHandle linkOwner(link);
    const std::wstring target = L"\\Registry\\Machine\\Software\\QxUninstNoSuchTarget";
    ASSERT_EQ(RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(target.c_str()),
                             static_cast<DWORD>(target.size() * sizeof(wchar_t))),
              ERROR_SUCCESS);
    linkOwner.Reset();
    const PlanExecutor::Outcome outcome = Execute({Item("delRegKey", std::string(ScratchKeyFull) + "\\Broken")});
    EXPECT_EQ(outcome.failed, 1u);
    ASSERT_EQ(outcome.notes.size(), 1u);
    EXPECT_EQ(outcome.notes[0].rfind("Removing registry key " + std::string(ScratchKeyFull) + "\\Broken failed: ", 0),
              0u)
        << outcome.notes[0];
    EXPECT_TRUE(KeyExists(std::string(ScratchKeyFull) + "\\Broken"));
    // The link itself goes with its own API (RegDeleteKey would follow it).
    HKEY parent;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, broken.c_str(), 0, KEY_ALL_ACCESS, &parent) == ERROR_SUCCESS) {
        RegKeyHandle parentOwner(parent);
        HKEY l;
        if (RegOpenKeyExA(parent, "link", REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &l) == ERROR_SUCCESS) {
            RegKeyHandle linkOwner(l);
            using DeleteKeyFn = LONG(WINAPI*)(HANDLE);
            auto ntDeleteKey = reinterpret_cast<DeleteKeyFn>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtDeleteKey"));
            if (ntDeleteKey) ntDeleteKey(l);
        }
    }
}

TEST_F(UninstallerTest, SharedAssociationIsRemovedOnlyWhileItStillNamesOurProgId) {
    struct Case {
        const char* name;
        const char* value;   // null: the key exists without a default value; "-": no key at all
        bool removed;
        const char* note;    // null: none
    };
    const Case cases[] = {
        {"still ours", TestProgId, true, nullptr},
        {"ours in other letter case", "ARVENDO.QUARNELIX.4.26.UNINSTTEST", true, nullptr},
        {"taken over", "Dorvask.Settings", false,
         "The file association for extension '.qxutest' now belongs to Dorvask.Settings; it is left in place"},
        {"emptied", "", false,
         "The file association for extension '.qxutest' no longer names Arvendo.Quarnelix.4.26.UninstTest; "
         "it is left in place"},
        {"no default value", nullptr, false,
         "The file association for extension '.qxutest' no longer names Arvendo.Quarnelix.4.26.UninstTest; "
         "it is left in place"},
        {"already gone", "-", false, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegKey(TestExtensionKey, RegKey::Flavour::Status).Delete(true);
        const std::string progIdKey = std::string(ScratchKeyFull) + "\\Classes\\" + TestProgId;
        SetString(progIdKey + "\\Shell\\Manage\\command", "", "q.exe");
        if (c.value == nullptr) {
            SetString(std::string(TestExtensionKey) + "\\OpenWithList", "a", "q.exe");
        } else if (std::string(c.value) != "-") {
            SetString(TestExtensionKey, "", c.value);
        }
        const PlanExecutor::Outcome outcome = Execute({
            Item("shareResWith", "Dorvask"),
            Item("delRegKey", TestExtensionKey),
            Item("delRegKey", progIdKey + "\\Shell\\Manage\\command"),
            Item("delRegKey", progIdKey),
            Item("rstFileAssoc", std::string(TestExtension) + ":" + TestProgId),
        });
        EXPECT_EQ(outcome.failed, 0u);
        EXPECT_EQ(outcome.leftInPlace, c.note ? 1u : 0u);
        EXPECT_EQ(outcome.notes, c.note ? Strings{c.note} : Strings{});
        const bool present = std::string(c.value ? c.value : "") != "-";
        EXPECT_EQ(KeyExists(TestExtensionKey), present && !c.removed);
        if (present && !c.removed && c.value) {
            EXPECT_EQ(GetValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\.qxutest", "").first, c.value);
        }
        // Our own ProgID goes whoever owns the extension now.
        EXPECT_FALSE(KeyExists(progIdKey));
    }
}

TEST_F(UninstallerTest, TakesTheFolderOutOfBothPathValuesKeepingTheirTypes) {
    const std::string machineSub = std::string(ScratchKey) + "\\MachineEnv";
    const std::string userSub = std::string(ScratchKey) + "\\UserEnv";
    struct Case {
        const char* name;
        std::string machine;
        DWORD machineType;
        std::string user;
        DWORD userType;
        std::string machineAfter, userAfter;
    };
    const std::string d = m_dir;
    const Case cases[] = {
        {"expandable machine path", "%SystemRoot%\\system32;" + d, REG_EXPAND_SZ, "C:\\Tools", REG_SZ,
         "%SystemRoot%\\system32", "C:\\Tools"},
        {"plain user path, other case", "C:\\WINDOWS", REG_SZ, "c:\\x;;" + Upper(d), REG_SZ, "C:\\WINDOWS",
         "c:\\x;"},
        {"only entry", d, REG_EXPAND_SZ, d, REG_SZ, "", ""},
        {"not listed", "C:\\WINDOWS;" + d + "\\", REG_SZ, "", 0, "C:\\WINDOWS;" + d + "\\", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegKey(HKEY_CURRENT_USER, machineSub, RegKey::Flavour::Status).Delete(true);
        RegKey(HKEY_CURRENT_USER, userSub, RegKey::Flavour::Status).Delete(true);
        SetString(m_places.machineEnvironment, "PATH", c.machine, c.machineType);
        if (c.userType) SetString(m_places.userEnvironment, "PATH", c.user, c.userType);
        const PlanExecutor::Outcome outcome = Execute({Item("shareResWith", "Dorvask")});
        EXPECT_EQ(outcome.failed, 0u);
        EXPECT_EQ(GetValue(HKEY_CURRENT_USER, machineSub, "PATH"), std::make_pair(c.machineAfter, c.machineType));
        EXPECT_EQ(GetValue(HKEY_CURRENT_USER, userSub, "PATH"), std::make_pair(c.userAfter, c.userType));
    }
}

TEST_F(UninstallerTest, LeavesAPathValueOfAnotherTypeAlone) {
    const std::string machineSub = std::string(ScratchKey) + "\\MachineEnv";
    HKEY h;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, machineSub.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegKeyHandle owner(h);
    const std::string bytes = m_dir;
    RegSetValueExA(h, "PATH", 0, REG_BINARY, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    owner.Reset();
    const PlanExecutor::Outcome outcome = Execute({Item("shareResWith", "Dorvask")});
    EXPECT_EQ(outcome.failed, 0u);
    EXPECT_EQ(GetValue(HKEY_CURRENT_USER, machineSub, "PATH"), std::make_pair(bytes, DWORD(REG_BINARY)));
}

TEST_F(UninstallerTest, On9xTakesTheInstallersLineOutOfTheBatchFile) {
    m_places.ntFamily = false;
    char shortDir[MAX_PATH + 1];
    const DWORD n = GetShortPathNameA(m_dir.c_str(), shortDir, sizeof shortDir);
    ASSERT_TRUE(n > 0 && n < sizeof shortDir);
    WriteFile(m_places.autoexec, "@ECHO OFF\r\nPATH=C:\\WINDOWS;" + std::string(shortDir) +
                                     "\r\n\r\nPATH=%PATH%;" + shortDir + "\r\nSET TEMP=C:\\TEMP\r\n");
    WriteFile(Path("q.exe"), "main");
    // The folder goes first; its short form was taken before.
    const PlanExecutor::Outcome outcome = Execute({Item("delDir", m_dir), Item("delMainFile", Path("q.exe"))});
    EXPECT_EQ(outcome.failed, 0u);
    EXPECT_FALSE(Exists(m_dir));
    EXPECT_EQ(ReadFile(m_places.autoexec),
              "@ECHO OFF\r\nPATH=C:\\WINDOWS;" + std::string(shortDir) + "\r\nSET TEMP=C:\\TEMP\r\n");
}

TEST_F(UninstallerTest, On9xAMissingBatchFileIsNoFailure) {
    m_places.ntFamily = false;
    const PlanExecutor::Outcome outcome = Execute({Item("shareResWith", "Dorvask")});
    EXPECT_EQ(outcome.failed, 0u);
    EXPECT_FALSE(Exists(m_places.autoexec));
}

// The whole run, in this process: the command line, the registration, the question and
// the closing report.
TEST_F(UninstallerTest, RunReportsLoadFailuresWith12) {
    struct Case {
        const char* name;
        const char* params;     // null: value missing; "-": no key at all
        bool installDir;
        std::string textStart;
    };
    const std::string key = m_settings.uninstallParent + "\\QxTest";
    const std::string head = "Loading uninstallation information from " + key + " failed: ";
    const Case cases[] = {
        {"no key", "-", true, head + "RegOpenKeyExA() failed: Windows error: 2: "},
        {"no UninstallParam", nullptr, true, head + "RegQueryValueExA() failed: Windows error: 2: "},
        {"no InstallDir", "\"-shareResWith=Dorvask\"", false, head + "RegQueryValueExA() failed: Windows error: 2: "},
        {"damaged string", "\"-delFile=C:\\x\" stray", true,
         head + "Invalid uninstallation data. \"stray\" is not an uninstall item."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegKey(key, RegKey::Flavour::Status).Delete(true);
        if (!c.params || std::string(c.params) != "-") {
            SetString(key, "DisplayName", "Arvendo Quarnelix 4.26 (remove only)");
            if (c.params) SetString(key, "UninstallParam", c.params);
            if (c.installDir) SetString(key, "InstallDir", m_dir);
        }
        m_box.boxes.clear();
        EXPECT_EQ(RunUninstaller(u"uninst.exe QxTest -unat", m_settings), 12);
        EXPECT_TRUE(m_box.boxes.empty());
        EXPECT_EQ(RunUninstaller(u"uninst.exe QxTest", m_settings), 12);
        ASSERT_EQ(m_box.boxes.size(), 1u);
        EXPECT_EQ(m_box.boxes[0].text.rfind(c.textStart, 0), 0u) << m_box.boxes[0].text;
        EXPECT_EQ(m_box.boxes[0].style, unsigned(Prompt::ErrorStyle));
    }
}

TEST_F(UninstallerTest, RunRejectsABadCommandLineWith12) {
    for (const char16_t* line : {u"uninst.exe", u"uninst.exe QxTest -bogus", u"uninst.exe QxTest -result=7c"}) {
        EXPECT_EQ(RunUninstaller(line, m_settings), 12);
    }
    EXPECT_TRUE(m_box.boxes.empty());
}

TEST_F(UninstallerTest, RunAsksFirstAndRemovesNothingOnNo) {
    WriteFile(Path("q.exe"), "main");
    Register(Join({Item("shareResWith", "Dorvask"), Item("delDir", m_dir), Item("delMainFile", Path("q.exe")),
                   Item("delRegKey", m_settings.uninstallParent + "\\QxTest")}));
    m_box.answer = IDNO;
    EXPECT_EQ(RunUninstaller(u"uninst.exe QxTest", m_settings), 13);
    ASSERT_EQ(m_box.boxes.size(), 1u);
    EXPECT_EQ(m_box.boxes[0].text, "Do you want to remove Arvendo Quarnelix 4.26 from this computer?");
    EXPECT_EQ(m_box.boxes[0].caption, "Uninstall Arvendo Quarnelix 4.26");
    EXPECT_EQ(m_box.boxes[0].style, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_TRUE(Exists(Path("q.exe")));
    EXPECT_TRUE(KeyExists(m_settings.uninstallParent + "\\QxTest"));
}

TEST_F(UninstallerTest, RunRemovesOnYesAndReportsInABox) {
    WriteFile(Path("q.exe"), "main");
    WriteFile(Path("notes.txt"), "mine");
    Register(Join({Item("shareResWith", "Dorvask"), Item("delDir", m_dir), Item("delMainFile", Path("q.exe")),
                   Item("delRegKey", m_settings.uninstallParent + "\\QxTest")}));
    EXPECT_EQ(RunUninstaller(u"uninst.exe QxTest", m_settings), 0);
    ASSERT_EQ(m_box.boxes.size(), 2u);
    EXPECT_EQ(m_box.boxes[1].text, "Arvendo Quarnelix 4.26 has been removed.\n\nFolder " + m_dir +
                                   " is left in place: it holds notes.txt, which the installation did not put there");
    EXPECT_EQ(m_box.boxes[1].style, unsigned(Prompt::InformationStyle));
    EXPECT_FALSE(Exists(Path("q.exe")));
    EXPECT_FALSE(KeyExists(m_settings.uninstallParent + "\\QxTest"));
}

TEST_F(UninstallerTest, UnattendedRunAsksNothingAndReturnsTheOutcome) {
    WriteFile(Path("q.exe"), "main");
    const std::string broken = std::string(ScratchKeyFull) + "\\Classes\\.qxp";
    SetString(broken, "", "Arvendo.Quarnelix.4.26.Profile");
    Register(Join({Item("shareResWith", "Dorvask"), Item("delDir", m_dir), Item("delMainFile", Path("q.exe")),
                   Item("delRegKey", broken), Item("delRegKey", m_settings.uninstallParent + "\\QxTest")}));
    EXPECT_EQ(RunUninstaller(u"\"C:\\x\\uninst.exe\" QxTest  -unat", m_settings), 0);
    EXPECT_TRUE(m_box.boxes.empty());
    EXPECT_FALSE(Exists(m_dir));
    EXPECT_FALSE(KeyExists(broken));
    // Run again: the registration is gone now.
    EXPECT_EQ(RunUninstaller(u"uninst.exe QxTest -unat", m_settings), 12);
}

// An original waiting for its copy, when the copy ends without answering.
TEST_F(UninstallerTest, CopyEndingUnansweredWithAnUnexpectedCodeGives13) {
    const std::string fake = HelperPath("fakeuninst.exe");
    if (!Exists(fake)) GTEST_SKIP() << "fakeuninst.exe not found (QX_WIN_BUILD names the Windows build tree)";
    SetEnvironmentVariableA("QX_FAKEUNINST_LOG", (m_root + "\\fake.log").c_str());
    for (const auto& c : std::vector<std::pair<std::string, std::uint32_t>>{{"0", 0}, {"12", 12}, {"1", 13},
                                                                          {"0xC0000005", 13}}) {
        std::string failure, line = "\"" + fake + "\" --quiet --exit=" + c.first;
        const CopyAnswer answer(failure);
        STARTUPINFOA startup = {sizeof startup};
        PROCESS_INFORMATION info = {};
        ASSERT_TRUE(failure.empty() && CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                                      &startup, &info)) << failure;
        const KernelHandle copy(info.hProcess), thread(info.hThread);
        EXPECT_EQ(answer.Wait(copy.Get()), c.second) << c.first;
    }
}

}  // namespace
