#include "installer/actions/TargetFileAction.h"

#include "NoCrtLib/Console.h"
#include "installer/InstallOptions.h"
#include "installer/actions/ResourceLoader.h"
#include "installer/actions/TargetFile.h"
#include "platform/DeferredDeletion.h"

#include <windows.h>

TargetFileAction::TargetFileAction(unsigned resourceId, const std::string& path)
    : m_path(path.empty() ? Options().uninstallerPath : path) {
    AddFileUninstallParam(m_path);
    try {
        EnterFileWrite(m_path);
        ConsoleLine("Installing " + m_path);
        ExtractZlibResource(m_path, resourceId);
        // An earlier run may have left this path scheduled for deletion at restart.
        if (CancelDeleteAtRestart(m_path)) Record({UndoKind::Restart, {m_path}});
    } catch (...) {
        // A partly written file goes, and the file it replaced comes back.
        if (ShouldUndo()) UndoRecorded();
        throw;
    }
}

TargetFileAction::~TargetFileAction() {
    if (ShouldUndo()) UndoRecorded();
}

void TargetFileAction::Commit() {
    InstallAction::Commit();
    KeepRecorded();
}
