#include "installer/actions/OwnImageFile.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/MarkedAnsi.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/actions/PeFileOffset.h"
#include "installer/actions/PeImageHeaders.h"
#include "platform/WindowsVersionInfo.h"

#include <windows.h>

#include <string>

namespace {

[[noreturn]] void ThrowFileError(const char* call) {
    throw InstallError(std::string(call) + " failed: " + WinErrorText(GetLastError()));
}

// No delete or write sharing: nobody may rename, replace or change the file while we hold it.
const DWORD Sharing = FILE_SHARE_READ;

// 9x has only stubs of the wide functions (they fail with ERROR_CALL_NOT_IMPLEMENTED).
HANDLE OpenAnsi(std::string& pathText) {
    char path[MAX_PATH + 1];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0) ThrowFileError("GetModuleFileNameA()");
    if (length >= sizeof path) {   // cut short (older systems say nothing about it)
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        ThrowFileError("GetModuleFileNameA()");
    }
    pathText.assign(path, length);
    const HANDLE file = CreateFileA(path, GENERIC_READ, Sharing, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                    nullptr);
    if (file == INVALID_HANDLE_VALUE) ThrowFileError("CreateFileA()");
    return file;
}

HANDLE OpenWide(std::string& pathText) {
    std::vector<wchar_t> path(MAX_PATH + 1);
    DWORD length = 0;
    for (;;) {
        length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) ThrowFileError("GetModuleFileNameW()");
        if (length < path.size()) break;
        if (path.size() > 0x8000) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            ThrowFileError("GetModuleFileNameW()");
        }
        path.resize(path.size() * 2);
    }
    pathText = AnsiWithCodePoints(std::u16string(reinterpret_cast<const char16_t*>(path.data()), length));
    const HANDLE file = CreateFileW(path.data(), GENERIC_READ, Sharing, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) ThrowFileError("CreateFileW()");
    return file;
}

}  // namespace

OwnImageFile& OwnImageFile::Held() {
    static OwnImageFile file;
    return file;
}

OwnImageFile::OwnImageFile() {
    // No security attributes: an earlier uninstaller this run starts does not inherit it.
    m_file.Reset(IsNtFamily(ProcessVersionInfo().WindowsVersion()) ? OpenWide(m_pathText) : OpenAnsi(m_pathText));
    const auto* image = reinterpret_cast<const uint8_t*>(GetModuleHandleA(nullptr));
    m_headers.resize(PeHeadersSize(image));
    if (!m_headers.empty()) Read(0, m_headers.data(), static_cast<uint32_t>(m_headers.size()));
    if (!FileHeadersMatchImage(m_headers.data(), m_headers.size(), image))
        throw InstallError("The installer's file '" + m_pathText + "' is not the running program");
}

std::optional<uint32_t> OwnImageFile::Offset(uint32_t rva, uint32_t size) const {
    return PeFileOffset(m_headers.data(), m_headers.size(), rva, size);
}

void OwnImageFile::Read(uint32_t offset, uint8_t* to, uint32_t count) const {
    CriticalSection::Hold hold(m_reading);
    LONG high = 0;
    if (SetFilePointer(m_file.Get(), static_cast<LONG>(offset), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        ThrowFileError("SetFilePointer()");
    while (count > 0) {
        DWORD got = 0;
        if (!ReadFile(m_file.Get(), to, count, &got, nullptr)) ThrowFileError("ReadFile()");
        if (got == 0) {   // the file is shorter than its section table says
            SetLastError(ERROR_HANDLE_EOF);
            ThrowFileError("ReadFile()");
        }
        to += got;
        count -= got;
    }
}
