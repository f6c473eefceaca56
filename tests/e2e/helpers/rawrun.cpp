// Starts a program with an exact command line (taken from QX_RAW_CMDLINE), sharing
// this console, and exits with its exit code. Wine's own launcher re-quotes
// arguments, which would hide how the installer parses quotes and backslashes.
#include "platform/Handles.h"

#include <windows.h>

#include <vector>

int main() {
    DWORD n = GetEnvironmentVariableW(L"QX_RAW_CMDLINE", nullptr, 0);
    if (n == 0) return 254;
    std::vector<wchar_t> cmd(n + 1);
    GetEnvironmentVariableW(L"QX_RAW_CMDLINE", cmd.data(), n);
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return 253;
    KernelHandle process(pi.hProcess);
    KernelHandle thread(pi.hThread);
    WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 252;
    GetExitCodeProcess(process.Get(), &code);
    return static_cast<int>(code);
}
