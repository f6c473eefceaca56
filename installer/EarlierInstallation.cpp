#include "installer/EarlierInstallation.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/PreviousInstallation.h"
#include "installer/Product.h"
#include "installer/actions/TargetFile.h"
#include "installer/actions/UninstallRegAction.h"
#include "platform/AnsiPath.h"
#include "platform/Handles.h"
#include "platform/RegKey.h"
#include "platform/WindowsVersionInfo.h"
#include "uninstaller/UninstallPlan.h"

#include <windows.h>

#include <vector>

namespace {

const char* const MachineEnvironment = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char* const UserEnvironment = "HKEY_CURRENT_USER\\Environment";

// A hard link costs neither space nor time; Windows before 2000 has none (resolved by name).
bool HardLink(const std::string& target, const std::string& link) {
    using CreateHardLinkFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, LPSECURITY_ATTRIBUTES);
    static const auto create = reinterpret_cast<CreateHardLinkFn>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateHardLinkA"));
    return create && create(link.c_str(), target.c_str(), nullptr);
}

std::string ReadRegistered(const char* name) {
    try {
        return RegReadString(HKEY_LOCAL_MACHINE, ProductUninstallKey(), name);
    } catch (const InstallError&) {
        return {};
    }
}

}  // namespace

EarlierInstallationKept::EarlierInstallationKept(const std::string& params) {
    const UninstallPlan plan = UninstallPlan::Parse(params);
    try {
        // In the temporary folder, where no uninstaller looks: a folder beside the installation
        // would keep its parent from being removed. Files on another volume are copied.
        std::string temp;
        try {
            temp = AnsiPath::TempFolder();
        } catch (const AnsiPath::Err& e) {
            throw InstallError("Unable to keep the earlier installation: " +
                               (e.Code() ? WinErrorText(e.Code()) : std::string(e.what())));
        }
        std::string scratch;
        for (int n = 0; n < 100 && (scratch.empty() || GetFileAttributesA(scratch.c_str()) != INVALID_FILE_ATTRIBUTES); ++n)
            scratch = JoinPath(temp, "QxEarlier" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n));
        Record({UndoKind::Scratch, {scratch}});
        if (!CreateDirectoryA(scratch.c_str(), nullptr))
            throw InstallError("Unable to keep the earlier installation in '" + scratch + "': " +
                               WinErrorText(GetLastError()));
        int n = 0;
        for (const std::string& file : plan.Files())
            if (IsExistingFile(file)) KeepFile(file, scratch + "\\" + std::to_string(++n));
        // After the files, so that rollback makes the folders before it moves the files back.
        for (const std::string& folder : plan.Folders())
            if (IsExistingFolder(folder)) Record({UndoKind::SavedFolder, {folder}});
        for (const std::string& key : plan.RegistryKeys()) KeepKeyTree(key);
        if (IsNtFamily(ProcessVersionInfo().WindowsVersion())) {
            for (const char* environment : {MachineEnvironment, UserEnvironment}) {
                RegKey key(environment, RegKey::Flavour::Status);
                std::vector<UninstallRegAction::SavedValue> values;
                HKEY raw = nullptr;
                if (RegOpenKeyExA(key.Root(), key.SubKey().c_str(), 0, KEY_QUERY_VALUE, &raw) == ERROR_SUCCESS) {
                    RegKeyHandle opened(raw);
                    UninstallRegAction::ReadValues(raw, values);
                }
                UndoEntry entry{UndoKind::SavedValue, {environment, "PATH", "0"}};
                for (const auto& value : values)
                    if (lstrcmpiA(value.name.c_str(), "PATH") == 0)
                        entry.fields = {environment, value.name, "1", std::to_string(value.type), HexBytes(value.data)};
                Record(std::move(entry));
            }
        }
    } catch (...) {
        if (ShouldUndo()) UndoRecorded();
        throw;
    }
}

EarlierInstallationKept::~EarlierInstallationKept() {
    if (ShouldUndo()) UndoRecorded();
}

void EarlierInstallationKept::Commit() {
    InstallAction::Commit();
    KeepRecorded();
}

void EarlierInstallationKept::KeepFile(const std::string& path, const std::string& kept) {
    Record({UndoKind::SavedFile, {path, kept}});
    if (!HardLink(path, kept) && !CopyFileA(path.c_str(), kept.c_str(), TRUE))
        throw InstallError("Unable to keep the earlier installation's file '" + path + "': " +
                           WinErrorText(GetLastError()));
}

// The key and every key below it, each with all its values: the uninstaller deletes trees.
void EarlierInstallationKept::KeepKeyTree(const std::string& keyName) {
    RegKey named(keyName, RegKey::Flavour::Status);
    HKEY raw = nullptr;
    if (!named.Root() ||
        RegOpenKeyExA(named.Root(), named.SubKey().c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS)
        return;
    RegKeyHandle key(raw);
    std::vector<UninstallRegAction::SavedValue> values;
    UninstallRegAction::ReadValues(raw, values);
    UndoEntry entry{UndoKind::SavedKey, {keyName}};
    UninstallRegAction::AppendValues(entry, values);
    Record(std::move(entry));
    std::vector<std::string> subkeys;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(raw, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        subkeys.emplace_back(name, length);
    }
    for (const std::string& subkey : subkeys) KeepKeyTree(keyName + "\\" + subkey);
}

std::unique_ptr<EarlierInstallationKept> KeepEarlierInstallation() {
    const std::string params = ReadRegistered("UninstallParam");
    if (PreviousVersion().empty() || PreviousUninstallString().empty() || params.empty()) return nullptr;
    try {
        return std::make_unique<EarlierInstallationKept>(params);
    } catch (const UninstallPlan::Err&) {
        return nullptr;
    }
}
