#pragma once
// The uninstaller's whole run, from its command line to its exit code:
//   0   removed (what goes at the next restart included)
//   1   handed on to a temporary copy, which answers through the "-result=" block (only
//       with the installer's handshake; without it, an uninstaller started from the
//       installation folder exits with its copy's answer, given once everything is gone)
//   12  the uninstallation information could not be loaded (also: a bad command line)
//   13  something could not be removed or scheduled (also: the user said No, or the
//       temporary copy ended without answering and with a code not listed here)
#include "uninstaller/PlanExecutor.h"
#include "uninstaller/UninstallRegistration.h"

#include <string>

enum UninstallResult : int {
    UninstallRemoved = 0,
    UninstallHandedOn = 1,
    UninstallLoadFailed = 12,
    UninstallFailed = 13,
};

struct UninstallerSettings {
    std::string uninstallParent = UninstallRegistration::DefaultParent;
    PlanExecutor::Places places;
};

int RunUninstaller(const std::u16string& commandLine, const UninstallerSettings& settings);

// The process's run: its own command line, the system's places and Windows family.
int RunUninstallerProcess();
