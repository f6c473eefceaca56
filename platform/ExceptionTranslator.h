#pragma once
// How processor faults reach TranslateStructuredException on Windows (MinGW has no
// _set_se_translator): a handler redirects the faulting thread to a function that
// throws, as if the faulting instruction had called it, so the frames in between
// unwind normally (our code is built with -fnon-call-exceptions).
// InstallExceptionTranslators() picks the hook; tests choose one explicitly.

enum class FaultHook {
    Vectored,        // AddVectoredExceptionHandler (XP and later)
    TopLevelFilter,  // SetUnhandledExceptionFilter (every system)
};

// False when the system lacks the hook.
bool InstallFaultTranslator(FaultHook hook);
void RemoveFaultTranslator();
