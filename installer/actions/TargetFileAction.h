#pragma once
// Writes one file from a zlib resource of this executable (the uninstaller). Rollback
// deletes it again, or, when a file was already there, puts that file back as it was.
#include "installer/actions/InstallAction.h"

#include <string>

class TargetFileAction : public InstallAction {
public:
    // An empty path means Options().uninstallerPath. Appends the file's uninstall item,
    // asks before overwriting (SilentExit 104 when refused), prints "Installing <path>"
    // and inflates the "BINARY" resource <resourceId> into the file.
    TargetFileAction(unsigned resourceId, const std::string& path);
    ~TargetFileAction() override;

    // Also deletes the file kept aside.
    void Commit() override;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
