#include "uninstaller/CopyAnswer.h"

#include "NoCrtLib/WinErrorMessage.h"
#include "uninstaller/Uninstaller.h"

#include <windows.h>

#include <cstring>

namespace {
std::string Failure(const char* call) { return std::string(call) + " failed: " + WinErrorText(GetLastError()); }
std::uint32_t HandleValue(HANDLE h) { return static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(h)); }
// A copy never hands on, so 1 is no answer of its own either.
bool IsCopyResult(DWORD code) {
    return code == UninstallRemoved || code == UninstallLoadFailed || code == UninstallFailed;
}
}  // namespace

CopyAnswer::CopyAnswer(std::string& failure) {
    SECURITY_ATTRIBUTES inheritable = {};
    inheritable.nLength = sizeof inheritable;
    inheritable.bInheritHandle = TRUE;
    m_mapping.Reset(CreateFileMappingA(INVALID_HANDLE_VALUE, &inheritable, PAGE_READWRITE, 0,
                                       sizeof(std::uint32_t), nullptr));
    if (!m_mapping) {
        failure = Failure("CreateFileMappingA()");
        return;
    }
    m_view.Reset(MapViewOfFile(m_mapping.Get(), FILE_MAP_READ, 0, 0, sizeof(std::uint32_t)));
    if (!m_view) {
        failure = Failure("MapViewOfFile()");
        return;
    }
    m_done.Reset(CreateEventA(&inheritable, TRUE, FALSE, nullptr));
    if (!m_done) failure = Failure("CreateEventA()");
}

std::uint32_t CopyAnswer::ResultHandle() const { return HandleValue(m_mapping.Get()); }
std::uint32_t CopyAnswer::DoneHandle() const { return HandleValue(m_done.Get()); }

std::uint32_t CopyAnswer::Wait(HANDLE copyProcess) const {
    const HANDLE waited[] = {m_done.Get(), copyProcess};
    WaitForMultipleObjects(2, waited, FALSE, INFINITE);
    // A copy may answer and end at once: the event decides, whichever woke us.
    if (WaitForSingleObject(m_done.Get(), 0) == WAIT_OBJECT_0) {
        std::uint32_t value = UninstallFailed;
        std::memcpy(&value, m_view.Get(), sizeof value);
        return value;
    }
    DWORD code = UninstallFailed;
    if (WaitForSingleObject(copyProcess, INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(copyProcess, &code) ||
        !IsCopyResult(code))
        code = UninstallFailed;
    return code;
}
