#include "installer/actions/ResourceLoader.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/actions/InflateZlib.h"
#include "installer/actions/ResourceReader.h"
#include "platform/Handles.h"

#include <windows.h>

#include <stdexcept>

namespace {

class OutputFile {
public:
    explicit OutputFile(const std::string& path)
        : m_h(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (!m_h)
            throw std::runtime_error("CreateFileA() failed: " + WinErrorText(GetLastError()));
        m_existed = GetLastError() == ERROR_ALREADY_EXISTS;
    }
    bool Existed() const { return m_existed; }

    void Write(const unsigned char* data, std::size_t size) {
        while (size > 0) {
            DWORD piece = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
            DWORD written = 0;
            if (!WriteFile(m_h.Get(), data, piece, &written, nullptr) || written == 0)
                throw std::runtime_error("WriteFile() failed: " + WinErrorText(GetLastError()));
            data += written;
            size -= written;
        }
    }

    // Keeps the last error: cleanup must not change the code we report.
    void Close() { m_h.Reset(); }

private:
    FileHandle m_h;
    bool m_existed = false;
};

}  // namespace

void ExtractZlibResource(const std::string& path, unsigned id) {
    ResourceReader resource(OwnImageFile::Held(), id, "BINARY");
    OutputFile file(path);
    try {
        InflateZlib(resource, [&file](const unsigned char* data, std::size_t size) { file.Write(data, size); });
        file.Close();
    } catch (...) {
        // A half-written new file would keep the folder's rollback from removing the
        // folder; a file that was there before is not ours to delete.
        file.Close();
        if (!file.Existed()) DeleteFileA(path.c_str());
        throw;
    }
}
