#pragma once
// The rich edit library ("RICHED20.DLL", class "RichEdit20A"), loaded once per process
// from the system directory and kept until the process ends. A library of the same name
// next to the installer (a download folder) is never loaded.
#include <windows.h>

class RichEditLibrary {
public:
    // Loads the library on the first call; later calls do nothing. Throws DllLoader::Err.
    static HMODULE ensureLoaded();
    // The loaded module, null before the first successful ensureLoaded.
    static HMODULE module();
};
