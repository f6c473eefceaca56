#include "installer/SearchPath.h"

#include "platform/Handles.h"
#include "platform/RegKey.h"
#include "platform/WindowsVersionInfo.h"

#include <windows.h>

#include <vector>

namespace {

const char* const MachineEnvironmentKey = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
const char* const UserEnvironmentKey = "Environment";

class RegistryPaths : public EnvironmentPaths {
public:
    uint32_t Read(bool machine, std::string& text) override {
        RegKey key(Root(machine), Subkey(machine), KEY_QUERY_VALUE, RegKey::Flavour::Status);
        if (key.Succeeded()) key.ReadString("PATH", false, text);
        return key.Code();
    }
    bool Write(bool machine, const std::string& text) override {
        RegKey key(Root(machine), Subkey(machine), RegKey::Flavour::Status);
        return key.WriteString("PATH", text, true);
    }
    void Broadcast() override {
        DWORD_PTR result = 0;
        SendMessageTimeoutA(HWND_BROADCAST, WM_WININICHANGE, 0,
                            reinterpret_cast<LPARAM>("Environment"), SMTO_NORMAL, 2000, &result);
    }

private:
    static HKEY Root(bool machine) { return machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
    static const char* Subkey(bool machine) { return machine ? MachineEnvironmentKey : UserEnvironmentKey; }
};

const char* const AutoexecPath = "C:\\AUTOEXEC.BAT";
constexpr DWORD AutoexecReadLimit = 100000;

std::string ReadAutoexec() {
    FileHandle file(CreateFileA(AutoexecPath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::vector<char> buffer(AutoexecReadLimit);
    DWORD got = 0;
    if (!ReadFile(file.Get(), buffer.data(), AutoexecReadLimit, &got, nullptr)) return {};
    return std::string(buffer.data(), got);
}

void AddToAutoexec(const std::string& folder) {
    char shortPath[261] = {};
    DWORD n = GetShortPathNameA(folder.c_str(), shortPath, sizeof shortPath);
    if (n == 0 || n >= sizeof shortPath) return;
    if (AutoexecListsFolder(ReadAutoexec(), folder, shortPath)) return;
    // Appending only: whatever the file holds (even past the read limit) stays as it was.
    FileHandle file(CreateFileA(AutoexecPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    std::string line = AutoexecPathLine(shortPath);
    SetFilePointer(file.Get(), 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

}  // namespace

void AddToSearchPath(const std::string& folder, bool installForAllUsers) {
    try {
        if (IsNtFamily(WindowsVersionInfo().WindowsVersion())) {
            RegistryPaths paths;
            AddToEnvironmentPath(paths, folder, installForAllUsers);
        } else {
            AddToAutoexec(folder);
        }
    } catch (const std::exception&) {
        // Whatever fails leaves the search path as it was; the run goes on.
    }
}
