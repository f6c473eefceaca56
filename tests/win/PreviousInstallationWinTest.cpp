#include "installer/PreviousInstallation.h"

#include "NoCrtLib/InstallError.h"
#include "installer/Product.h"
#include "platform/Handles.h"
#include "platform/ShellFolders.h"

#include "HelperPrograms.h"
#include "ScratchRegistry.h"
#include "support/PromptSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// RunUninstallerAndWait against the fakeuninst helper (a Windows program of the e2e
// helpers, found through QX_WIN_BUILD), and the registry readers and the whole removal
// against the product's real uninstall key (the tests run in a throwaway prefix; the
// fixture removes the key again).
namespace {

const char UninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quarnelix";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The values the next few new handles get. Freed handle slots are handed out again, so a
// handle left open in between shows as a changed list. (Wine's GetProcessHandleCount
// always says 0.)
std::vector<ULONG_PTR> NextHandleValues() {
    std::vector<KernelHandle> probes;
    for (int i = 0; i < 8; ++i) probes.emplace_back(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::vector<ULONG_PTR> values;
    for (const KernelHandle& h : probes) values.push_back(reinterpret_cast<ULONG_PTR>(h.Get()));
    probes.clear();
    return values;
}

bool IsLowerHexWithoutLeadingZero(const std::string& text) {
    if (text.empty() || (text.size() > 1 && text[0] == '0')) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

// The value of "-<name>=" in a logged command line, up to the next blank.
std::string ArgumentValue(const std::string& line, const std::string& name) {
    const std::string key = " -" + name + "=";
    const std::size_t at = line.find(key);
    if (at == std::string::npos) return "";
    const std::size_t begin = at + key.size();
    return line.substr(begin, line.find_first_of(" \r\n", begin) - begin);
}

class PreviousInstallationWin : public TestSupport::PromptFixture {
protected:
    void SetUp() override {
        PromptFixture::SetUp();
        m_fake = HelperPath("fakeuninst.exe");
        if (m_fake.empty() || GetFileAttributesA(m_fake.c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << "fakeuninst.exe not found (QX_WIN_BUILD names the Windows build tree)";
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        m_dir = JoinPath(temp, ScratchRegistry::UniqueName("QxPrevious"));
        ASSERT_TRUE(CreateDirectoryA(m_dir.c_str(), nullptr));
        m_log = JoinPath(m_dir, "fake.log");
        SetEnvironmentVariableA("QX_FAKEUNINST_LOG", m_log.c_str());
        ScratchRegistry::DeleteTree(HKEY_LOCAL_MACHINE, UninstallKey);
    }
    void TearDown() override {
        SetEnvironmentVariableA("QX_FAKEUNINST_LOG", nullptr);
        ScratchRegistry::DeleteTree(HKEY_LOCAL_MACHINE, UninstallKey);
        PromptFixture::TearDown();
        if (m_dir.empty()) return;
        DeleteFileA(m_log.c_str());
        RemoveDirectoryA(m_dir.c_str());
    }

    std::string Fake(const std::string& arguments) { return "\"" + m_fake + "\" " + arguments; }

    std::vector<std::string> LoggedLines() {
        std::vector<std::string> lines;
        std::string text = ReadFile(m_log), line;
        for (char c : text) {
            if (c == '\n') {
                lines.push_back(line);
                line.clear();
            } else if (c != '\r') {
                line += c;
            }
        }
        DeleteFileA(m_log.c_str());
        return lines;
    }

    void Register(const char* name, const std::string& value, DWORD type = REG_SZ) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, UninstallKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                  nullptr),
                  ERROR_SUCCESS);
        RegKeyHandle owner(key);
        RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }

    std::string m_fake, m_dir, m_log;
};

}  // namespace

TEST_F(PreviousInstallationWin, ReturnsTheExitCodeOrTheHandedOnValue) {
    struct Case { const char* arguments; std::uint32_t result; };
    const Case cases[] = {
        {"--quiet --exit=0", 0},
        {"--quiet --exit=13", 13},
        {"--quiet --exit=12", 12},
        {"--quiet --exit=0xC0000005", 0xC0000005u},
        // An exit code equal to STILL_ACTIVE cannot be told from a running process.
        {"--quiet --exit=259", 259},
        {"--quiet --handoff=0", 0},
        {"--quiet --handoff=13", 13},
        {"--quiet --handoff=0xC0000005", 0xC0000005u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        EXPECT_EQ(RunUninstallerAndWait(Fake(c.arguments)), c.result);
        const std::vector<std::string> lines = LoggedLines();
        ASSERT_EQ(lines.size(), 1u);
        // The command exactly as given, then the handshake: two distinct inherited handles.
        const std::string& line = lines[0];
        const std::string head = Fake(c.arguments) + " -unat -result=";
        ASSERT_EQ(line.compare(0, head.size(), head), 0) << line;
        const std::string result = ArgumentValue(line, "result"), done = ArgumentValue(line, "done");
        EXPECT_EQ(line, Fake(c.arguments) + " -unat -result=" + result + " -done=" + done);
        EXPECT_TRUE(IsLowerHexWithoutLeadingZero(result)) << result;
        EXPECT_TRUE(IsLowerHexWithoutLeadingZero(done)) << done;
        EXPECT_NE(result, done);
    }
}

TEST_F(PreviousInstallationWin, WaitsForTheEventBeforeReadingTheHandedOnValue) {
    const DWORD start = GetTickCount();
    EXPECT_EQ(RunUninstallerAndWait(Fake("--quiet --handoff=7 --delay=1500")), 7u);
    EXPECT_GE(GetTickCount() - start, 1400u);
}

TEST_F(PreviousInstallationWin, ReleasesEveryHandleOnEveryPath) {
    // Warm up: the first process start, and the first failing one, open what the system
    // keeps open afterwards.
    RunUninstallerAndWait(Fake("--quiet --exit=0"));
    EXPECT_THROW(RunUninstallerAndWait("\"" + m_dir + "\\missing.exe\" x"), InstallError);
    const std::vector<ULONG_PTR> before = NextHandleValues();
    ASSERT_EQ(before, NextHandleValues()) << "handle values are not reused here";
    RunUninstallerAndWait(Fake("--quiet --exit=13"));
    EXPECT_EQ(NextHandleValues(), before);
    RunUninstallerAndWait(Fake("--quiet --handoff=5 --delay=10"));
    EXPECT_EQ(NextHandleValues(), before);
    EXPECT_THROW(RunUninstallerAndWait("\"" + m_dir + "\\missing.exe\" x"), InstallError);
    EXPECT_EQ(NextHandleValues(), before);
    // The probe itself notices a handle left open.
    KernelHandle kept(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    EXPECT_NE(NextHandleValues(), before);
}

TEST_F(PreviousInstallationWin, ProcessThatCannotStartIsAnInstallErrorWithTheSystemText) {
    try {
        RunUninstallerAndWait("\"" + m_dir + "\\missing.exe\" Quarnelix");
        FAIL() << "no exception";
    } catch (const InstallError& e) {
        const std::string text = e.what();
        EXPECT_EQ(text.rfind("CreateProcess() failed: Windows error 2: ", 0), 0u) << text;
    }
    EXPECT_TRUE(LoggedLines().empty());
}

TEST_F(PreviousInstallationWin, ReadersGiveTheRegisteredValuesOrTheirFallbacks) {
    const std::string defaultDir = JoinPath(ProgramFilesFolder(), "Arvendo Quarnelix");
    EXPECT_EQ(PreviousVersion(), "");
    EXPECT_EQ(PreviousUninstallString(), "");
    EXPECT_EQ(PreviousInstallDir(), defaultDir);

    Register("Version", "4.06");
    Register("UninstallString", "\"C:\\Old\\uninst.exe\" Quarnelix");
    Register("InstallDir", "D:\\Tools\\Quarnelix");
    EXPECT_EQ(PreviousVersion(), "4.06");
    EXPECT_EQ(PreviousUninstallString(), "\"C:\\Old\\uninst.exe\" Quarnelix");
    EXPECT_EQ(PreviousInstallDir(), "D:\\Tools\\Quarnelix");

    // A value of the wrong type cannot be read: the fallback, never an error.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegKeyHandle owner(key);
    const DWORD number = 407;
    RegSetValueExA(key, "Version", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    RegSetValueExA(key, "InstallDir", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
    owner.Reset();
    EXPECT_EQ(PreviousVersion(), "");
    EXPECT_EQ(PreviousInstallDir(), defaultDir);

    // An empty folder is no proposal either.
    Register("InstallDir", "");
    EXPECT_EQ(PreviousInstallDir(), defaultDir);

    // An expandable command is expanded.
    Register("UninstallString", "\"%SystemRoot%\\uninst.exe\" Quarnelix", REG_EXPAND_SZ);
    char windows[MAX_PATH];
    GetEnvironmentVariableA("SystemRoot", windows, sizeof windows);
    EXPECT_EQ(PreviousUninstallString(), "\"" + std::string(windows) + "\\uninst.exe\" Quarnelix");
}

TEST_F(PreviousInstallationWin, RemovalRunsTheRegisteredUninstallerAndReportsItsFailure) {
    Register("Version", "4.26");
    Register("UninstallString", Fake("--quiet --exit=13"));
    const std::string message = "Uninstaller failed with error code 13: Uninstallation failed partally or completely";

    SetMode(false, true);
    EXPECT_EQ(TestSupport::OutputOf([] { RemovePreviousInstallation(); }),
              "Uninstalling the existing Quarnelix 4.26 installation\n\n\nWarning: " + message + "\n");
    EXPECT_EQ(LoggedLines().size(), 1u);

    answer = IDNO;
    SetMode(true, true);
    const TestSupport::Outcome refused = TestSupport::RunCaptured([] { RemovePreviousInstallation(); });
    EXPECT_EQ(refused.out, "Uninstalling the existing Quarnelix 4.26 installation\n\n\nWarning: " + message +
                               "\nInstallation canceled by user (uninstallation failure)\n");
    EXPECT_EQ(refused.exitCode, 107);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, message + ".\nDo you want to continue with the installation anyway?");
    EXPECT_EQ(boxes[0].caption, "Uninstallation failure");
    EXPECT_EQ(boxes[0].style, static_cast<unsigned>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
}

TEST_F(PreviousInstallationWin, RemovalWithoutRegistrationDoesNothing) {
    SetMode(false, false);
    for (int variant = 0; variant < 3; ++variant) {
        SCOPED_TRACE(variant);
        ScratchRegistry::DeleteTree(HKEY_LOCAL_MACHINE, UninstallKey);
        if (variant == 1) {
            Register("Version", "");
            Register("UninstallString", Fake("--quiet --exit=13"));
        } else if (variant == 2) {
            Register("Version", "4.26");
        }
        EXPECT_EQ(TestSupport::OutputOf([] { RemovePreviousInstallation(); }), "");
        EXPECT_TRUE(LoggedLines().empty());
    }
}

// This test program carries no uninstaller resource (only other BINARY ones): every
// temporary name fails with the resource error, which exercises the random names through
// the system's random source.
TEST_F(PreviousInstallationWin, FreshCopyWithoutResourceGivesUpAfterElevenNames) {
    Register("Version", "4.06");
    Register("UninstallString", Fake("--quiet --exit=0"));
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    auto copies = [&temp] {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE find = FindFirstFileA((std::string(temp) + "uninst*.exe").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) return names;
        do names.push_back(found.cFileName);
        while (FindNextFileA(find, &found));
        FindClose(find);
        return names;
    };
    const std::vector<std::string> before = copies();

    SetMode(false, true);
    const std::string out = TestSupport::OutputOf([] { RemovePreviousInstallation(); });
    const std::string head = "Uninstalling the existing Quarnelix 4.06 installation\nWarning: Copying uninstaller to "
                             "temporary path failed: FindResourceA() failed: Windows error 1814";
    EXPECT_EQ(out.rfind(head, 0), 0u) << out;
    EXPECT_EQ(out.find('\n', head.size()), out.size() - 1) << out;
    EXPECT_NE(out[out.size() - 2], '.') << "the final full stop stays";
    EXPECT_TRUE(LoggedLines().empty()) << "the registered uninstaller of a 4.06 installation ran";
    EXPECT_EQ(copies(), before);
}
