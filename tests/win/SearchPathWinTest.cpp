#include "installer/SearchPath.h"

#include "platform/RegKey.h"
#include "platform/Handles.h"
#include "platform/VersionTriple.h"
#include "platform/WindowsVersionInfo.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <sstream>

namespace {

const char* const MachineKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

// Saves both "PATH" values (and their types) and puts them back afterwards.
class SearchPathNT : public ::testing::Test {
protected:
    void SetUp() override {
        if (WindowsVersionInfo().WindowsVersion().a != PlatformNT) GTEST_SKIP() << "NT family only";
        Save(HKEY_LOCAL_MACHINE, MachineKey, m_machine);
        Save(HKEY_CURRENT_USER, "Environment", m_user);
    }
    void TearDown() override {
        Restore(HKEY_LOCAL_MACHINE, MachineKey, m_machine);
        Restore(HKEY_CURRENT_USER, "Environment", m_user);
    }

    struct Saved { bool had = false; DWORD type = 0; std::string data; };
    static void Save(HKEY root, const char* key, Saved& saved) {
        HKEY h;
        if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE, &h) != ERROR_SUCCESS) return;
        RegKeyHandle owner(h);
        DWORD size = 0;
        if (RegQueryValueExA(h, "PATH", nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
            saved.data.resize(size);
            RegQueryValueExA(h, "PATH", nullptr, &saved.type, reinterpret_cast<BYTE*>(&saved.data[0]), &size);
            saved.had = true;
        }
    }
    static void Restore(HKEY root, const char* key, const Saved& saved) {
        HKEY h;
        if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr) != ERROR_SUCCESS) return;
        RegKeyHandle owner(h);
        if (saved.had)
            RegSetValueExA(h, "PATH", 0, saved.type, reinterpret_cast<const BYTE*>(saved.data.data()),
                           static_cast<DWORD>(saved.data.size()));
        else
            RegDeleteValueA(h, "PATH");
    }
    static void Set(HKEY root, const char* key, DWORD type, const std::string& text) {
        HKEY h;
        ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr), ERROR_SUCCESS);
        RegKeyHandle owner(h);
        RegSetValueExA(h, "PATH", 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    }
    static void Remove(HKEY root, const char* key) {
        HKEY h;
        if (RegOpenKeyExA(root, key, 0, KEY_SET_VALUE, &h) != ERROR_SUCCESS) return;
        RegKeyHandle owner(h);
        RegDeleteValueA(h, "PATH");
    }
    // The stored text and type, or type 0 when the value is missing.
    static std::pair<std::string, DWORD> Get(HKEY root, const char* key) {
        Saved s;
        Save(root, key, s);
        if (!s.had) return {"", 0};
        if (!s.data.empty() && s.data.back() == '\0') s.data.pop_back();
        return {s.data, s.type};
    }

    Saved m_machine, m_user;
};

TEST_F(SearchPathNT, AllUsersAppendsToAVeryLongMachinePathWithoutLosingAnything) {
    std::string longPath;
    for (int i = 0; longPath.size() < 30000; ++i) longPath += "C:\\Folder" + std::to_string(i) + ";";
    longPath += "%SystemRoot%\\system32";
    Set(HKEY_LOCAL_MACHINE, MachineKey, REG_SZ, longPath);
    Remove(HKEY_CURRENT_USER, "Environment");

    AddToSearchPath("C:\\Apps\\Q", true);
    auto machine = Get(HKEY_LOCAL_MACHINE, MachineKey);
    EXPECT_EQ(machine.first, longPath + ";C:\\Apps\\Q");
    EXPECT_EQ(machine.second, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "Environment").second, 0u);

    AddToSearchPath("c:\\apps\\q", true);  // already there, in another case
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, MachineKey).first, longPath + ";C:\\Apps\\Q");
}

TEST_F(SearchPathNT, PerUserCreatesTheUserPathAndLeavesTheMachinePath) {
    Set(HKEY_LOCAL_MACHINE, MachineKey, REG_EXPAND_SZ, "C:\\WINDOWS");
    Remove(HKEY_CURRENT_USER, "Environment");
    AddToSearchPath("C:\\Apps\\Q", false);
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "Environment"), std::make_pair(std::string("C:\\Apps\\Q"), DWORD(REG_EXPAND_SZ)));
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, MachineKey).first, "C:\\WINDOWS");
}

TEST_F(SearchPathNT, BinaryMachinePathSendsAnAllUsersInstallationToTheUserPath) {
    Set(HKEY_LOCAL_MACHINE, MachineKey, REG_BINARY, "C:\\WINDOWS");
    Set(HKEY_CURRENT_USER, "Environment", REG_SZ, "C:\\Tools");
    AddToSearchPath("C:\\Apps\\Q", true);
    EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, MachineKey).second, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "Environment").first, "C:\\Tools;C:\\Apps\\Q");
}

class SearchPath9x : public ::testing::Test {
protected:
    void SetUp() override {
        if (WindowsVersionInfo().WindowsVersion().a == PlatformNT) GTEST_SKIP() << "9x family only";
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_folder = std::string(temp) + "Qx Search Path Folder";
        CreateDirectoryA(m_folder.c_str(), nullptr);
        char shortPath[MAX_PATH];
        ASSERT_NE(GetShortPathNameA(m_folder.c_str(), shortPath, MAX_PATH), 0u);
        m_short = shortPath;
        m_hadAutoexec = Read(m_saved);
    }
    void TearDown() override {
        if (m_folder.empty()) return;
        if (m_hadAutoexec) Write(m_saved); else DeleteFileA("C:\\AUTOEXEC.BAT");
        RemoveDirectoryA(m_folder.c_str());
    }
    static bool Read(std::string& text) {
        std::ifstream in("C:\\AUTOEXEC.BAT", std::ios::binary);
        if (!in) return false;
        std::stringstream s;
        s << in.rdbuf();
        text = s.str();
        return true;
    }
    static void Write(const std::string& text) {
        std::ofstream("C:\\AUTOEXEC.BAT", std::ios::binary) << text;
    }

    std::string m_folder, m_short, m_saved;
    bool m_hadAutoexec = false;
};

TEST_F(SearchPath9x, AppendsOneLineWithTheShortFormOnce) {
    Write("@ECHO OFF\r\nPATH=C:\\WINDOWS\r\n");
    AddToSearchPath(m_folder, true);
    std::string text;
    ASSERT_TRUE(Read(text));
    EXPECT_EQ(text, "@ECHO OFF\r\nPATH=C:\\WINDOWS\r\n\r\nPATH=%PATH%;" + m_short + "\r\n");
    AddToSearchPath(m_folder, true);
    std::string again;
    Read(again);
    EXPECT_EQ(again, text);
}

TEST_F(SearchPath9x, ALaterResetOfThePathAddsTheLineAgain) {
    std::string before = "PATH=C:\\WINDOWS;" + m_short + "\r\nPATH=C:\\DOS\r\n";
    Write(before);
    AddToSearchPath(m_folder, false);
    std::string text;
    Read(text);
    EXPECT_EQ(text, before + "\r\nPATH=%PATH%;" + m_short + "\r\n");
}

TEST_F(SearchPath9x, MissingBatchFileIsCreatedForTheLine) {
    DeleteFileA("C:\\AUTOEXEC.BAT");
    AddToSearchPath(m_folder, true);
    std::string text;
    ASSERT_TRUE(Read(text));
    EXPECT_EQ(text, "\r\nPATH=%PATH%;" + m_short + "\r\n");
}

}  // namespace
