#include "uninstaller/TempCopy.h"

#include "NoCrtLib/AnsiCodec.h"
#include "NoCrtLib/Console.h"
#include "NoCrtLib/JoinPath.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "platform/AnsiPath.h"
#include "platform/DeferredDeletion.h"

#include <windows.h>

#include <cstdio>

namespace {

std::string Failure(const char* call) { return std::string(call) + " failed: " + WinErrorText(GetLastError()); }

// A name of this process's own, so two uninstallers never share a copy; a stale file
// that is still running is passed over.
std::string CandidateName(int attempt) {
    char name[40];
    if (attempt == 0)
        std::snprintf(name, sizeof name, "QxUninst%lx.exe", static_cast<unsigned long>(GetCurrentProcessId()));
    else
        std::snprintf(name, sizeof name, "QxUninst%lx-%d.exe", static_cast<unsigned long>(GetCurrentProcessId()),
                      attempt);
    return name;
}

}  // namespace

bool TempCopy::Start(const UninstallerCommand& command, const UninstallerCommand::Answer* answer,
                     KernelHandle& process, std::string& failure) {
    std::string own;
    std::string temp;
    try {
        own = AnsiPath::OwnModule();
        temp = AnsiPath::TempFolder();
    } catch (const AnsiPath::Err& e) {
        failure = e.what();
        return false;
    }

    std::string copy;
    for (int attempt = 0; attempt < 10 && copy.empty(); ++attempt) {
        const std::string candidate = JoinPath(temp, CandidateName(attempt));
        if (CopyFileA(own.c_str(), candidate.c_str(), FALSE)) copy = candidate;
    }
    if (copy.empty()) {
        failure = Failure("CopyFileA()");
        return false;
    }
    if (!DeleteAtRestart(copy))
        ConsoleLine("Scheduling the temporary copy " + copy + " for removal at the next restart failed: " +
                    WinErrorText(GetLastError()));

    HANDLE h = nullptr;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &h, SYNCHRONIZE, TRUE, 0)) {
        failure = Failure("DuplicateHandle()");
        DeleteFileA(copy.c_str());
        return false;
    }
    KernelHandle self(h);
    const std::uint32_t selfValue = static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(self.Get()));
    std::string commandLine = WideToAnsi(command.TempCopyCommandLine(AnsiToWide(copy), selfValue, answer));

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // The copy works from the temporary folder, so no current folder holds the installation.
    if (!CreateProcessA(copy.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, temp.c_str(), &startup, &info)) {
        failure = Failure("CreateProcessA()");
        DeleteFileA(copy.c_str());
        return false;
    }
    KernelHandle thread(info.hThread);
    process.Reset(info.hProcess);
    // The copy holds its own inherited duplicate of self from here on.
    return true;
}
