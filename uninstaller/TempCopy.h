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
    // The copy gets an inheritable handle to this process. Without answer this process
    // exits right after the start, and the copy waits for that before it removes
    // anything; with answer this process waits for the copy's answer, and the copy waits
    // for this process to end only to delete the file it moved out of the way. On
    // failure returns false with the reason ("CopyFileA() failed: ...") and leaves
    // nothing running.
    static bool Start(const UninstallerCommand& command, const UninstallerCommand::Answer* answer,
                      KernelHandle& process, std::string& failure);
};
