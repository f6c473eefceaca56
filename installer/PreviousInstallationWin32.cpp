#include "installer/PreviousInstallation.h"

#include "NoCrtLib/Console.h"
#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/Product.h"
#include "installer/actions/ResourceLoader.h"
#include "mulib/DllLoader.h"
#include "platform/AnsiPath.h"
#include "platform/DeferredDeletion.h"
#include "platform/HandshakeBlock.h"
#include "platform/Handles.h"
#include "platform/RegKey.h"
#include "platform/ShellFolders.h"
#include "platform/UninstallRecord.h"
#include "resources/resource.h"

#include <windows.h>
#include <wincrypt.h>

#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

std::string FailureText(const char* call) { return std::string(call) + " failed: " + WinErrorText(GetLastError()); }

std::uint32_t HandleValue(HANDLE h) { return static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(h)); }
HANDLE HandleFromValue(std::uint32_t value) { return reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(value)); }

// The handed-on result once the event says it was written; when a helper the uninstaller
// made known ends first, HandshakeHelperEnded.
std::uint32_t HandedOnResult(HANDLE done, HANDLE helper, const void* block) {
    if (helper) {
        const HANDLE waited[] = {done, helper};
        // A helper may answer and end at once: the event decides, whichever woke us. A
        // failed wait (a bad handle value) leaves the wait on the event alone.
        if (WaitForMultipleObjects(2, waited, FALSE, INFINITE) != WAIT_FAILED &&
            WaitForSingleObject(done, 0) != WAIT_OBJECT_0) {
            ConsoleLine("The uninstaller's temporary copy ended without reporting a result");
            return HandshakeHelperEnded;
        }
    }
    WaitForSingleObject(done, INFINITE);
    std::uint32_t result = 0;
    std::memcpy(&result, block, sizeof result);
    return result;
}

// The system's random source. The functions are looked up at run time: the first
// Windows 95 has no CryptoAPI, and a static import would keep the installer from
// starting there at all (the requirement check lets -force go on on Windows 95).
class SystemRandom {
public:
    std::uint32_t Next() {
        if (!m_provider) Open();
        std::uint32_t value = 0;
        if (!m_generate(m_provider.Get(), sizeof value, reinterpret_cast<BYTE*>(&value)))
            throw std::runtime_error(FailureText("CryptGenRandom()"));
        return value;
    }

private:
    using AcquireFn = BOOL(WINAPI*)(HCRYPTPROV*, LPCSTR, LPCSTR, DWORD, DWORD);
    using GenerateFn = BOOL(WINAPI*)(HCRYPTPROV, DWORD, BYTE*);

    void Open() {
        if (!m_library.Handle()) m_library.Load(true, "advapi32.dll");
        const auto acquire = m_library.Resolve<AcquireFn>("CryptAcquireContextA");
        m_generate = m_library.Resolve<GenerateFn>("CryptGenRandom");
        const auto release = m_library.Resolve<CryptProviderTraits::ReleaseFn>("CryptReleaseContext");
        // Only random bytes are wanted: no key container.
        HCRYPTPROV provider = 0;
        if (!acquire(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT))
            throw std::runtime_error(FailureText("CryptAcquireContextA()"));
        m_provider = CryptProvider(provider, CryptProviderTraits{release});
    }

    DllLoader m_library;
    GenerateFn m_generate = nullptr;
    CryptProvider m_provider;  // released before the library goes
};

// A registry error of any kind (missing key or value included) counts as "not there".
bool ReadRegistered(const char* valueName, std::string& value) {
    try {
        value = RegReadString(HKEY_LOCAL_MACHINE, ProductUninstallKey(), valueName);
        return true;
    } catch (const InstallError&) {
        return false;
    }
}

class MachinePreviousInstallation : public PreviousInstallationSystem {
public:
    std::string Version() override { return PreviousVersion(); }
    std::string UninstallString() override { return PreviousUninstallString(); }

    bool RemovalStarted() override {
        std::string mark;
        return ReadRegistered(RemovalStartedValue, mark);
    }

    bool FileMissing(const std::string& path) override {
        if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }

    void DeleteRegistration() override {
        RegKey(HKEY_LOCAL_MACHINE, ProductUninstallKey(), RegKey::Flavour::Status).Delete(true);
    }

    std::string TempFolder() override {
        try {
            return AnsiPath::TempFolder();
        } catch (const AnsiPath::Err& e) {
            throw std::runtime_error(TempFolderFailureText(e.Code(), e.what()));
        }
    }

    void WriteUninstaller(const std::string& path) override { ExtractZlibResource(path, IDR_UNINSTALLER); }
    void ScheduleDeletion(const std::string& path) override { DeleteAtRestart(path); }
    std::uint32_t RandomNumber() override { return m_random.Next(); }
    std::uint32_t RunUninstaller(const std::string& command) override { return RunUninstallerAndWait(command); }

private:
    SystemRandom m_random;
};

}  // namespace

std::string PreviousUninstallString() {
    std::string value;
    ReadRegistered("UninstallString", value);
    return value;
}

std::string PreviousVersion() {
    std::string value;
    ReadRegistered("Version", value);
    return value;
}

std::string PreviousInstallDir() {
    std::string value;
    // An empty folder is no proposal either: the dialog would start with an empty field.
    if (ReadRegistered("InstallDir", value) && !value.empty()) return value;
    return JoinPath(ProgramFilesFolder(), ProductFullName);
}

std::uint32_t RunUninstallerAndWait(const std::string& command) {
    // Inheritable, so the uninstaller (and whoever it hands its work on to) can use them.
    SECURITY_ATTRIBUTES inheritable = {};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;

    KernelHandle mapping(CreateFileMappingA(INVALID_HANDLE_VALUE, &inheritable, PAGE_READWRITE, 0,
                                            sizeof(HandshakeBlock), nullptr));
    if (!mapping) throw InstallError(FailureText("CreateFileMapping()"));
    MappedView view(MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(HandshakeBlock)));
    if (!view) throw InstallError(FailureText("MapViewOfFile()"));
    KernelHandle done(CreateEventA(&inheritable, TRUE, FALSE, nullptr));
    if (!done) throw InstallError(WinErrorText(GetLastError()));

    // An uninstaller of this version that hands on duplicates its helper's handle into
    // this process, so the wait ends should the helper die. Without this handle the
    // offer is not made, and the wait is on the event alone, as for older uninstallers.
    auto* block = static_cast<HandshakeBlock*>(view.Get());
    HANDLE self = nullptr;
    KernelHandle installer;
    if (DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, PROCESS_DUP_HANDLE,
                        TRUE, 0)) {
        installer.Reset(self);
        block->installerProcess = HandleValue(installer.Get());
        block->state = HandshakeWatchOffered;
    }

    const std::string line = command + HandshakeArguments(HandleValue(mapping.Get()), HandleValue(done.Get()));
    std::vector<char> writable(line.begin(), line.end());
    writable.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(nullptr, writable.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
        throw InstallError(FailureText("CreateProcess()"));
    KernelHandle process(started.hProcess);
    KernelHandle thread(started.hThread);
    // The uninstaller holds its own inherited one.
    installer.Reset();

    WaitForSingleObject(process.Get(), INFINITE);
    DWORD exitCode = STILL_ACTIVE;
    if (!GetExitCodeProcess(process.Get(), &exitCode) || exitCode == STILL_ACTIVE) {
        TerminateProcess(process.Get(), 0);
        exitCode = STILL_ACTIVE;
    }
    thread.Reset();
    process.Reset();
    // Ours once given, whatever the exit code.
    KernelHandle helper;
    if (block->state == HandshakeHelperGiven) helper.Reset(HandleFromValue(block->helperProcess));
    if (exitCode != 1) return exitCode;

    // Handed on: the result is in the block once the event says it was written.
    return HandedOnResult(done.Get(), helper.Get(), view.Get());
}

void RemovePreviousInstallation() {
    MachinePreviousInstallation system;
    RemovePreviousInstallation(system);
}
