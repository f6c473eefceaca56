// Keeps a file open without any sharing, so nobody else can open or replace it: creates
// (or opens) <path>, then writes the marker file and sleeps for <seconds>.
// Usage: lockfile.exe <path> <marker path> <seconds>
#include "platform/Handles.h"

#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 4) return 250;
    FileHandle held(CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr));
    if (!held) return 251;
    if (!FileHandle(CreateFileA(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr))) return 252;
    Sleep(static_cast<DWORD>(std::atoi(argv[3])) * 1000);
    return 0;
}
