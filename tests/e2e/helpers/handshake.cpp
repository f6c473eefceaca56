// Plays the installer's side of the uninstaller handshake: an inheritable 4-byte mapping
// and an inheritable manual-reset event, the uninstaller started as
//   "<uninstaller>" <key> -unat -result=<hex> -done=<hex>
// with handle inheritance, waited for; on exit code 1 the event is waited for too and
// the shared value read. Prints "exit=<code>" and then "result=<value>" (or
// "result=timeout"). The block starts out as 0xFEEDFACE, so a value that nobody wrote
// shows. With --offer the block is this version's installer's (platform/HandshakeBlock.h),
// and "helper=given" follows "exit=1" when the uninstaller made its helper known.
// Usage: handshake.exe <uninstaller path> <key name> [event wait in seconds | --offer]
#include "platform/HandshakeBlock.h"
#include "platform/Handles.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) return 250;
    const bool offer = argc > 3 && std::strcmp(argv[3], "--offer") == 0;
    const DWORD waitMs = argc > 3 && !offer ? static_cast<DWORD>(std::atoi(argv[3])) * 1000 : 120000;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    const DWORD size = offer ? sizeof(HandshakeBlock) : 4;
    KernelHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, &inherit, PAGE_READWRITE, 0, size, nullptr));
    if (!mapping) return 251;
    MappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, size));
    if (!view) return 252;
    const DWORD sentinel = 0xFEEDFACE;
    std::memcpy(view.Get(), &sentinel, 4);
    auto* block = static_cast<HandshakeBlock*>(view.Get());
    HANDLE self = nullptr;
    if (offer && DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                                 PROCESS_DUP_HANDLE, TRUE, 0))
        *block = {sentinel, static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(self)), 0, HandshakeWatchOffered};
    const KernelHandle installer(self);
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
    if (offer && block->state == HandshakeHelperGiven) {
        const KernelHandle helper(reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(block->helperProcess)));
        std::printf("helper=given\n");
    }
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
