#include "installer/actions/TargetDirAction.h"

#include "NoCrtLib/AnsiText.h"
#include "NoCrtLib/Console.h"
#include "NoCrtLib/ExitCodes.h"
#include "NoCrtLib/SilentExit.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/InstallOptions.h"
#include "installer/actions/TargetFile.h"
#include "installer/actions/UninstallParams.h"
#include "platform/DeferredDeletion.h"
#include "platform/Handles.h"
#include "ui/Prompt.h"

#include <windows.h>

namespace {

// The folder that holds path, or "" when there is none to create: no backslash, a
// drive ("C:"), or the server part of a network path ("\\server").
std::string CreatableParent(const std::string& path) {
    // A trailing backslash ends the folder's own name, not its parent's.
    std::string name = path;
    while (EndsWithChar(name, '\\')) name.pop_back();
    const std::string::size_type slash = FindLastChar(name, '\\');
    if (slash == std::string::npos) return {};
    std::string parent = path.substr(0, slash);
    if (parent.empty() || parent == path) return {};
    if (parent.size() == 2 && parent[1] == ':') return {};
    if (parent.compare(0, 2, "\\\\") == 0 && FindLastChar(parent, '\\') == 1) return {};
    return parent;
}

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A failing attribute query counts as a folder: only a known file is refused.
bool IsKnownNonFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Exists(const std::string& path) {
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(path.c_str(), &data));
    if (find) return true;
    // FindFirstFileA cannot find a drive root or a path with a trailing backslash;
    // such a folder exists all the same and must not be "created" (that would fail).
    return IsFolder(path);
}

}  // namespace

std::string FolderCreationText(const std::string& path, const std::string& reason) {
    return "Unable to create target directory '" + path + "': " + reason;
}

std::string NotAFolderText(const std::string& path) {
    return FolderCreationText(path, "The specified target path already exists and is not a directory");
}

void FailNotAFolder(const std::string& path) {
    const std::string problem = NotAFolderText(path);
    if (Options().interactive) {
        Prompt::ReportError(problem + ".", "Invalid Target Directory", PromptMode());
        throw SilentExit(ExitTargetDirInvalid);
    }
    ConsoleLine(problem + ", aborting");
    throw SilentExit(ExitTargetDirFailed);
}

void FailFolderCreation(const std::string& path, const std::string& reason) {
    const std::string problem = FolderCreationText(path, reason);
    if (Options().interactive) {
        Prompt::ReportError(problem, "Directory Creation Failed", PromptMode());
        throw SilentExit(ExitTargetDirFailed);
    }
    ConsoleLine(problem);
    throw SilentExit(ExitTargetDirCreationFailed);
}

TargetDirAction::TargetDirAction(const std::string& path) : m_path(path) {
    // Before the parents' items: the uninstaller removes the deepest folder first.
    AppendUninstallParam("delDir", m_path);

    std::string parent = CreatableParent(m_path);
    if (!parent.empty() && !IsFolder(parent)) m_parent = std::make_unique<TargetDirAction>(parent);
    // From here a throw destroys m_parent, which removes the parents made above.

    if (Exists(m_path)) {
        // Never removed (m_created stays clear); only a cancelled deletion at restart is undone.
        if (IsKnownNonFolder(m_path)) FailNotAFolder(m_path);
    } else if (CreateDirectoryA(m_path.c_str(), nullptr)) {
        m_created = true;
    } else {
        FailFolderCreation(m_path, WinErrorText(GetLastError()));
    }

    // An earlier run may have left this folder scheduled for removal at restart.
    m_cancelledDeletion = CancelDeleteAtRestart(m_path);
}

TargetDirAction::~TargetDirAction() {
    if (ShouldUndo()) {
        if (m_created) Rollback();
        // Scheduled after the folder's files, so the restart finds it empty.
        if (m_cancelledDeletion) DeleteAtRestart(m_path);
    }
    // m_parent is destroyed after this, so parents are removed after their child.
}

void TargetDirAction::Commit() {
    InstallAction::Commit();
    if (m_parent) m_parent->Commit();
}

void TargetDirAction::Rollback() noexcept {
    static const RollbackRemovalTexts texts = {
        "Rollback: removing previously created ", "Rollback: error removing directory: ",
        "The directory will be scheduled for removal on reboot.", "Directory Deletion Failed",
        "Scheduling removing directory on reboot", "Scheduling removing directory failed"};
    RollbackRemove(m_path, [](const std::string& p) { return RemoveDirectoryA(p.c_str()) != FALSE; }, texts);
}
