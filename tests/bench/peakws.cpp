// peakws <program> [arguments...]: runs the program with this process's standard handles,
// waits for it, and prints one line: its exit code, its run time and its peak working set.
// Wine forgets a process's counters once it has gone, so they are read while it runs.
#include "platform/Handles.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>

namespace {

// The command line after our own program name, quoted or not.
char* ChildCommandLine() {
    char* p = GetCommandLineA();
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p) ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t') ++p;
    }
    while (*p == ' ' || *p == '\t') ++p;
    return p;
}

}  // namespace

int main() {
    char* command = ChildCommandLine();
    if (!*command) {
        std::fprintf(stderr, "usage: peakws <program> [arguments...]\n");
        return 2;
    }
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        std::fprintf(stderr, "peakws: CreateProcess failed: %lu\n", GetLastError());
        return 3;
    }
    KernelHandle process(pi.hProcess);
    KernelHandle(pi.hThread).Reset();
    SIZE_T peak = 0;
    for (;;) {
        DWORD wait = WaitForSingleObject(pi.hProcess, 5);
        PROCESS_MEMORY_COUNTERS counters = {};
        counters.cb = sizeof counters;
        if (GetProcessMemoryInfo(pi.hProcess, &counters, sizeof counters) && counters.PeakWorkingSetSize > peak)
            peak = counters.PeakWorkingSetSize;
        if (wait != WAIT_TIMEOUT) break;
    }
    QueryPerformanceCounter(&end);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    process.Reset();
    std::printf("peakws: exit %lu, %.6f s, peak working set %lu bytes\n", code,
                double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart), static_cast<unsigned long>(peak));
    std::fflush(stdout);
    return 0;
}
