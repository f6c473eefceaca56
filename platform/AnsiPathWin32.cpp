#include "platform/AnsiPath.h"

#include "NoCrtLib/WinErrorMessage.h"
#include "platform/WindowsVersionInfo.h"

#include <windows.h>

namespace {

[[noreturn]] void Fail(const char* call, DWORD code) {
    throw AnsiPath::Err(std::string(call) + " failed: " + WinErrorText(code), code);
}

// n as these calls return it: 0 on failure, at least size when the path did not fit.
void CheckLength(const char* call, DWORD n, DWORD size) {
    if (n == 0) Fail(call, GetLastError());
    if (n >= size) Fail(call, ERROR_FILENAME_EXCED_RANGE);
}

// 9x has only stubs for the wide calls.
bool WideCallsWork() { return IsNtFamily(ProcessVersionInfo().WindowsVersion()); }

std::u16string ShortPathOf(const std::u16string& path) {
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetShortPathNameW(reinterpret_cast<const wchar_t*>(path.c_str()), buffer, MAX_PATH + 1);
    if (n == 0 || n >= MAX_PATH + 1) return {};
    return std::u16string(reinterpret_cast<const char16_t*>(buffer), n);
}

std::string AnsiForm(const char* call, const wchar_t* path, DWORD length, const char* what) {
    const std::string ansi = AnsiPath::Choose(std::u16string(reinterpret_cast<const char16_t*>(path), length),
                                              ShortPathOf, what);
    // A double-byte code page can make the ANSI form the longer one.
    if (ansi.size() > MAX_PATH) Fail(call, ERROR_FILENAME_EXCED_RANGE);
    return ansi;
}

}  // namespace

std::string AnsiPath::TempFolder() {
    if (!WideCallsWork()) {
        char buffer[MAX_PATH + 1];
        const DWORD n = GetTempPathA(sizeof buffer, buffer);
        CheckLength("GetTempPathA()", n, sizeof buffer);
        return std::string(buffer, n);
    }
    wchar_t buffer[MAX_PATH + 2];
    const DWORD n = GetTempPathW(MAX_PATH + 2, buffer);
    CheckLength("GetTempPathW()", n, MAX_PATH + 2);
    return AnsiForm("GetTempPathW()", buffer, n, "temporary folder");
}

std::string AnsiPath::OwnModule() {
    if (!WideCallsWork()) {
        char buffer[MAX_PATH + 1];
        const DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
        CheckLength("GetModuleFileNameA()", n, sizeof buffer);
        return std::string(buffer, n);
    }
    wchar_t buffer[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH + 1);
    CheckLength("GetModuleFileNameW()", n, MAX_PATH + 1);
    return AnsiForm("GetModuleFileNameW()", buffer, n, "program file");
}
