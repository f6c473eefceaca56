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
        ConfirmOverwrite(m_path);
        m_kept = KeptAside(m_path);
    }
    ConsoleLine("Installing " + m_path);
    ExtractZlibResource(m_path, resourceId);
    // An earlier run may have left this path scheduled for deletion at restart.
    m_cancelledDeletion = CancelDeleteAtRestart(m_path);
}

TargetFileAction::~TargetFileAction() {
    EndWrite(ShouldUndo(), m_path, m_kept, m_cancelledDeletion, RollbackDeleteFile);
}

void TargetFileAction::Commit() {
    InstallAction::Commit();
    m_kept.Discard();
}
