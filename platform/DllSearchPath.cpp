#include "platform/DllSearchPath.h"

#include <windows.h>

int RestrictDllSearchPath() {
    // Both functions are newer than the oldest systems we run on: resolve them by name.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return 0;
    using SetDefaultDirs = BOOL(WINAPI*)(DWORD);
    auto setDefault = reinterpret_cast<SetDefaultDirs>(GetProcAddress(kernel, "SetDefaultDllDirectories"));
    const DWORD searchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (setDefault && setDefault(searchSystem32)) return 2;
    using SetDirectory = BOOL(WINAPI*)(LPCSTR);
    auto setDirectory = reinterpret_cast<SetDirectory>(GetProcAddress(kernel, "SetDllDirectoryA"));
    if (setDirectory && setDirectory("")) return 1;
    return 0;
}
