#pragma once
// Writes one file from a zlib resource of this executable (the uninstaller) and deletes
// it again on rollback. A file that was already there makes the action commit itself at
// once, so rollback never deletes what the installer did not create.
#include "installer/actions/InstallAction.h"

#include <string>

class TargetFileAction : public InstallAction {
public:
    // An empty path means Options().uninstallerPath. Appends the file's uninstall item,
    // asks before overwriting (SilentExit 104 when refused), prints "Installing <path>"
    // and inflates the "BINARY" resource <resourceId> into the file.
    TargetFileAction(unsigned resourceId, const std::string& path);
    ~TargetFileAction() override;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};
