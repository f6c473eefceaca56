#pragma once
// The process-wide record of the run, filled by the driver from the command line
// (or the dialog) and read by the requirement check, the removal of an earlier
// installation and every action.
#include "platform/UninstallRecord.h"

#include <string>

namespace Prompt {
struct Mode;
}

struct InstallOptions {
    bool interactive = true;
    bool force = false;
    bool noRollback = false;
    bool acceptEULA = false;
    std::string installDir;
    // The folder as typed on the command line when the ANSI code page lacks some of its
    // characters (those written as <U+XXXX>); empty otherwise.
    std::string unrepresentableInstallDir;
    std::string mainProgramPath;
    std::string UninstallParams;
    std::string uninstallerPath;
    // The extensions the associations took from another program, for the registration.
    FileTypeOwners previousFileTypes;
};

InstallOptions& Options();

// The prompts' mode of this run: interactive, force.
Prompt::Mode PromptMode();

// Restores the initial state (tests run many installations in one process).
void ResetOptions();
