#include "installer/actions/WriteFilesFromLzmaStream.h"

#include "NoCrtLib/Console.h"
#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/InstallOptions.h"
#include "installer/Product.h"
#include "installer/actions/LzmaAloneDecoder.h"
#include "installer/actions/ResourceReader.h"
#include "installer/actions/TargetFile.h"
#include "platform/DeferredDeletion.h"
#include "platform/WindowsVersionInfo.h"

#include <windows.h>

WriteFilesFromLzmaStream::~WriteFilesFromLzmaStream() {
    m_output.Reset();  // a file left open by a failed extraction could not be deleted
    const bool undo = ShouldUndo();
    while (!m_written.empty()) {
        Written& file = m_written.back();
        EndWrite(undo, file.path, file.kept, file.cancelledDeletion, RollbackDeleteFile);
        m_written.pop_back();
    }
}

void WriteFilesFromLzmaStream::Commit() {
    InstallAction::Commit();
    for (Written& file : m_written) file.kept.Discard();
}

void WriteFilesFromLzmaStream::Extract(unsigned resourceId, const std::string& targetFolder) {
    m_targetFolder = targetFolder;
    // Read from the file in pieces: the image need not hold the package in memory.
    ResourceReader package(OwnImageFile::Held(), resourceId, "BINARY");
    if (package.Size() < LzmaAloneDecoder::HeaderSize)
        throw InstallError("WriteFilesFromLzmaStream: insufficient stream length");
    LzmaAloneDecoder decoder(package);
    PackageStreamParser parser(*this, WindowsVersionInfo().WindowsVersion().a);
    for (auto piece = decoder.Next(); piece.count; piece = decoder.Next())
        parser.ProcessOutBytes(piece.bytes, piece.count);
    parser.Finish();
}

void WriteFilesFromLzmaStream::BeginFile(const PackageStreamParser::File& file) {
    if (file.uninstaller)
        m_path = Options().uninstallerPath;
    else
        m_path = JoinPath(m_targetFolder, file.name);
    AddFileUninstallParam(m_path);
    if (!CreateNewFile()) {
        KeptAside kept;
        if (TargetExists(m_path)) {
            ConfirmOverwrite(m_path);
            kept = KeptAside(m_path);
        }
        ConsoleLine("Installing " + m_path);
        m_output.Reset(CreateFileA(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!m_output)
            throw InstallError("Error creating target installation file '" + m_path +
                               "' - CreateFile() failed with the following error: " +
                               WinErrorText(GetLastError()));
        // Recorded once it exists: a partly written file is rolled back too, a path that
        // could not be created is not.
        m_written.push_back({m_path, std::move(kept), false});
    }
    // An earlier run may have left this path scheduled for deletion at restart.
    m_written.back().cancelledDeletion = m_pending.Cancel(m_path);
}

// Nearly every file is new. Creating it exclusively learns that with one lookup of the name,
// where the existence test and the creation take two, and under Wine each lookup of a name
// that is not there reads the whole folder. Any failure, an existing file or folder among
// them, leaves nothing behind and takes the full way.
bool WriteFilesFromLzmaStream::CreateNewFile() {
    m_output.Reset(CreateFileA(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_output) return false;
    m_written.push_back({m_path, KeptAside(), false});
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
