#include "platform/WindowsVersionInfo.h"

#include "SavedRegValue.h"
#include "platform/Handles.h"
#include "platform/VersionTexts.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <ostream>
#include <string>

static std::ostream& operator<<(std::ostream& os, const VersionTriple& v) {
    return os << "(" << v.a << ", " << v.b << ", " << v.c << ")";
}

namespace {

const char kBrowserKey[] = "Software\\Microsoft\\Internet Explorer";

// The browser values of this prefix, put back after each test.
class WindowsVersionInfoTest : public testing::Test {
protected:
    SavedRegValue m_version{HKEY_LOCAL_MACHINE, kBrowserKey, "Version"};
    SavedRegValue m_iver{HKEY_LOCAL_MACHINE, kBrowserKey, "IVer"};
    SavedRegValue m_build{HKEY_LOCAL_MACHINE, kBrowserKey, "Build"};

    void Set(SavedRegValue& value, const std::optional<std::string>& text) {
        if (text)
            value.SetString(*text);
        else
            value.Delete();
    }
};

using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);

}  // namespace

TEST_F(WindowsVersionInfoTest, WindowsVersionAndServicePackAreWhatTheKernelReports) {
    // Cross-checked against ntdll's own query rather than the call the class makes.
    auto rtlGetVersion = reinterpret_cast<GetVersionFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(rtlGetVersion, nullptr);
    OSVERSIONINFOEXW kernel = {};
    kernel.dwOSVersionInfoSize = sizeof kernel;
    ASSERT_EQ(rtlGetVersion(&kernel), 0);

    WindowsVersionInfo info;
    EXPECT_EQ(info.WindowsVersion(), VersionTriple(kernel.dwPlatformId, kernel.dwMajorVersion, kernel.dwMinorVersion));
    EXPECT_EQ(info.ServicePack(), kernel.wServicePackMajor);
    EXPECT_EQ(info.WindowsVersion().a, PlatformNT);  // Wine's default is of the NT family
    // Asking again gives the same facts.
    EXPECT_EQ(info.WindowsVersion(), VersionTriple(kernel.dwPlatformId, kernel.dwMajorVersion, kernel.dwMinorVersion));
    EXPECT_EQ(info.ServicePack(), kernel.wServicePackMajor);
}

TEST_F(WindowsVersionInfoTest, BrowserVersionFromTheRegistryValues) {
    using S = std::optional<std::string>;
    const S none;
    struct Case { const char* name; S version, iver, build; VersionTriple expected; };
    const Case cases[] = {
        {"Version with four parts", S("6.0.2900.2180"), none, none, {6, 0, 2900}},
        {"Version wins over IVer", S("5.50.4134.0600"), S("103"), S("1158"), {5, 50, 4134}},
        {"IVer 103 with Build", none, S("103"), S("1158"), {4, 70, 1158}},
        {"IVer 103 without Build", none, S("103"), none, {4, 70, 1155}},
        {"IVer 101", none, S("101"), none, {4, 40, 308}},
        {"IVer 102", none, S("102"), none, {4, 40, 520}},
        {"unknown IVer", none, S("100"), none, {0, 0, 0}},
        {"no values", none, none, none, {0, 0, 0}},
        {"Version without number", S("n/a"), none, none, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Set(m_version, c.version);
        Set(m_iver, c.iver);
        Set(m_build, c.build);
        WindowsVersionInfo info;
        EXPECT_EQ(info.InternetExplorerVersion(), c.expected);
    }
}

TEST_F(WindowsVersionInfoTest, BrowserValueOfAnotherTypeCountsAsAbsent) {
    DWORD number = 6;
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kBrowserKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegKeyHandle owner(key);
    RegSetValueExA(key, "Version", 0, REG_DWORD, reinterpret_cast<BYTE*>(&number), sizeof number);
    owner.Reset();
    m_iver.SetString("102");
    WindowsVersionInfo info;
    EXPECT_EQ(info.InternetExplorerVersion(), VersionTriple(4, 40, 520));
}

TEST_F(WindowsVersionInfoTest, DeterminedFactsAreKeptUndeterminedOnesAskedAgain) {
    m_version.SetString("0.1");  // major 0: undetermined
    WindowsVersionInfo info;
    EXPECT_EQ(info.InternetExplorerVersion(), VersionTriple(0, 0, 0));
    m_version.SetString("6.0.2900.2180");
    EXPECT_EQ(info.InternetExplorerVersion(), VersionTriple(6, 0, 2900));  // asked again
    m_version.SetString("4.0");
    EXPECT_EQ(info.InternetExplorerVersion(), VersionTriple(6, 0, 2900));  // kept
    EXPECT_EQ(WindowsVersionInfo().InternetExplorerVersion(), VersionTriple(4, 0, 0));  // a fresh one reads anew
}

TEST_F(WindowsVersionInfoTest, ProcessInstanceIsOneAndKeepsItsFacts) {
    WindowsVersionInfo& process = ProcessVersionInfo();
    EXPECT_EQ(&process, &ProcessVersionInfo());
    m_version.SetString("7.0.5730.13");
    VersionTriple first = process.InternetExplorerVersion();
    m_version.SetString("4.0");
    EXPECT_EQ(ProcessVersionInfo().InternetExplorerVersion(), first);
    EXPECT_NE(first, VersionTriple(0, 0, 0));
}

// Run where Wine reports Windows 98 (suites ending in "9x").
TEST(WindowsVersionInfo9x, ReportsTheWindows9xFamilyAndPassesItsRequirementTest) {
    WindowsVersionInfo info;
    if (info.WindowsVersion().a == PlatformNT) GTEST_SKIP() << "Windows 9x family only";
    EXPECT_EQ(info.WindowsVersion(), VersionTriple(1, 4, 10));
    EXPECT_GE(info.WindowsVersion(), Windows98Version);
}
