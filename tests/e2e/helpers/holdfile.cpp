// Keeps files busy for the uninstaller tests: runs as the installed main program (so its
// own file is in use), writes the marker file named by argv[1] once it runs, and sleeps
// for argv[2] seconds. Usage: holdfile.exe <marker path> <seconds>
#include "platform/Handles.h"

#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) return 250;
    if (!FileHandle(CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr))) return 251;
    Sleep(static_cast<DWORD>(std::atoi(argv[2])) * 1000);
    return 0;
}
