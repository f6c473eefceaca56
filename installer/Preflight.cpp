#include "installer/Preflight.h"

#include "NoCrtLib/InstallError.h"
#include "installer/actions/PackageStreamParser.h"

namespace {
// The folders, the few small registry and shortcut files, and whatever else grows while
// the run goes on.
const std::uint64_t SpaceMargin = 1024 * 1024;

// a + b, or false when the sum does not fit.
bool AddTo(std::uint64_t& a, std::uint64_t b) {
    if (b > UINT64_MAX - a) return false;
    a += b;
    return true;
}

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

namespace {

// One field of each file the package writes on this platform, in stream order.
template <class Field>
auto SelectedFiles(const StreamFacts& facts, unsigned platformId, Field field) {
    std::vector<decltype(field(facts.files.front()))> selected;
    for (const PackagedFile& file : facts.files)
        if (PackageStreamParser::IsSelected(static_cast<std::uint8_t>(file.platformMask), platformId))
            selected.push_back(field(file));
    return selected;
}

}  // namespace

std::vector<std::uint64_t> PackageFileSizes(const StreamFacts& facts, unsigned platformId) {
    return SelectedFiles(facts, platformId, [](const PackagedFile& file) -> std::uint64_t { return file.size; });
}

std::vector<std::string> PackageFileNames(const StreamFacts& facts, unsigned platformId) {
    return SelectedFiles(facts, platformId, [](const PackagedFile& file) { return file.name; });
}

std::uint64_t SpaceNeeded(const std::vector<std::uint64_t>& fileSizes, std::uint64_t clusterSize) {
    const std::uint64_t cluster = clusterSize ? clusterSize : 1;
    std::uint64_t total = SpaceMargin;
    for (std::uint64_t size : fileSizes) {
        // Every file takes whole clusters; an empty one takes none.
        const std::uint64_t clusters = size / cluster + (size % cluster ? 1 : 0);
        if (clusters > UINT64_MAX / cluster || !AddTo(total, clusters * cluster))
            throw InstallError("The disk space the package needs is too large to be represented");
    }
    return total;
}

std::string UnknownSpaceWarning(const std::string& folder) {
    return "Warning: The free disk space for '" + folder + "' cannot be determined; the installation goes on";
}

std::string SpaceShortfall(const std::string& folder, std::uint64_t needed, std::uint64_t available) {
    if (available >= needed) return {};
    return "Not enough free disk space for '" + folder + "': " + Kilobytes(needed, true) + " needed, " +
           Kilobytes(available, false) + " available";
}
