#include "NoCrtLib/ReportAssertion.h"

#include "platform/Handles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

std::string g_shown;
int g_shownCount = 0;

void CaptureDisplay(const char* text) {
    g_shown = text;
    ++g_shownCount;
}

DWORD WINAPI FailingThread(void*) {
    ReportAssertion("!m_hDll", "mulib/DllLoader.cpp", 57);
}

}  // namespace

TEST(ReportAssertionWin, TextAsWsprintfFormatsIt) {
    EXPECT_EQ(AssertionText("C:\\Q\\QuarnelixInstaller.exe", 4242, "NoCrtLib/datavect.h", 31, "!af_"),
              "Assertion failed in module 'C:\\Q\\QuarnelixInstaller.exe', PID 4242, source file "
              "'NoCrtLib/datavect.h', line 31:\r\n!af_\r\nThe asserting thread will be terminated.");
    std::string condition(3000, 'c');
    EXPECT_EQ(AssertionText("m", 1, "f", 2, condition.c_str()).size(), 1023u);
}

TEST(ReportAssertionWin, ShowsTheReportAndEndsOnlyTheCallingThread) {
    g_shown.clear();
    g_shownCount = 0;
    AssertionDisplay previous = SetAssertionDisplay(CaptureDisplay);
    KernelHandle thread(CreateThread(nullptr, 0, FailingThread, nullptr, 0, nullptr));
    ASSERT_NE(thread.Get(), nullptr);
    ASSERT_EQ(WaitForSingleObject(thread.Get(), 10000), WAIT_OBJECT_0);
    DWORD exitCode = 0;
    GetExitCodeThread(thread.Get(), &exitCode);
    thread.Reset();
    SetAssertionDisplay(previous);

    EXPECT_EQ(exitCode, 0x8805u);
    EXPECT_EQ(g_shownCount, 1);
    char module[101] = {};
    GetModuleFileNameA(nullptr, module, 100);
    EXPECT_EQ(g_shown, "Assertion failed in module '" + std::string(module) + "', PID " +
                           std::to_string(GetCurrentProcessId()) +
                           ", source file 'mulib/DllLoader.cpp', line 57:\r\n!m_hDll\r\n"
                           "The asserting thread will be terminated.");
}
