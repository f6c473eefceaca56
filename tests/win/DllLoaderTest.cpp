#include "mulib/DllLoader.h"

#include "NoCrtLib/ReportAssertion.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "platform/Handles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

namespace {

std::string SystemDirectory() {
    char folder[MAX_PATH] = {};
    GetSystemDirectoryA(folder, MAX_PATH);
    return folder;
}

std::string ModulePath(HMODULE module) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// A library no other part of the test program has loaded, so loading and freeing it is seen.
const char kUnusedLibrary[] = "msimg32.dll";

std::string ErrText(const std::string& what, DWORD code) {
    std::string reason = WinErrorMessage(code);
    return what + " failed. Windows error " + std::to_string(code) + (reason.empty() ? "" : ": " + reason);
}

std::string g_assertion;
void RecordAssertion(const char* text) { g_assertion = text; }

DWORD WINAPI LoadTwiceFromSystemDirectory(void*) {
    DllLoader loader;
    loader.Load(true, "kernel32.dll");
    loader.Load(true, "kernel32.dll");
    return 0;
}

DWORD WINAPI LoadTwiceByName(void*) {
    DllLoader loader;
    loader.Load("kernel32.dll");
    loader.Load("user32.dll", true);
    return 0;
}

// A copy of this test program under a library's name: a loadable image that exists
// only in a scratch folder, which becomes the current folder for the test.
class ScratchFolder : public testing::Test {
protected:
    void SetUp() override {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        m_folder = std::string(temp) + "qxdll" + std::to_string(GetCurrentProcessId()) + "-" +
                   std::to_string(GetTickCount());
        ASSERT_TRUE(CreateDirectoryA(m_folder.c_str(), nullptr));
        GetCurrentDirectoryA(MAX_PATH, m_previous);
        ASSERT_TRUE(SetCurrentDirectoryA(m_folder.c_str()));
        ASSERT_TRUE(CopyFileA(ModulePath(nullptr).c_str(), (m_folder + "\\" + kProbe).c_str(), FALSE));
    }
    void TearDown() override {
        SetCurrentDirectoryA(m_previous);
        DeleteFileA((m_folder + "\\" + kProbe).c_str());
        RemoveDirectoryA(m_folder.c_str());
        DeleteFileA((SystemDirectory() + "\\" + kProbe).c_str());
    }

    static constexpr const char* kProbe = "qxloadprobe.dll";
    std::string m_folder;
    char m_previous[MAX_PATH] = {};
};

}  // namespace

TEST(DllLoader, LoadsSystemLibrariesByFullPathFromTheSystemDirectory) {
    for (const char* name : {"shell32.dll", "Advapi32.dll", kUnusedLibrary}) {
        SCOPED_TRACE(name);
        DllLoader loader;
        HMODULE module = loader.Load(true, name);
        ASSERT_NE(module, nullptr);
        EXPECT_EQ(loader.Handle(), module);
        EXPECT_TRUE(SamePath(ModulePath(module), SystemDirectory() + "\\" + name)) << ModulePath(module);
    }
}

TEST_F(ScratchFolder, LibraryBesideTheCallerIsNotPickedUpFromTheSystemDirectory) {
    {
        DllLoader byName;  // the copy is there and loadable by its bare name
        ASSERT_NE(byName.Load(kProbe, true), nullptr) << GetLastError();
        EXPECT_TRUE(SamePath(ModulePath(byName.Handle()), m_folder + "\\" + kProbe));
    }
    DllLoader loader;
    try {
        loader.Load(true, kProbe);
        FAIL() << "loaded " << ModulePath(loader.Handle());
    } catch (const DllLoader::Err& e) {
        EXPECT_EQ(std::string(e.what()),
                  ErrText("LoadLibrary(" + SystemDirectory() + "\\" + kProbe + ")", ERROR_MOD_NOT_FOUND));
    }
    EXPECT_EQ(loader.Handle(), nullptr);

    // Once the system directory has its own copy, that is the one loaded.
    ASSERT_TRUE(CopyFileA(ModulePath(nullptr).c_str(), (SystemDirectory() + "\\" + kProbe).c_str(), FALSE));
    ASSERT_NE(loader.Load(true, kProbe), nullptr);
    EXPECT_TRUE(SamePath(ModulePath(loader.Handle()), SystemDirectory() + "\\" + kProbe));
}

TEST(DllLoader, FailuresThrowErrWithTheCallAndTheSystemErrorText) {
    struct Case { const char* name; void (*run)(); std::string expected; };
    const Case cases[] = {
        {"missing library in the system directory",
         [] { DllLoader l; l.Load(true, "qxnosuchlib.dll"); },
         ErrText("LoadLibrary(" + SystemDirectory() + "\\qxnosuchlib.dll)", ERROR_MOD_NOT_FOUND)},
        {"missing library by name",
         [] { DllLoader l; l.Load("qxnosuchlib.dll"); },
         ErrText("LoadLibrary(qxnosuchlib.dll)", ERROR_MOD_NOT_FOUND)},
        {"missing library, flag clear",
         [] { DllLoader l; l.Load(false, "qxnosuchlib.dll"); },
         ErrText("LoadLibrary(qxnosuchlib.dll)", ERROR_MOD_NOT_FOUND)},
        {"missing function",
         [] { DllLoader l; l.Load(true, "shell32.dll"); l.Resolve<FARPROC>("QxNoSuchFunction"); },
         ErrText("GetProcAddress(QxNoSuchFunction)", ERROR_PROC_NOT_FOUND)},
        {"missing function, module handle form",
         [] { DllLoader::Resolve(GetModuleHandleA("kernel32.dll"), "QxNoSuchFunction"); },
         ErrText("GetProcAddress(QxNoSuchFunction)", ERROR_PROC_NOT_FOUND)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.run();
            ADD_FAILURE() << "no exception";
        } catch (const DllLoader::Err& e) {
            EXPECT_EQ(std::string(e.what()), c.expected);
            const AException& base = e;  // callers may catch the family
            EXPECT_STREQ(base.what(), c.expected.c_str());
        }
    }
}

TEST(DllLoader, NoThrowModeReturnsNullForEveryFailure) {
    DllLoader loader;
    EXPECT_EQ(loader.Load(true, "qxnosuchlib.dll", true), nullptr);
    EXPECT_EQ(loader.Load("qxnosuchlib.dll", true), nullptr);
    EXPECT_EQ(loader.Handle(), nullptr);  // still empty, so a further load is allowed
    ASSERT_NE(loader.Load(true, "kernel32.dll", true), nullptr);
    EXPECT_EQ(loader.Resolve<FARPROC>("QxNoSuchFunction", true), nullptr);
    EXPECT_EQ(DllLoader::Resolve(loader.Handle(), "QxNoSuchFunction", true), nullptr);
}

TEST(DllLoader, ResolvesFunctionsByName) {
    DllLoader loader;
    loader.Load(true, "kernel32.dll");
    using GetTickCountFunction = DWORD(WINAPI*)();
    auto function = loader.Resolve<GetTickCountFunction>("GetTickCount");
    EXPECT_EQ(reinterpret_cast<FARPROC>(function),
              GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount"));
    EXPECT_NE(function(), 0u);
}

TEST(DllLoader, FreeAndDestructionReleaseTheLibrary) {
    ASSERT_EQ(GetModuleHandleA(kUnusedLibrary), nullptr) << "the test needs a library nobody else loaded";
    {
        DllLoader loader;
        loader.Load(true, kUnusedLibrary);
        EXPECT_NE(GetModuleHandleA(kUnusedLibrary), nullptr);
        loader.Free();
        EXPECT_EQ(GetModuleHandleA(kUnusedLibrary), nullptr);
        EXPECT_EQ(loader.Handle(), nullptr);
        loader.Free();  // a second Free does nothing
        // Free empties the loader, so it may load again.
        loader.Load(true, kUnusedLibrary);
        EXPECT_NE(GetModuleHandleA(kUnusedLibrary), nullptr);
    }
    EXPECT_EQ(GetModuleHandleA(kUnusedLibrary), nullptr);

    // An empty loader's destruction touches nothing, not even the last error.
    SetLastError(1234);
    { DllLoader empty; }
    EXPECT_EQ(GetLastError(), 1234u);
    DllLoader* owned = new DllLoader;  // through the virtual destructor as well
    owned->Load(true, kUnusedLibrary);
    delete owned;
    EXPECT_EQ(GetModuleHandleA(kUnusedLibrary), nullptr);
}

TEST(DllLoader, SecondLoadWithoutFreeReportsTheAssertionAndEndsTheThread) {
    for (LPTHREAD_START_ROUTINE body : {LoadTwiceFromSystemDirectory, LoadTwiceByName}) {
        g_assertion.clear();
        AssertionDisplay previous = SetAssertionDisplay(RecordAssertion);
        KernelHandle thread(CreateThread(nullptr, 0, body, nullptr, 0, nullptr));
        ASSERT_NE(thread.Get(), nullptr);
        ASSERT_EQ(WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);
        DWORD exitCode = 0;
        GetExitCodeThread(thread.Get(), &exitCode);
        thread.Reset();
        SetAssertionDisplay(previous);
        EXPECT_EQ(exitCode, 0x8805u);
        EXPECT_NE(g_assertion.find("\r\n!m_hDll\r\n"), std::string::npos) << g_assertion;
        EXPECT_NE(g_assertion.find("DllLoader.cpp"), std::string::npos) << g_assertion;
    }
}
