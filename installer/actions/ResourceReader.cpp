#include "installer/actions/ResourceReader.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/actions/PeFileOffset.h"
#include "installer/actions/ResourceLoader.h"

#include <windows.h>

#include <algorithm>
#include <string>

namespace {

[[noreturn]] void ThrowFileError(const char* call) {
    throw InstallError(std::string(call) + " failed: " + WinErrorText(GetLastError()));
}

std::string ModulePath() {
    char path[MAX_PATH + 1];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    if (length == 0) ThrowFileError("GetModuleFileNameA()");
    if (length >= sizeof path) {   // cut short (older systems say nothing about it)
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        ThrowFileError("GetModuleFileNameA()");
    }
    return std::string(path, length);
}

// Enough for the headers and the section table of any image the linker makes.
const DWORD HeaderBytes = 0x1000;

}  // namespace

ResourceReader::ResourceReader(unsigned id, const char* type, size_t pieceSize) {
    // LoadResource and LockResource only compute where the resource lies in the image;
    // none of its pages is touched.
    ResourceBytes loaded = LoadBinaryResource(id, type);
    const auto* image = reinterpret_cast<const uint8_t*>(GetModuleHandleA(nullptr));
    const auto rva = static_cast<uint32_t>(loaded.data - image);
    m_size = m_left = static_cast<uint32_t>(loaded.size);

    const std::string path = ModulePath();
    m_file.Reset(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!m_file) ThrowFileError("CreateFileA()");
    std::vector<uint8_t> headers(HeaderBytes);
    DWORD got = 0;
    if (!ReadFile(m_file.Get(), headers.data(), HeaderBytes, &got, nullptr)) ThrowFileError("ReadFile()");
    const auto offset = PeFileOffset(headers.data(), got, rva, m_size);
    if (!offset)
        throw InstallError("ResourceReader: resource " + std::to_string(id) + " is not in the sections of '" + path +
                           "'");
    LONG high = 0;
    if (SetFilePointer(m_file.Get(), static_cast<LONG>(*offset), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER &&
        GetLastError() != NO_ERROR)
        ThrowFileError("SetFilePointer()");
    m_buffer.resize(std::min<size_t>(pieceSize, m_size));
}

BytePiece ResourceReader::Next() {
    const auto count = static_cast<uint32_t>(std::min<size_t>(m_left, m_buffer.size()));
    if (count == 0) return {nullptr, 0};
    Read(m_buffer.data(), count);
    m_left -= count;
    return {m_buffer.data(), count};
}

void ResourceReader::Read(uint8_t* to, uint32_t count) {
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
