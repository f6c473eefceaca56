#pragma once
// Removal of files and (empty) folders at the next restart, for what cannot be removed
// now. NT keeps the list in the registry ("PendingFileRenameOperations"), 9x in the
// "Rename" section of WININIT.INI; the family is asked of the system at each call.
// Both operations are silent: they report success as a flag and never throw; on
// failure the last error tells why.
#include <string>

// True when the deletion of path is now scheduled (also when it already was, on 9x).
bool DeleteAtRestart(const std::string& path);

// True when at least one scheduled deletion of path (given in long or short form, any
// case) was found, removed, and the list written back; false otherwise.
bool CancelDeleteAtRestart(const std::string& path);
