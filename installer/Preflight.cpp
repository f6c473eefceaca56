#include "installer/Preflight.h"

namespace {
// Allocation slack of the files and the few small registry and shortcut files.
const std::uint64_t SpaceMargin = 1024 * 1024;

std::string Kilobytes(std::uint64_t bytes, bool roundUp) {
    return std::to_string((bytes + (roundUp ? 1023 : 0)) / 1024) + " KB";
}
}  // namespace

const char* const InstallerRunningText = "Another Quarnelix installer is running on this machine";
const char* const InstallerRunningCancelLine = "Installation canceled by user (another installer is running)";

std::string InstallerMutexName(const VersionTriple& windows) {
    const char* name = "ArvendoQuarnelixInstallerRun";
    const bool sessions = IsNtFamily(windows) && windows.b >= 5;
    return sessions ? std::string("Global\\") + name : std::string(name);
}

std::uint64_t SpaceNeeded(std::uint64_t packageUnpacked, std::uint64_t uninstallerUnpacked) {
    return packageUnpacked + uninstallerUnpacked + SpaceMargin;
}

std::string SpaceShortfall(const std::string& folder, std::uint64_t needed, std::uint64_t available) {
    if (available >= needed) return {};
    return "Not enough free disk space for '" + folder + "': " + Kilobytes(needed, true) + " needed, " +
           Kilobytes(available, false) + " available";
}
