#pragma once
// Keeps what the earlier installation's uninstaller is about to remove, so that a run that
// fails or is cut short before it commits puts the earlier installation back as it was and
// its uninstaller works again. Its files are kept as hard links (copies where the volume
// has none) in a folder of the temporary folder; its folders, registry keys (with
// their subkeys) and the search path values are entered in the run record. The commit
// deletes the kept files.
#include "installer/actions/InstallAction.h"

#include <memory>
#include <string>

class EarlierInstallationKept : public InstallAction {
public:
    // params: the earlier registration's "UninstallParam". Throws InstallError when a file
    // cannot be kept: nothing is removed then.
    explicit EarlierInstallationKept(const std::string& params);
    ~EarlierInstallationKept() override;
    void Commit() override;

private:
    void KeepFile(const std::string& path, const std::string& kept);
    void KeepKeyTree(const std::string& keyName);
};

// The earlier installation's keeper, or null when there is none to remove (no registered
// version or uninstaller) or its parameter string cannot be read (its uninstaller then
// fails on it too, and that is reported as ever).
std::unique_ptr<EarlierInstallationKept> KeepEarlierInstallation();
