#include "platform/ShellFolders.h"

#include "mulib/DllLoader.h"
#include "platform/RegKey.h"
#include "platform/WindowsVersionInfo.h"

#include <windows.h>

#include <exception>
#include <initializer_list>

namespace {

const int CsidlPrograms = 0x02;
const int CsidlDesktopDirectory = 0x10;
const int CsidlCommonPrograms = 0x17;
const int CsidlCommonDesktopDirectory = 0x19;
const int CsidlProgramFiles = 0x26;

const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kUserShellFolders[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

struct RegistrySource {
    HKEY root;
    const char* subKey;
    const char* valueName;
};

using GetSpecialFolderPath = BOOL(WINAPI*)(HWND, LPSTR, int, BOOL);

bool FromShell(WindowsVersionInfo& versions, int csidl, std::string& folder) {
    try {
        DllLoader shell32;
        shell32.Load(true, "shell32.dll");
        // Older shells lack the call or create folders in the wrong place.
        if (versions.InternetExplorerVersion() < InternetExplorer4Version) return false;
        auto getPath = shell32.Resolve<GetSpecialFolderPath>("SHGetSpecialFolderPathA");
        char buffer[MAX_PATH + 1] = {};
        if (!getPath(nullptr, buffer, csidl, TRUE)) return false;
        folder = buffer;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool FromRegistry(const RegistrySource& source, std::string& folder) {
    try {
        folder = RegReadString(source.root, source.subKey, source.valueName);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// Shell, then each registry value in order; false when none of them answered.
bool Lookup(WindowsVersionInfo& versions, int csidl, std::initializer_list<RegistrySource> sources,
            std::string& folder) {
    if (FromShell(versions, csidl, folder)) return true;
    for (const RegistrySource& source : sources)
        if (FromRegistry(source, folder)) return true;
    return false;
}

}  // namespace

std::string ProgramFilesFolder(WindowsVersionInfo& versions) {
    std::string folder;
    if (Lookup(versions, CsidlProgramFiles, {{HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesDir"}}, folder))
        return folder;
    return "C:\\Program Files";
}

std::string DesktopFolder(WindowsVersionInfo& versions) {
    std::string folder;
    if (Lookup(versions, CsidlDesktopDirectory,
               {{HKEY_CURRENT_USER, kShellFolders, "Desktop"}, {HKEY_CURRENT_USER, kUserShellFolders, "Desktop"}},
               folder))
        return folder;
    return "";
}

std::string CommonDesktopFolder(WindowsVersionInfo& versions) {
    std::string folder;
    if (Lookup(versions, CsidlCommonDesktopDirectory, {{HKEY_LOCAL_MACHINE, kShellFolders, "Common Desktop"}},
               folder))
        return folder;
    return DesktopFolder(versions);
}

std::string ProgramsFolder(WindowsVersionInfo& versions) {
    std::string folder;
    if (Lookup(versions, CsidlPrograms,
               {{HKEY_CURRENT_USER, kShellFolders, "Programs"}, {HKEY_CURRENT_USER, kUserShellFolders, "Programs"}},
               folder))
        return folder;
    return "";
}

std::string CommonProgramsFolder(WindowsVersionInfo& versions) {
    std::string folder;
    if (Lookup(versions, CsidlCommonPrograms, {{HKEY_LOCAL_MACHINE, kShellFolders, "Common Programs"}}, folder))
        return folder;
    return ProgramsFolder(versions);
}

std::string ProgramFilesFolder() { return ProgramFilesFolder(ProcessVersionInfo()); }
std::string DesktopFolder() { return DesktopFolder(ProcessVersionInfo()); }
std::string CommonDesktopFolder() { return CommonDesktopFolder(ProcessVersionInfo()); }
std::string ProgramsFolder() { return ProgramsFolder(ProcessVersionInfo()); }
std::string CommonProgramsFolder() { return CommonProgramsFolder(ProcessVersionInfo()); }
