#include "installer/actions/RunRecord.h"

#include "NoCrtLib/Console.h"
#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/JoinPath.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "platform/AnsiPath.h"
#include "ui/ProductNames.h"

#include <windows.h>

#include <vector>

namespace {

RunRecord* s_current = nullptr;

std::string UserName() {
    char name[257] = {};
    DWORD size = sizeof name;
    // 9x without a logon gives no name; one record per machine is right there.
    return GetUserNameA(name, &size) ? std::string(name) : std::string();
}

std::string RecordName() { return std::string(ProductFullName) + " " + UserName() + ".qxrun"; }

// Where a record may be, most durable place first.
std::vector<std::string> RecordPaths() {
    std::vector<std::string> paths;
    char folder[MAX_PATH + 1];
    UINT length = GetWindowsDirectoryA(folder, sizeof folder);
    if (length && length < sizeof folder) paths.push_back(JoinPath(folder, RecordName()));
    try {
        paths.push_back(JoinPath(AnsiPath::TempFolder(), RecordName()));
    } catch (const AnsiPath::Err&) {
        // The Windows folder alone, then.
    }
    return paths;
}

bool ReadWhole(const std::string& path, std::string& text) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
    return true;
}

}  // namespace

RunRecord::RunRecord() : m_previous(s_current) {
    DWORD error = ERROR_PATH_NOT_FOUND;
    for (const std::string& path : RecordPaths()) {
        // Write-through: the entry is on disk before the change it announces.
        m_file.Reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
        if (m_file) {
            m_path = path;
            break;
        }
        error = GetLastError();
    }
    if (!m_file) throw InstallError("Unable to start the installation record: " + WinErrorText(error));
    Write(RunRecordHeader(ProductShortName, UserName()));
    s_current = this;
}

RunRecord::~RunRecord() {
    s_current = m_previous;
    m_file.Reset();
    DeleteFileA(m_path.c_str());
}

void RunRecord::Enter(const UndoEntry& entry) {
    if (s_current) s_current->Write(FormatUndoEntry(entry));
}

void RunRecord::MarkCommitted() { Write(std::string(RunRecordCommitted) + "\n"); }

void RunRecord::Write(const std::string& line) {
    DWORD written = 0;
    if (!WriteFile(m_file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ||
        written != line.size() || !FlushFileBuffers(m_file.Get()))
        throw InstallError("Unable to write the installation record '" + m_path + "': " +
                           WinErrorText(GetLastError()));
}

void RecoverInterruptedRun() {
    for (const std::string& path : RecordPaths()) {
        std::string text;
        if (!ReadWhole(path, text)) continue;
        const ParsedRunRecord record = ParseRunRecord(text, ProductShortName, UserName());
        if (!record.ours) continue;
        if (record.committed) {
            KeepEntries(record.entries);
        } else {
            ConsoleLine("An interrupted installation is being undone");
            UndoEntries(record.entries);
        }
        DeleteFileA(path.c_str());
    }
}
