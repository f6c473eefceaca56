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

#include <vector>

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
    // The missing parents, nearest first. Their items follow the folder's own: the
    // uninstaller removes the deepest folder first.
    std::vector<std::string> folders{m_path};
    for (std::string parent = CreatableParent(m_path); !parent.empty() && !IsFolder(parent);
         parent = CreatableParent(parent))
        folders.push_back(parent);
    for (const std::string& folder : folders) AppendUninstallParam("delDir", folder);
    try {
        for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) Make(*folder);
    } catch (...) {
        // No action is left to undo the parents made so far.
        if (ShouldUndo()) UndoRecorded();
        throw;
    }
}

TargetDirAction::~TargetDirAction() {
    if (ShouldUndo()) UndoRecorded();
}

void TargetDirAction::Make(const std::string& folder) {
    if (Exists(folder)) {
        // Never removed (nothing entered); only a cancelled deletion at restart is undone.
        if (IsKnownNonFolder(folder)) FailNotAFolder(folder);
    } else {
        Record({UndoKind::Folder, {folder}});
        if (!CreateDirectoryA(folder.c_str(), nullptr)) FailFolderCreation(folder, WinErrorText(GetLastError()));
    }
    // An earlier run may have left this folder scheduled for removal at restart.
    if (CancelDeleteAtRestart(folder)) Record({UndoKind::Restart, {folder}});
}
