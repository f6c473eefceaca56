#pragma once
// Shared by the Windows tests of the installation actions: a scratch folder under the
// temp folder, recorded message boxes instead of real ones, captured console lines, and
// a look at the restart-time deletion list.
#include "installer/Product.h"
#include "platform/DeferredDeletion.h"
#include "platform/Handles.h"
#include "support/PromptSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace ActionTest {

// What a piece of installer code left behind for its caller.
struct Outcome {
    int exitCode = -1;  // SilentExit code; -1 when none was thrown
    std::string error;  // what() of any other exception
    std::vector<std::string> lines;
};

inline std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

inline std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

const char SessionManagerKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char PendingRenamesValue[] = "PendingFileRenameOperations";

// The pending-rename value as raw bytes, so a test can start from an empty list and put
// back whatever was there (a new Wine session would act on what is left).
struct SavedPendingRenames {
    bool present = false;
    DWORD type = 0;
    std::vector<BYTE> data;
};

inline SavedPendingRenames TakePendingRenames() {
    SavedPendingRenames saved;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return saved;
    RegKeyHandle owner(key);
    DWORD size = 0;
    if (RegQueryValueExA(key, PendingRenamesValue, nullptr, &saved.type, nullptr, &size) == ERROR_SUCCESS) {
        saved.data.resize(size);
        saved.present = RegQueryValueExA(key, PendingRenamesValue, nullptr, &saved.type, saved.data.data(), &size) ==
                        ERROR_SUCCESS;
        saved.data.resize(size);
        RegDeleteValueA(key, PendingRenamesValue);
    }
    return saved;
}

inline void PutBackPendingRenames(const SavedPendingRenames& saved) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegKeyHandle owner(key);
    if (saved.present)
        RegSetValueExA(key, PendingRenamesValue, 0, saved.type, saved.data.data(), static_cast<DWORD>(saved.data.size()));
    else
        RegDeleteValueA(key, PendingRenamesValue);
}

// The NT list of deletions at restart: pairs of (source, destination); a deletion has an
// empty destination, so empty strings occur inside the list and only the size tells
// where it ends.
inline std::vector<std::string> PendingRenames() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManagerKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return {};
    RegKeyHandle owner(key);
    DWORD type = 0, size = 0;
    std::vector<char> data;
    if (RegQueryValueExA(key, PendingRenamesValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
        data.resize(size);
        if (RegQueryValueExA(key, PendingRenamesValue, nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &size) != ERROR_SUCCESS)
            size = 0;
        data.resize(size);
    }
    owner.Reset();
    std::vector<std::string> entries;
    std::string entry;
    for (char c : data) {
        if (c != '\0') {
            entry += c;
            continue;
        }
        entries.push_back(entry);
        entry.clear();
    }
    return entries;
}

// A deletion of path, as the system records it ("\??\" + path), is pending.
inline ::testing::AssertionResult IsScheduledForRestart(const std::string& path) {
    std::vector<std::string> entries = PendingRenames();
    for (size_t i = 0; i + 1 < entries.size(); i += 2)
        if (entries[i + 1].empty() && Lower(entries[i]) == Lower("\\??\\" + path))
            return ::testing::AssertionSuccess();
    std::string list;
    for (const std::string& e : entries) list += "[" + e + "] ";
    return ::testing::AssertionFailure() << "pending renames: " << list;
}

inline bool IsNtFamily() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

inline bool IsFolder(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

inline bool IsFile(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
    FileHandle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_NE(h.Get(), INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(h.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    h.Reset();
    ASSERT_EQ(written, bytes.size());
}

inline std::string ReadFileBytes(const std::string& path) {
    FileHandle h(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!h) return "<missing>";
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(h.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

// Names of the files directly in a folder, sorted.
inline std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

inline void RemoveTree(const std::string& path) {
    if (path.size() < 4) return;  // never a drive root
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

class Fixture : public TestSupport::PromptFixture {
protected:
    void SetUp() override {
        PromptFixture::SetUp();
        m_savedRenames = TakePendingRenames();
        m_tookRenames = true;
        static unsigned counter = 0;
        char temp[MAX_PATH + 1] = {};
        ASSERT_NE(GetTempPathA(sizeof temp, temp), 0u);
        m_root = JoinPath(temp, "qx-actions-" + std::to_string(GetCurrentProcessId()) + "-" +
                                    std::to_string(GetTickCount()) + "-" + std::to_string(++counter));
        ASSERT_TRUE(CreateDirectoryA(m_root.c_str(), nullptr)) << m_root;
    }

    void TearDown() override {
        PromptFixture::TearDown();
        for (const std::string& path : m_scheduled) CancelDeleteAtRestart(path);
        if (m_tookRenames) PutBackPendingRenames(m_savedRenames);
        if (m_root.empty()) return;  // skipped before the folder was made
        RemoveTree(m_root);
        EXPECT_FALSE(IsFolder(m_root)) << "scratch folder left behind: " << m_root;
    }

    const std::string& Root() const { return m_root; }
    std::string Path(const std::string& relative) const { return JoinPath(m_root, relative); }

    // Paths a test schedules for deletion at restart; unscheduled at the end (the list as
    // it was before the test is put back in any case).
    void ForgetScheduledAtEnd(const std::string& path) { m_scheduled.push_back(path); }

    // Runs code with standard output captured; SilentExit and standard exceptions are
    // caught and recorded as the driver would see them.
    template <class F>
    Outcome Run(F code) {
        const TestSupport::Outcome run = TestSupport::RunCaptured(code);
        return {run.exitCode, run.error, SplitLines(run.out)};
    }

private:
    std::string m_root;
    std::vector<std::string> m_scheduled;
    bool m_tookRenames = false;
    SavedPendingRenames m_savedRenames;
};

}  // namespace ActionTest
