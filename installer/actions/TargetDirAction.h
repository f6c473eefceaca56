#pragma once
// Makes sure a folder exists, creating it and every missing parent folder, and removes
// what it created when the installation is rolled back (child first, then parents).
// A folder that already existed is never removed. A deletion at restart of the folder
// that an earlier run left pending is cancelled, and scheduled again by rollback.
#include "installer/actions/InstallAction.h"

#include <memory>
#include <string>

class TargetDirAction : public InstallAction {
public:
    // Appends "-delDir=<path>", creates the folder or ends the run with SilentExit
    // (101 to 103) after telling the user.
    explicit TargetDirAction(const std::string& path);
    ~TargetDirAction() override;

    // Also commits the chain of parent folders this action created.
    void Commit() override;

    const std::string& Path() const { return m_path; }

private:
    void Rollback() noexcept;

    std::string m_path;
    bool m_created = false;
    bool m_cancelledDeletion = false;
    std::unique_ptr<TargetDirAction> m_parent;  // present only when this action made the parent
};
