#pragma once
// Whether the user running the installer belongs to the local Administrators group.
#include <windows.h>

// True when the process token lists the Administrators group (always true on Windows
// 9x); throws InstallError (or std::bad_alloc) when the question cannot be answered.
bool IsAdministrator();
// IsAdministrator, with defaultAnswer when it throws.
bool IsAdministratorOr(bool defaultAnswer);

// The group test on a list as GetTokenInformation(TokenGroups) returns it: true when
// an entry's SID is valid and equal to sid. Null and invalid SIDs are skipped; the
// attributes are not looked at, so a deny-only entry counts too.
using IsValidSidFunction = BOOL(WINAPI*)(PSID);
using EqualSidFunction = BOOL(WINAPI*)(PSID, PSID);
bool GroupsContain(const TOKEN_GROUPS& groups, PSID sid, IsValidSidFunction isValidSid,
                   EqualSidFunction equalSid);
