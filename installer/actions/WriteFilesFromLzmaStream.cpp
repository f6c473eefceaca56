#include "installer/actions/WriteFilesFromLzmaStream.h"

#include "NoCrtLib/AnsiText.h"
#include "NoCrtLib/Console.h"
#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/InstallOptions.h"
#include "installer/Product.h"
#include "installer/actions/TargetFile.h"
#include "platform/ConsoleStop.h"
#include "platform/DeferredDeletion.h"
#include "platform/WindowsVersionInfo.h"

#include <windows.h>

#include <set>

WriteFilesFromLzmaStream::~WriteFilesFromLzmaStream() {
    m_output.Reset();  // a file left open by a failed extraction could not be deleted
    if (ShouldUndo()) UndoRecorded();
}

void WriteFilesFromLzmaStream::Commit() {
    InstallAction::Commit();
    KeepRecorded();
}

void WriteFilesFromLzmaStream::Extract(LzmaAloneDecoder& package, const std::string& targetFolder,
                                       const std::vector<std::string>& names) {
    m_targetFolder = targetFolder;
    EnterNewFiles(names);
    PackageStreamParser parser(*this, WindowsVersionInfo().WindowsVersion().a);
    for (auto piece = package.Next(); piece.count; piece = package.Next())
        parser.ProcessOutBytes(piece.bytes, piece.count);
    parser.Finish();
}

std::string WriteFilesFromLzmaStream::TargetPath(const std::string& name) const {
    return name.empty() ? Options().uninstallerPath : JoinPath(m_targetFolder, name);
}

// The files the package is about to make, in one entry flushed once instead of one per
// file. Only names that nothing has now are listed: undoing the entry must never delete a
// file that was there. The folder is read once; a lookup per name would read it each time.
void WriteFilesFromLzmaStream::EnterNewFiles(const std::vector<std::string>& names) {
    std::set<std::string> present;
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(JoinPath(m_targetFolder, "*").c_str(), &data));
    if (find) {
        do present.insert(LowerAscii(JoinPath(m_targetFolder, data.cFileName)));
        while (FindNextFileA(find.Get(), &data));
    }
    const std::string folderPrefix = LowerAscii(JoinPath(m_targetFolder, ""));
    UndoEntry entry{UndoKind::Files, {}};
    for (const std::string& name : names) {
        const std::string path = TargetPath(name);
        const std::string key = LowerAscii(path);
        const bool inFolder = key.compare(0, folderPrefix.size(), folderPrefix) == 0 &&
                              FindChar(key, '\\', folderPrefix.size()) == std::string::npos;
        if (inFolder ? present.count(key) != 0 : TargetExists(path)) continue;
        if (m_newFiles.insert(key).second) entry.fields.push_back(path);
    }
    Record(std::move(entry));
}

void WriteFilesFromLzmaStream::BeginFile(const PackageStreamParser::File& file) {
    ThrowIfStopRequested();
    m_path = TargetPath(file.uninstaller ? std::string() : file.name);
    AddFileUninstallParam(m_path);
    const bool entered = m_newFiles.count(LowerAscii(m_path)) != 0;
    if (!entered || !CreateNewFile()) {
        // Listed as new, yet there after all: whatever is there is not this run's to delete.
        if (entered) Record({UndoKind::NotOurs, {m_path}});
        EnterFileWrite(m_path);
        ConsoleLine("Installing " + m_path);
        m_output.Reset(CreateFileA(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_output)
            throw InstallError("Error creating target installation file '" + m_path +
                               "' - CreateFile() failed with the following error: " +
                               WinErrorText(GetLastError()));
    }
    // An earlier run may have left this path scheduled for deletion at restart.
    if (m_pending.Cancel(m_path)) Record({UndoKind::Restart, {m_path}});
}

// Nearly every file is new. Creating it exclusively learns that with one lookup of the name,
// where the existence test and the creation take two, and under Wine each lookup of a name
// that is not there reads the whole folder. Any failure, an existing file or folder among
// them, leaves nothing behind and takes the full way.
bool WriteFilesFromLzmaStream::CreateNewFile() {
    m_output.Reset(CreateFileA(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_output) return false;
    ConsoleLine("Installing " + m_path);
    return true;
}

void WriteFilesFromLzmaStream::FileData(const uint8_t* bytes, size_t count) {
    DWORD written = 0;
    if (!WriteFile(m_output.Get(), bytes, static_cast<DWORD>(count), &written, nullptr))
        throw InstallError("Error writing to target installation file '" + m_path +
                           "' - WriteFile() failed with the following error: " + WinErrorText(GetLastError()));
    if (written != count)
        throw InstallError("Error writing to target installation file '" + m_path + "' - WriteFile() wrote " +
                           std::to_string(written) + " bytes instead of " + std::to_string(count));
}

void WriteFilesFromLzmaStream::EndFile() { m_output.Reset(); }
