#include "installer/actions/ShortcutAction.h"

#include "NoCrtLib/AnsiCodec.h"
#include "NoCrtLib/Console.h"
#include "NoCrtLib/WWLibExceptions.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/InstallOptions.h"
#include "installer/actions/ShortcutPlan.h"
#include "installer/actions/TargetFile.h"
#include "installer/actions/UninstallParams.h"
#include "platform/ComInstance.h"
#include "platform/DeferredDeletion.h"
#include "ui/Prompt.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

namespace {

// COM for this thread while one shortcut is made. Only a successful CoInitializeEx is
// balanced: after a refusal (the thread is already in another apartment) CoUninitialize
// would end the caller's own initialisation.
class ComApartment {
public:
    ComApartment() : m_initialized(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (m_initialized) CoUninitialize();
    }

private:
    bool m_initialized;
};

}  // namespace

ShortcutAction::ShortcutAction(const std::string& linkPath, const std::string& targetPath,
                               const std::string& arguments, const std::string& workingFolder,
                               const std::string& description, const std::string& iconFile, int32_t iconIndex)
    : m_path(linkPath) {
    ConsoleLine("Creating shortcut " + m_path);
    // An existing link goes back on rollback, over the new one.
    if (KeepAside(m_path).empty()) Record({UndoKind::Shortcut, {m_path}});

    std::string reason;
    {
        ComApartment apartment;  // outlives the interfaces below
        try {
            ComInstance<IShellLinkA> link(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA);
            link->SetPath(targetPath.c_str());
            if (!arguments.empty()) link->SetArguments(arguments.c_str());
            if (!workingFolder.empty()) link->SetWorkingDirectory(workingFolder.c_str());
            if (!description.empty()) link->SetDescription(description.c_str());
            link->SetIconLocation(iconFile.empty() ? targetPath.c_str() : iconFile.c_str(), iconIndex);

            ComInstance<IPersistFile> file = link.Query<IPersistFile>(IID_IPersistFile);
            const std::u16string widePath = AnsiToWide(m_path);
            if (FAILED(file->Save(reinterpret_cast<LPCOLESTR>(widePath.c_str()), TRUE))) {
                reason = "IPersistFile::Save() failed";
            } else {
                AppendUninstallParam("delFile", m_path);
                m_created = true;
                // An earlier run may have left this path scheduled for deletion at restart.
                if (CancelDeleteAtRestart(m_path)) Record({UndoKind::Restart, {m_path}});
            }
        } catch (const WWLib::ComException& e) {
            reason = ShortcutFailureReason(e.what());
        }
    }
    if (m_created) return;
    // A link half saved goes, and the one that was there comes back.
    UndoRecorded();
    // Asked with COM released: the question may end the run.
    Prompt::ContinueOrAbort(ShortcutFailureQuestion(m_path, reason), PromptMode());
}

ShortcutAction::~ShortcutAction() {
    if (ShouldUndo()) UndoRecorded();
}

void ShortcutAction::Commit() {
    InstallAction::Commit();
    KeepRecorded();
}

void ShortcutAction::RemoveShortcut(const std::string& path) {
    static const RollbackRemovalTexts texts = {
        "Rollback: removing previously created shortcut ", "Shortcut deletion failed: ",
        ShortcutRemovalSentence, "Shortcut Removal Failed",
        // Callers and documentation match these exact texts ("remove" where the other actions say
        // "removing" or "deletion"), so they must not be corrected.
        "Scheduling remove shortcut on reboot", "Scheduling remove shortcut failed"};
    RollbackRemove(path, [](const std::string& p) { return DeleteFileA(p.c_str()) != FALSE; }, texts);
}
