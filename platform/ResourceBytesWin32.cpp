#include "platform/ResourceBytes.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WinErrorMessage.h"

#include <windows.h>

namespace {

[[noreturn]] void ThrowResourceError(const char* call) {
    throw InstallError(std::string(call) + " failed: " + WinErrorText(GetLastError()));
}

}  // namespace

ResourceBytes LoadBinaryResource(unsigned id, const char* type) {
    // A null module is this executable.
    HRSRC info = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (!info) ThrowResourceError("FindResourceA()");
    HGLOBAL loaded = LoadResource(nullptr, info);
    if (!loaded) ThrowResourceError("LoadResource()");
    const void* bytes = LockResource(loaded);
    if (!bytes) ThrowResourceError("LockResource()");
    DWORD size = SizeofResource(nullptr, info);
    if (size == 0) ThrowResourceError("SizeofResource()");
    ResourceBytes result;
    result.data = static_cast<const unsigned char*>(bytes);
    result.size = size;
    return result;
}

std::string LoadRtfResource(unsigned id) {
    ResourceBytes bytes = LoadBinaryResource(id, "RTF");
    return std::string(reinterpret_cast<const char*>(bytes.data), bytes.size);
}
