#include "mulib/DllLoader.h"

#include "NoCrtLib/JoinPath.h"
#include "NoCrtLib/ReportAssertion.h"

namespace {

// GetSystemDirectoryA into 261 characters; 0 on success, else the error code. A folder
// longer than the buffer is only reported by its size, so it counts as a failure
// rather than loading from a truncated path.
DWORD SystemFolder(std::string& folder) {
    char buffer[261];
    UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
    if (length == 0) return GetLastError();
    if (length >= sizeof buffer) return ERROR_INSUFFICIENT_BUFFER;
    folder.assign(buffer, length);
    return 0;
}

}  // namespace

DllLoader::Err::Err(const std::string& what, const SystemError& error)
    : AException(what + " failed. " + error.what()) {}

DllLoader::~DllLoader() = default;

HMODULE DllLoader::Load(const char* name, bool noThrow) {
    QX_ASSERT(!m_hDll);
    m_hDll.Reset(LoadLibraryA(name));
    if (!m_hDll && !noThrow) {
        DWORD code = GetLastError();
        throw Err(std::string("LoadLibrary(") + name + ")", SystemError(code));
    }
    return m_hDll.Get();
}

HMODULE DllLoader::Load(bool fromSystemDirectory, const char* name, bool noThrow) {
    QX_ASSERT(!m_hDll);
    if (!fromSystemDirectory) return Load(name, noThrow);
    std::string folder;
    if (DWORD code = SystemFolder(folder)) {
        if (noThrow) return nullptr;
        throw Err("GetSystemDirectory()", SystemError(code));
    }
    return Load(JoinPath(folder, name).c_str(), noThrow);
}

FARPROC DllLoader::Resolve(HMODULE module, const char* name, bool noThrow) {
    FARPROC function = GetProcAddress(module, name);
    if (!function && !noThrow) {
        DWORD code = GetLastError();
        throw Err(std::string("GetProcAddress(") + name + ")", SystemError(code));
    }
    return function;
}

void DllLoader::Free() { m_hDll.Reset(); }
