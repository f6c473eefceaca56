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
    if (!ShouldUndo()) return;
    while (!m_created.empty()) {
        RollbackDeleteFile(m_created.back());
        m_created.pop_back();
    }
}

void WriteFilesFromLzmaStream::Extract(unsigned resourceId, const std::string& targetFolder) {
    m_targetFolder = targetFolder;
    // Read from the file in pieces: the image need not hold the package in memory.
    ResourceReader package(resourceId, "BINARY");
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
    if (CreateNewFile()) return;
    if (TargetExists(m_path))
        ConfirmOverwrite(m_path);
    else
        m_created.push_back(m_path);  // before creation: a partly written file is rolled back too
    ConsoleLine("Installing " + m_path);
    CancelDeleteAtRestart(m_path);
    m_output.Reset(CreateFileA(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_output)
        throw InstallError("Error creating target installation file '" + m_path +
                           "' - CreateFile() failed with the following error: " + WinErrorText(GetLastError()));
}

// Nearly every file is new. Creating it exclusively learns that with one lookup of the name,
// where the existence test and the creation take two, and under Wine each lookup of a name
// that is not there reads the whole folder. CancelDeleteAtRestart finds a scheduled deletion
// by the target's short name, which a file that did not exist has not, so for a new file it
// has nothing to do. Any failure, an existing file or folder among them, leaves nothing
// behind and takes the full way.
bool WriteFilesFromLzmaStream::CreateNewFile() {
    m_created.push_back(m_path);   // before creation, as below
    m_output.Reset(CreateFileA(m_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!m_output) {
        m_created.pop_back();
        return false;
    }
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
