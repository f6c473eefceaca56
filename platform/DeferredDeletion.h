#pragma once
// Removal of files and (empty) folders at the next restart, for what cannot be removed
// now. NT keeps the list in the registry ("PendingFileRenameOperations"), 9x in the
// "Rename" section of WININIT.INI; the family is asked of the system at each call.
// Both operations are silent: they report success as a flag and never throw; on
// failure the last error tells why.
#include "platform/PendingRenameList.h"

#include <string>

// True when the deletion of path is now scheduled (also when it already was, on 9x).
bool DeleteAtRestart(const std::string& path);

// True when at least one scheduled deletion of path was found, removed, and the list
// written back; false otherwise. A deletion matches when it names path in full or when
// its short form is the path's (any letter case either way), so a deletion scheduled
// for a path that did not exist then is found too.
bool CancelDeleteAtRestart(const std::string& path);

// The deletions pending when it is made, read once: cancels those of many paths (the
// package's files) at the cost of a lookup each. Nothing pending, the usual case, costs
// nothing per path; otherwise a path that no pending deletion names by its full or
// short form costs one short-path lookup. A hit goes through CancelDeleteAtRestart,
// which reads and writes the list as it is then.
class PendingDeletions {
public:
    PendingDeletions();
    // As CancelDeleteAtRestart, for a path that exists now.
    bool Cancel(const std::string& path);

private:
    PathNameSet m_names;  // as recorded, and their short forms
};
