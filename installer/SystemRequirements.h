#pragma once
// The minimum system: Windows 98, or Windows NT 4.0 with Service Pack 3, and
// Internet Explorer 4.0 (shell version 4.71.1712). Checked before anything changes.
#include "platform/VersionTriple.h"

#include <string>

// The three facts the check needs; undetermined facts keep these initial values.
struct SystemFacts {
    VersionTriple windows;  // (platform, major, minor)
    int servicePack = -1;
    VersionTriple browser;  // Internet Explorer (major, minor, build)
};

bool MeetsSystemRequirements(const SystemFacts& facts);

// Returns when the run may go on (the system qualifies, the user accepted the warning,
// or -force); otherwise throws SilentExit(130). Reads Options().interactive and .force.
void CheckSystemRequirements(const SystemFacts& facts);

// The same for this machine, with the facts of a fresh WindowsVersionInfo (Windows build).
void CheckSystemRequirements();

// The texts of the check, shared by the console lines and the box.
std::string RequirementsProblemText();
extern const char* const RequirementsBoxCaption;
std::string RequirementsBoxText();
