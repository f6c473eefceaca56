#pragma once
// The checks that run after the licence is accepted and before the first change to the
// machine (the removal of an earlier installation included): one installer run at a time,
// a folder that can be made and written, both embedded streams intact, room on the disk.
// A failure ends the run with the earlier installation untouched.
#include "installer/Driver.h"
#include "installer/StreamCheck.h"
#include "platform/VersionTriple.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The machine-wide mutex of an installer run: in the global namespace where the system
// has one (NT 5.0 and later), else the plain name.
std::string InstallerMutexName(const VersionTriple& windows);

// The size of each file the package stream writes on the platform (as the parser takes
// platformId), in stream order, as the build recorded them.
std::vector<std::uint64_t> PackageFileSizes(const StreamFacts& facts, unsigned platformId);
// Their names, "" for the uninstaller.
std::vector<std::string> PackageFileNames(const StreamFacts& facts, unsigned platformId);

// The space the files need on a volume of clusterSize bytes per cluster (0 when unknown,
// then counted in bytes), each rounded up to whole clusters, with a margin. Throws
// InstallError when the sum cannot be represented.
std::uint64_t SpaceNeeded(const std::vector<std::uint64_t>& fileSizes, std::uint64_t clusterSize);

// "Not enough free disk space for '<folder>': <n> KB needed, <m> KB available", or ""
// when the space suffices.
std::string SpaceShortfall(const std::string& folder, std::uint64_t needed, std::uint64_t available);

// The line for a volume whose free space the system does not tell.
std::string UnknownSpaceWarning(const std::string& folder);

// The reasons of the mutex and the space checks.
extern const char* const InstallerRunningText;
extern const char* const InstallerRunningCancelLine;

// ---- Windows build only (PreflightWin32.cpp) ----

// The folder as typed, made full against the current folder (for "X:name" the current
// folder of drive X) and normalised (NormaliseFolder).
std::string FullFolderPath(const std::string& typed);

// A folder that cannot work: the path to name in the folder step's text and why, or a
// path that exists and is no folder.
struct PackageStream;

struct FolderCheck {
    std::string path;
    std::string reason;
    bool notAFolder = false;
    std::string existing;   // the folder or its nearest existing parent, once it passed
    bool Failed() const { return notAFolder || !reason.empty(); }
};

// Name rules (FolderNameProblem), then the folder or the nearest existing folder above it
// must be a folder in which a file can be created (a probe file, deleted again).
FolderCheck CheckInstallFolder(const std::string& folder, std::size_t longestName);

// Tells the user as the folder step does and ends the run: SilentExit 103 (interactive)
// or 101 for a path that is no folder, 101 (interactive) or 102 otherwise.
[[noreturn]] void FailFolderCheck(const FolderCheck& check);

// The same texts in a message box, the run going on (the dialog stays open).
void ShowFolderCheck(const FolderCheck& check);

// Resource 150.
StreamFacts LoadStreamFacts();

// An empty or relative shell folder (Start menu, desktop) throws InstallError naming it.
std::string KnownShellFolder(const std::string& folder, const char* what);

// Everything above, in this order: the run's mutex (held until the process ends), the
// folder in Options().installDir (the one typed on the command line must have had an
// exact ANSI form), the Start-menu and desktop folders, the streams, the free space.
// Returns the package with what was decoded of it while its check ran.
std::unique_ptr<PackageStream> CheckBeforeChanges(const RunFlags& flags);
