#pragma once
// Loads one library and resolves functions from it by name at run time. Libraries are
// asked for from the system directory by full path, so a file of the same name next
// to the installer or in the current folder is never picked up.
#include "NoCrtLib/Owned.h"
#include "NoCrtLib/SystemError.h"
#include "NoCrtLib/TException.h"

#include <string>

#include <windows.h>

class DllLoader {
public:
    // "<what> failed. <SystemError text>", e.g.
    // "LoadLibrary(C:\WINDOWS\system32\shell32.dll) failed. Windows error 126: ...".
    class Err : public AException {
    public:
        Err(const std::string& what, const SystemError& error);
    };

    DllLoader() = default;
    DllLoader(const DllLoader&) = delete;
    DllLoader& operator=(const DllLoader&) = delete;
    virtual ~DllLoader();

    // LoadLibraryA with the name unchanged. Nothing may be loaded yet (asserted).
    // With noThrow a failure returns null instead of throwing Err.
    HMODULE Load(const char* name, bool noThrow = false);
    // With fromSystemDirectory the name is joined to GetSystemDirectoryA's folder.
    HMODULE Load(bool fromSystemDirectory, const char* name, bool noThrow = false);

    // GetProcAddress; null (noThrow) or Err when the function is missing.
    static FARPROC Resolve(HMODULE module, const char* name, bool noThrow = false);
    // The function from this loader's module, as the caller's pointer type.
    template <class Function>
    Function Resolve(const char* name, bool noThrow = false) const {
        return reinterpret_cast<Function>(Resolve(m_hDll.Get(), name, noThrow));
    }

    // Releases the module if one is loaded; the loader is empty afterwards.
    void Free();
    HMODULE Handle() const { return m_hDll.Get(); }

private:
    ModuleHandle m_hDll;
};
