#include "ui/RichEditLibrary.h"

#include "mulib/DllLoader.h"

namespace {

// Freed when the process ends (static destruction), after every window is gone.
DllLoader& library() {
    static DllLoader loader;
    return loader;
}

bool g_loaded = false;

}  // namespace

HMODULE RichEditLibrary::ensureLoaded() {
    if (!g_loaded) {
        // From the system directory: an elevated installer started from a download
        // folder must not run a "RICHED20.DLL" planted next to it.
        library().Load(true, "RICHED20.DLL");
        g_loaded = true;
    }
    return library().Handle();
}

HMODULE RichEditLibrary::module() { return g_loaded ? library().Handle() : nullptr; }
