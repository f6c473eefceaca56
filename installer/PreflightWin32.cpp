#include "installer/Preflight.h"

#include "NoCrtLib/AnsiText.h"
#include "NoCrtLib/Console.h"
#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/SilentExit.h"
#include "NoCrtLib/SystemError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/InstallFolder.h"
#include "installer/InstallOptions.h"
#include "installer/Product.h"
#include "installer/StreamCheckThread.h"
#include "installer/actions/PackageStream.h"
#include "installer/actions/ResourceLoader.h"
#include "installer/actions/RunRecord.h"
#include "installer/actions/TargetDirAction.h"
#include "platform/CryptoSha256.h"
#include "platform/Handles.h"
#include "platform/ShellFolders.h"
#include "platform/WindowsVersionInfo.h"
#include "resources/resource.h"
#include "ui/Prompt.h"

#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

HeldMutex& RunMutex() {
    static HeldMutex mutex;
    return mutex;
}

bool TryHoldRunMutex(const std::string& name) {
    // No security attributes, so the handle is not inherited: the earlier installation's
    // uninstaller, which this run starts and waits for, must not keep it alive.
    KernelHandle mutex(CreateMutexA(nullptr, FALSE, name.c_str()));
    if (!mutex) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED) return false;   // another user's run made it
        throw SystemError("CreateMutexA()", error);
    }
    const DWORD wait = WaitForSingleObject(mutex.Get(), 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return false;
    RunMutex().Reset(mutex.Release());
    return true;
}

void HoldRunMutex() {
    if (RunMutex()) return;
    const std::string name = InstallerMutexName(ProcessVersionInfo().WindowsVersion());
    while (!TryHoldRunMutex(name)) {
        if (!Options().interactive) throw InstallError(InstallerRunningText);
        const int answer = Prompt::ShowBox(std::string(InstallerRunningText) +
                                               ".\nWait for it to finish, then choose Retry.",
                                           "Installer Already Running", Prompt::RetryStyle);
        if (answer != Prompt::IdRetry) {
            ConsoleLine(InstallerRunningCancelLine);
            throw SilentExit(ExitError);
        }
    }
}

// 0 when a file could be created in folder (and is gone again), else the error.
DWORD ProbeWrite(const std::string& folder) {
    // 98/Me lack delete-on-close: the probe is deleted by name there.
    const bool nt = IsNtFamily(ProcessVersionInfo().WindowsVersion());
    const DWORD flags = FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | (nt ? FILE_FLAG_DELETE_ON_CLOSE : 0);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        char name[48];
        std::snprintf(name, sizeof name, "~qxprobe%lx-%u.tmp", static_cast<unsigned long>(GetCurrentProcessId()),
                      attempt);
        const std::string path = JoinPath(folder, name);
        // CREATE_NEW: an existing file of that name is never touched.
        FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, flags, nullptr));
        if (!file) {
            const DWORD error = GetLastError();
            if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) continue;
            return error;
        }
        file.Reset();
        if (!nt) DeleteFileA(path.c_str());
        return 0;
    }
    return ERROR_FILE_EXISTS;
}

using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

// What the volume of a folder offers; known is false when the system does not tell.
struct VolumeSpace {
    bool known = false;
    std::uint64_t available = 0;
    std::uint64_t clusterSize = 0;   // 0 when unknown
};

VolumeSpace QueryVolumeSpace(const std::string& folder) {
    VolumeSpace space;
    // The cluster size comes only from the older call, which needs the root; where it fails
    // (some mounted folders, shares) the files are counted in bytes.
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    const bool old = GetDiskFreeSpaceA(VolumeRoot(folder).c_str(), &sectorsPerCluster, &bytesPerSector,
                                       &freeClusters, &clusters) != FALSE;
    if (old) {
        space.clusterSize = static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
        space.available = space.clusterSize * freeClusters;
        space.known = true;
    }
    // Windows 95 before OSR2 lacks the Ex form; where it exists it tells this user's share
    // and volumes beyond 2 GB truly.
    auto getEx = reinterpret_cast<GetDiskFreeSpaceExFn>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA"));
    ULARGE_INTEGER forCaller = {};
    if (getEx && getEx((EndsWithChar(folder, '\\') ? folder : folder + "\\").c_str(), &forCaller, nullptr, nullptr)) {
        space.available = forCaller.QuadPart;
        space.known = true;
    }
    return space;
}

void CheckFreeSpace(const FolderCheck& folder, std::vector<std::uint64_t> fileSizes,
                    std::uint32_t uninstallerUnpacked) {
    const VolumeSpace space = QueryVolumeSpace(folder.existing);
    fileSizes.push_back(uninstallerUnpacked);
    const std::uint64_t needed = SpaceNeeded(fileSizes, space.clusterSize);
    if (!space.known) {
        ConsoleLine(UnknownSpaceWarning(folder.path));
        return;
    }
    const std::string shortfall = SpaceShortfall(folder.path, needed, space.available);
    if (shortfall.empty()) return;
    if (Options().force) {
        ConsoleLine("Warning: " + shortfall);
        return;
    }
    throw InstallError(shortfall);
}

}  // namespace

std::string FullFolderPath(const std::string& typed) {
    char buffer[MAX_PATH + 1] = {};
    DWORD length = 0;
    // "X:name" is relative to the current folder of drive X, which only the system knows.
    const bool driveRelative = typed.size() >= 2 && typed[1] == ':' && (typed.size() == 2 ||
                               (typed[2] != '\\' && typed[2] != '/'));
    if (driveRelative)
        length = GetFullPathNameA(typed.substr(0, 2).c_str(), sizeof buffer, buffer, nullptr);
    else
        length = GetCurrentDirectoryA(sizeof buffer, buffer);
    const std::string current = length > 0 && length < sizeof buffer ? std::string(buffer, length) : std::string();
    return NormaliseFolder(typed, current);
}

FolderCheck CheckInstallFolder(const std::string& folder, std::size_t longestName) {
    FolderCheck check;
    check.path = folder;
    check.reason = FolderNameProblem(folder, longestName);
    if (check.Failed()) return check;
    std::string existing = folder;
    for (;;) {
        const DWORD attributes = GetFileAttributesA(existing.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) break;
            // The folder step reports a file where a parent belongs by the file's path.
            check.path = existing;
            check.notAFolder = true;
            return check;
        }
        const DWORD error = GetLastError();
        const std::string parent = ParentFolder(existing);
        if (parent.empty()) {
            check.reason = WinErrorText(error);
            return check;
        }
        existing = parent;
    }
    check.existing = existing;
    if (const DWORD error = ProbeWrite(existing)) check.reason = WinErrorText(error);
    return check;
}

void FailFolderCheck(const FolderCheck& check) {
    if (check.notAFolder) FailNotAFolder(check.path);
    FailFolderCreation(check.path, check.reason);
}

void ShowFolderCheck(const FolderCheck& check) {
    if (check.notAFolder)
        Prompt::ShowBox(NotAFolderText(check.path) + ".", "Invalid Target Directory", Prompt::ErrorStyle);
    else
        Prompt::ShowBox(FolderCreationText(check.path, check.reason), "Directory Creation Failed", Prompt::ErrorStyle);
}

StreamFacts LoadStreamFacts() {
    const ResourceBytes facts = LoadBinaryResource(IDR_STREAM_FACTS, "BINARY");
    return ParseStreamFacts(facts.data, facts.size);
}

std::string KnownShellFolder(const std::string& folder, const char* what) {
    if (folder.empty()) throw InstallError(std::string("The system names no ") + what + " folder");
    if (!IsFullFolderPath(folder))
        throw InstallError(std::string("The ") + what + " folder '" + folder + "' is not a full path");
    return folder;
}

std::unique_ptr<PackageStream> CheckBeforeChanges(const RunFlags& flags) {
    HoldRunMutex();
    // What a run cut short left behind would fail the checks below, or be taken for the user's.
    RecoverInterruptedRun();
    const InstallOptions& options = Options();
    const StreamFacts facts = LoadStreamFacts();
    if (!options.unrepresentableInstallDir.empty())
        FailFolderCreation(options.unrepresentableInstallDir, UnrepresentableFolderReason);
    const FolderCheck folder = CheckInstallFolder(options.installDir, facts.longestName);
    if (folder.Failed()) FailFolderCheck(folder);

    KnownShellFolder(flags.installForAllUsers ? CommonProgramsFolder() : ProgramsFolder(), "Start menu");
    if (flags.createDesktopIcon)
        KnownShellFolder(flags.installForAllUsers ? CommonDesktopFolder() : DesktopFolder(), "desktop");

    // Read from the held file the extraction reads, so what is checked is what is installed.
    const OwnImageFile& own = OwnImageFile::Held();
    StreamCheckThread check({{"package stream", IDR_PACKAGE, facts.packageSize, facts.packageCrc, facts.packageSha256},
                             {"uninstaller stream", IDR_UNINSTALLER, facts.uninstallerSize, facts.uninstallerCrc,
                              facts.uninstallerSha256}});
    std::unique_ptr<PackageStream> package;
    try {
        // The decoder judges the package's header as it is made, with the texts the
        // extraction would give, but before any change.
        package = std::make_unique<PackageStream>(own, IDR_PACKAGE);
        CheckFreeSpace(folder, PackageFileSizes(facts, ProcessVersionInfo().WindowsVersion().a),
                       facts.uninstallerUnpacked);
        // Only into memory: nothing is written before the check has passed.
        package->decoder.DecodeAhead([&check] { return check.Finished(); });
    } catch (...) {
        // A damaged stream explains whatever else failed, so its text comes first.
        check.Wait();
        throw;
    }
    check.Wait();
    return package;
}
