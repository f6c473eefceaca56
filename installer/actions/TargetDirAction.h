#pragma once
// Makes sure a folder exists, creating it and every missing parent folder, and removes
// what it created when the installation is rolled back (child first, then parents).
// A folder that already existed is never removed. A deletion at restart of the folder
// that an earlier run left pending is cancelled, and scheduled again by rollback.
#include "installer/actions/InstallAction.h"

#include <string>

// The folder step's reports, shared with the checks before any change: they tell the
// user and end the run. A path that exists and is no folder: "Invalid Target Directory"
// and SilentExit 103 (interactive), or the line ending ", aborting" and 101. A folder
// that cannot be made: "Directory Creation Failed" and 101, or the line and 102.
[[noreturn]] void FailNotAFolder(const std::string& path);
[[noreturn]] void FailFolderCreation(const std::string& path, const std::string& reason);
// Their texts: "Unable to create target directory '<path>': " and the reason.
std::string NotAFolderText(const std::string& path);
std::string FolderCreationText(const std::string& path, const std::string& reason);

class TargetDirAction : public InstallAction {
public:
    // Appends "-delDir=<path>" and one item for each missing parent, creates them (the
    // outermost first) or ends the run with SilentExit (101 to 103) after telling the
    // user; the parents made by then are removed again.
    explicit TargetDirAction(const std::string& path);
    ~TargetDirAction() override;

    const std::string& Path() const { return m_path; }

private:
    void Make(const std::string& folder);

    std::string m_path;
};
