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
    if (TargetExists(m_path)) {
        Commit();  // what was there before is never deleted by rollback
        ConfirmOverwrite(m_path);
    }
    ConsoleLine("Installing " + m_path);
    ExtractZlibResource(m_path, resourceId);
    // An earlier rollback may have left this path scheduled for deletion at restart.
    CancelDeleteAtRestart(m_path);
}

TargetFileAction::~TargetFileAction() {
    if (ShouldUndo()) RollbackDeleteFile(m_path);
}
