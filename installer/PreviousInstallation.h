#pragma once
// Removal of an earlier installation of the product by that installation's own
// uninstaller, before anything new is installed. The earlier installation is found
// through the uninstall registration an earlier run left under ProductUninstallKey().
// The uninstaller's result comes back as its exit code or, when it hands its work on to
// another process (exit code 1), through the first 4 bytes of an inherited shared block
// (platform/HandshakeBlock.h) and an event whose handles it gets on its command line:
// " -unat -result=<hex> -done=<hex>".
#include <cstddef>
#include <cstdint>
#include <string>

// Version texts compare byte by byte, never numerically ("4.3" sorts after "4.26").
bool VersionSortsBefore(const std::string& version, const std::string& other);

// The dialog's install button for the earlier version: "Install" when there is none,
// "Upgrade" when it sorts before ProductVersion, "Replace" when equal or after.
std::string InstallButtonLabel(const std::string& previousVersion);

// Installations before "4.07" are removed by a fresh copy of this installer's own
// uninstaller instead of the registered command.
bool NeedsFreshUninstaller(const std::string& previousVersion);

// The file name of a further temporary copy: "uninst" + (randomValue modulo 9999) with at
// least four digits + ".exe", e.g. "uninst0042.exe".
std::string TempUninstallerName(std::uint32_t randomValue);

// Q<path>Q Quarnelix, the command for a fresh copy (Q is one double quote).
std::string FreshUninstallerCommand(const std::string& path);

// " -unat -result=<mapping> -done=<event>", handle values in lower-case hexadecimal
// without prefix or leading zeros.
std::string HandshakeArguments(std::uint32_t resultHandle, std::uint32_t doneHandle);

// "Uninstaller failed with error code <result as signed decimal>", with ": Loading
// uninstallation information failed" for 12 and ": Uninstallation failed partally or
// completely" for 13.
std::string UninstallerFailureText(std::uint32_t result);

// The text without one final full stop (the prompts add their own punctuation).
std::string WithoutFinalFullStop(std::string text);

// Why there is no temporary folder: "Getting temporary path failed: GetTemporaryPath()
// failed: <Windows error text>" for a Windows error, "Getting temporary path failed:
// <reason>" for code 0 (a folder without an ANSI name).
std::string TempFolderFailureText(std::uint32_t code, const std::string& reason);

// What the removal needs from the system; the Windows build implements it in
// PreviousInstallationWin32.cpp, tests fake it.
class PreviousInstallationSystem {
public:
    virtual ~PreviousInstallationSystem() = default;
    // The registered values; "" when they cannot be read.
    virtual std::string Version() = 0;
    virtual std::string UninstallString() = 0;
    // The registration carries the uninstaller's RemovalStartedValue.
    virtual bool RemovalStarted() = 0;
    // The system says there is no such file (not merely that it cannot be read).
    virtual bool FileMissing(const std::string& path) = 0;
    // Deletes the registration; never throws, the outcome is not examined.
    virtual void DeleteRegistration() = 0;
    // Throws a standard exception (not InstallError) when there is none.
    virtual std::string TempFolder() = 0;
    // Writes this installer's uninstaller to path: InstallError when the resource cannot be
    // loaded, other standard exceptions for the file and the stream.
    virtual void WriteUninstaller(const std::string& path) = 0;
    // Removal at the next restart; never throws, the outcome is not examined.
    virtual void ScheduleDeletion(const std::string& path) = 0;
    // A 32-bit number from the system's random source.
    virtual std::uint32_t RandomNumber() = 0;
    // Runs the command with the handshake and returns the result (RunUninstallerAndWait).
    virtual std::uint32_t RunUninstaller(const std::string& command) = 0;
};

// Writes a fresh uninstaller into the temporary folder as "uninst.exe", scheduled for
// deletion at the next restart, and returns its path. Only a resource error
// (InstallError) tries another, random name, ten times at most; after that it throws
// std::runtime_error "Copying uninstaller to temporary path failed: <error>". Any other
// error (the file's, the stream's) leaves at once.
std::string WriteFreshUninstaller(PreviousInstallationSystem& system);

// Returns when nothing is registered (empty "Version" or "UninstallString"), when the
// removal succeeded, or when the user (interactive) or -force (unattended) goes on after a
// failure; otherwise throws SilentExit(107). No other error leaves it. Reads
// Options().interactive and Options().force.
// A registration whose uninstaller started removing it and is gone since is what a removal
// cut short at its very end leaves (see RemovalStartedValue): it is deleted, one line says
// so, and nothing runs.
void RemovePreviousInstallation(PreviousInstallationSystem& system);

// ---- Windows build only (PreviousInstallationWin32.cpp) ----

// The values under HKEY_LOCAL_MACHINE\ProductUninstallKey(); any registry error gives the
// fallback: "" for the first two, ProgramFilesFolder() joined with ProductFullName for
// the folder (the interactive default installation folder).
std::string PreviousUninstallString();
std::string PreviousVersion();
std::string PreviousInstallDir();

// Starts command + HandshakeArguments() with handle inheritance, sharing this console, and
// waits for it without time limit. Returns its exit code; 259 when none was obtainable;
// for exit code 1 the value in the shared block once the event is signalled. When the
// uninstaller made its helper process known and that ends first, prints "The
// uninstaller's temporary copy ended without reporting a result" and returns 13. Throws
// InstallError when the handshake objects or the process cannot be created.
std::uint32_t RunUninstallerAndWait(const std::string& command);

// The removal for this machine, with the uninstaller in resource 149 for the fresh copy.
void RemovePreviousInstallation();
