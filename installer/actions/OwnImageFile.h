#pragma once
// This executable's own file, opened once and held for the whole run, shared for reading
// only: while the run lasts the file can be neither renamed nor replaced, so the streams
// checked before the first change are the ones extracted after an earlier uninstaller has
// run, however long that takes. Opened by its wide name on the NT family, so the program
// runs from a folder whose name the ANSI code page lacks.
#include "platform/CriticalSection.h"
#include "platform/Handles.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class OwnImageFile {
public:
    // The process's one instance, opened at the first call (the driver makes it at
    // start-up). Errors are InstallError with the Windows reason ("GetModuleFileNameW()
    // failed: ...", "CreateFileW() failed: ...", "ReadFile() failed: ...", the A functions
    // on 9x), or "The installer's file '<path>' is not the running program" when its
    // headers differ from the loaded image's.
    static OwnImageFile& Held();

    // Where the image bytes [rva, rva + size) lie in the file; none when no section holds
    // them there.
    std::optional<uint32_t> Offset(uint32_t rva, uint32_t size) const;
    // Reads count bytes at offset (each reader keeps its own position; readers on other
    // threads wait their turn). A short file is "ReadFile() failed: ..." with ERROR_HANDLE_EOF.
    void Read(uint32_t offset, uint8_t* to, uint32_t count) const;
    // The file's path for texts; what the ANSI code page lacks as <U+XXXX>.
    const std::string& PathText() const { return m_pathText; }

private:
    OwnImageFile();

    FileHandle m_file;
    mutable CriticalSection m_reading;   // the file position is shared
    std::string m_pathText;
    std::vector<uint8_t> m_headers;
};
