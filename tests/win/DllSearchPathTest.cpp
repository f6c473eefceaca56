#include "platform/DllSearchPath.h"

#include "platform/Handles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

// A copy of a real system library, planted under a made-up name in the current folder.
class PlantedLibrary {
public:
    PlantedLibrary() {
        char temp[MAX_PATH], system[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        GetSystemDirectoryA(system, MAX_PATH);
        m_folder = std::string(temp) + "qx-planted-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(m_folder.c_str(), nullptr);
        m_path = m_folder + "\\qxplanted.dll";
        CopyFileA((std::string(system) + "\\version.dll").c_str(), m_path.c_str(), FALSE);
        GetCurrentDirectoryA(MAX_PATH, m_savedCwd);
        SetCurrentDirectoryA(m_folder.c_str());
    }
    ~PlantedLibrary() {
        SetCurrentDirectoryA(m_savedCwd);
        DeleteFileA(m_path.c_str());
        RemoveDirectoryA(m_folder.c_str());
    }

private:
    std::string m_folder, m_path;
    char m_savedCwd[MAX_PATH] = {};
};

// Runs in a process of its own (suite name ending in "Isolated"): the restriction cannot
// be undone. This test
// checks both sides in one go.
TEST(DllSearchPathIsolated, ALibraryPlantedInTheCurrentFolderIsNotLoadedByName) {
    PlantedLibrary planted;
    ModuleHandle before(LoadLibraryA("qxplanted.dll"));
    ASSERT_NE(before.Get(), nullptr) << "the planted copy must be loadable by name before the restriction";
    before.Reset();

    EXPECT_GT(RestrictDllSearchPath(), 0);
    ModuleHandle after(LoadLibraryA("qxplanted.dll"));
    EXPECT_EQ(after.Get(), nullptr);
    // System libraries are still found by name.
    ModuleHandle system(LoadLibraryA("version.dll"));
    EXPECT_NE(system.Get(), nullptr);
}

}  // namespace
