#pragma once
// A running program cannot delete its own file, so an uninstaller started from the
// installation folder hands its work to a copy of itself in the temporary folder. The
// copy is scheduled for removal at the next restart and started with the same arguments,
// the inherited handles and the "-tempCopy=" marker.
#include "platform/Handles.h"
#include "uninstaller/UninstallerCommand.h"

#include <string>

class TempCopy {
public:
    // originalExitsAtOnce: this process exits right after the start, and the copy waits
    // for that before it removes anything (it gets an inheritable handle to this
    // process); otherwise this process waits for the copy. On failure returns false with
    // the reason ("CopyFileA() failed: ...") and leaves nothing running.
    static bool Start(const UninstallerCommand& command, bool originalExitsAtOnce, KernelHandle& process,
                      std::string& failure);
};
