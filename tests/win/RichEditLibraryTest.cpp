#include "ui/RichEditLibrary.h"

#include "platform/Handles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include <windows.h>

namespace {

std::string modulePath(HMODULE module) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

std::string systemLibrary(const char* name) {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + name;
}

bool samePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

TEST(RichEditLibrary, LoadsFromTheSystemDirectoryOnce) {
    HMODULE module = RichEditLibrary::ensureLoaded();
    ASSERT_NE(module, nullptr);
    EXPECT_TRUE(samePath(modulePath(module), systemLibrary("RICHED20.DLL"))) << modulePath(module);
    EXPECT_EQ(RichEditLibrary::ensureLoaded(), module);
    EXPECT_EQ(RichEditLibrary::module(), module);
    WNDCLASSA richEdit = {};
    EXPECT_TRUE(GetClassInfoA(nullptr, "RichEdit20A", &richEdit)) << "the control class is registered";
}

// Run inside a copy of this program (see the next test): loads the library the way the
// mode says and writes where the loaded module came from.
TEST(RichEditLibraryProbe, ReportsTheLoadedModule) {
    const char* request = std::getenv("QX_RICHED_PROBE");
    if (!request) GTEST_SKIP() << "only run by RichEditLibrary.PlantedCopyBesideTheProgramIsNotLoaded";
    std::string spec = request;
    std::string mode = spec.substr(0, spec.find('|'));
    std::string out = spec.substr(spec.find('|') + 1);
    HMODULE module = mode == "bare" ? LoadLibraryA("RICHED20.DLL") : RichEditLibrary::ensureLoaded();
    std::string path = module ? modulePath(module) : "(not loaded)";
    FileHandle file(CreateFileA(out.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(file.Get(), INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file.Get(), path.data(), static_cast<DWORD>(path.size()), &written, nullptr);
}

// A download folder holding the installer and a planted "RICHED20.DLL" (here: copies of
// this program). Loading the library by bare name picks the planted copy; the installer's
// loading must take the one in the system directory.
class PlantedLibrary : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        m_folder = std::string(temp) + "qxplant" + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(CreateDirectoryA(m_folder.c_str(), nullptr));
        std::string self = modulePath(nullptr);
        ASSERT_TRUE(CopyFileA(self.c_str(), program().c_str(), FALSE));
        ASSERT_TRUE(CopyFileA(self.c_str(), planted().c_str(), FALSE));
    }
    void TearDown() override {
        DeleteFileA(program().c_str());
        DeleteFileA(planted().c_str());
        DeleteFileA(report().c_str());
        RemoveDirectoryA(m_folder.c_str());
    }

    std::string program() const { return m_folder + "\\setup.exe"; }
    std::string planted() const { return m_folder + "\\RICHED20.DLL"; }
    std::string report() const { return m_folder + "\\loaded.txt"; }

    // Runs the probe in the copy; returns the path it reports.
    std::string probe(const char* mode) {
        DeleteFileA(report().c_str());
        std::string request = std::string(mode) + "|" + report();
        SetEnvironmentVariableA("QX_RICHED_PROBE", request.c_str());
        std::string commandLine = "\"" + program() + "\" --gtest_filter=RichEditLibraryProbe.*";
        // The copy's own test report is not wanted in ours.
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        FileHandle nul(CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                   OPEN_EXISTING, 0, nullptr));
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nul.Get();
        startup.hStdOutput = nul.Get();
        startup.hStdError = nul.Get();
        PROCESS_INFORMATION process = {};
        BOOL started = CreateProcessA(program().c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr,
                                      m_folder.c_str(), &startup, &process);
        SetEnvironmentVariableA("QX_RICHED_PROBE", nullptr);
        nul.Reset();
        if (!started) return "(CreateProcessA failed: " + std::to_string(GetLastError()) + ")";
        KernelHandle child(process.hProcess);
        KernelHandle childThread(process.hThread);
        WaitForSingleObject(child.Get(), 60000);
        child.Reset();
        childThread.Reset();
        FileHandle file(CreateFileA(report().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (!file) return "(no report)";
        char buffer[MAX_PATH + 1] = {};
        DWORD read = 0;
        ReadFile(file.Get(), buffer, MAX_PATH, &read, nullptr);
        return std::string(buffer, read);
    }

    std::string m_folder;
};

TEST_F(PlantedLibrary, PlantedCopyBesideTheProgramIsNotLoaded) {
    // The plant works: a bare name finds it first.
    EXPECT_TRUE(samePath(probe("bare"), planted())) << probe("bare");
    std::string loaded = probe("library");
    EXPECT_TRUE(samePath(loaded, systemLibrary("RICHED20.DLL"))) << loaded;
    EXPECT_FALSE(samePath(loaded, planted()));
}

}  // namespace
