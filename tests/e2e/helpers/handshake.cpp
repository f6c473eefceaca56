// Plays the installer's side of the uninstaller handshake: an inheritable 4-byte mapping
// and an inheritable manual-reset event, the uninstaller started as
//   "<uninstaller>" <key> -unat -result=<hex> -done=<hex>
// with handle inheritance, waited for; on exit code 1 the event is waited for too and
// the shared value read. Prints "exit=<code>" and then "result=<value>" (or
// "result=timeout"). The block starts out as 0xFEEDFACE, so a value that nobody wrote
// shows. Usage: handshake.exe <uninstaller path> <key name> [event wait in seconds]
#include "platform/Handles.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) return 250;
    const DWORD waitMs = argc > 3 ? static_cast<DWORD>(std::atoi(argv[3])) * 1000 : 120000;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    KernelHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, &inherit, PAGE_READWRITE, 0, 4, nullptr));
    if (!mapping) return 251;
    MappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 4));
    if (!view) return 252;
    const DWORD sentinel = 0xFEEDFACE;
    std::memcpy(view.Get(), &sentinel, 4);
    KernelHandle done(CreateEventA(&inherit, TRUE, FALSE, nullptr));
    if (!done) return 253;

    char tail[64];
    std::snprintf(tail, sizeof tail, " -unat -result=%lx -done=%lx",
                  static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(mapping.Get())),
                  static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(done.Get())));
    std::string command = std::string("\"") + argv[1] + "\" " + argv[2] + tail;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info))
        return 254;
    DWORD code = 259;
    {
        KernelHandle process(info.hProcess);
        KernelHandle thread(info.hThread);
        WaitForSingleObject(process.Get(), INFINITE);
        GetExitCodeProcess(process.Get(), &code);
    }
    std::printf("exit=%lu\n", static_cast<unsigned long>(code));
    std::fflush(stdout);
    if (code == 1) {
        if (WaitForSingleObject(done.Get(), waitMs) == WAIT_OBJECT_0) {
            DWORD value = 0;
            std::memcpy(&value, view.Get(), 4);
            std::printf("result=%lu\n", static_cast<unsigned long>(value));
        } else {
            std::printf("result=timeout\n");
        }
        std::fflush(stdout);
    }
    return 0;
}
