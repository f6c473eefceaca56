#include "installer/actions/KeptAside.h"

#include "NoCrtLib/Console.h"
#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/InstallOptions.h"
#include "platform/DeferredDeletion.h"
#include "ui/Prompt.h"

#include <windows.h>

#include <utility>

namespace {

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_FILE_NOT_FOUND;
}

}  // namespace

KeptAside::KeptAside(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    DWORD error = ERROR_ALREADY_EXISTS;
    // A name of the same folder nobody uses; one that appears meanwhile only costs a retry.
    for (unsigned n = 1; n <= 100 && error == ERROR_ALREADY_EXISTS; ++n) {
        const std::string aside = path + ".qx" + std::to_string(n) + ".kept";
        if (Exists(aside)) continue;
        // A file held open without delete sharing cannot be renamed but may still be read.
        if (MoveFileA(path.c_str(), aside.c_str()) || CopyFileA(path.c_str(), aside.c_str(), TRUE)) {
            m_path = path;
            m_aside = aside;
            return;
        }
        error = GetLastError();
        if (error == ERROR_FILE_EXISTS) error = ERROR_ALREADY_EXISTS;
    }
    throw InstallError("Unable to keep a copy of '" + path + "' - CopyFile() failed with the following error: " +
                       WinErrorText(error));
}

KeptAside::KeptAside(KeptAside&& o) noexcept
    : m_path(std::move(o.m_path)), m_aside(std::exchange(o.m_aside, std::string())) {}

KeptAside& KeptAside::operator=(KeptAside&& o) noexcept {
    if (this != &o) {
        PutBack();
        m_path = std::move(o.m_path);
        m_aside = std::exchange(o.m_aside, std::string());
    }
    return *this;
}

bool KeptAside::PutBack() noexcept {
    if (m_aside.empty()) return true;
    if (!MoveFileExA(m_aside.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING)) return false;
    m_aside.clear();
    return true;
}

void KeptAside::Restore() noexcept {
    if (m_aside.empty()) return;
    try {
        ConsoleLine("Rollback: restoring " + m_path);
        if (PutBack()) return;
        const std::string reason = WinErrorText(GetLastError());
        ConsoleLine("File restoration failed: " + reason);
        Prompt::ReportError("Unable to restore '" + m_path + "'.\nReason: " + reason +
                                "\nThe previous file is kept as '" + m_aside + "'.",
                            "File Restoration Failed", PromptMode());
    } catch (...) {
        // Rollback goes on with the next action whatever happens here.
    }
    m_aside.clear();  // reported: the copy stays where the user was told it is
}

void KeptAside::Discard() noexcept {
    if (m_aside.empty()) return;
    SetFileAttributesA(m_aside.c_str(), FILE_ATTRIBUTE_NORMAL);  // a read-only file refuses deletion
    if (!DeleteFileA(m_aside.c_str())) DeleteAtRestart(m_aside);
    m_aside.clear();
}
