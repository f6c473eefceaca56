#include "installer/actions/UninstallRegAction.h"

#include "NoCrtLib/Console.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/InstallOptions.h"
#include "installer/actions/UninstallParams.h"
#include "installer/actions/UninstallRegPlan.h"
#include "platform/RegKey.h"
#include "ui/Prompt.h"

#include <windows.h>

#include <exception>

UninstallRegAction::UninstallRegAction(const std::string& keyName, const std::string& displayName,
                                       const std::string& version)
    : m_keyPath(UninstallKeyPath(keyName)) {
    // Values an older version wrote and this one does not must not survive.
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_keyPath.c_str());
    ConsoleLine("Registering uninstaller");

    try {
        UninstallRegInput input;
        input.keyName = keyName;
        input.displayName = displayName;
        input.version = version;
        input.uninstallerPath = Options().uninstallerPath;
        input.installDir = Options().installDir;
        auto write = [&](const RegStringValues& values, std::size_t from, std::size_t to) {
            for (std::size_t i = from; i < to; ++i)
                RegWriteString(HKEY_LOCAL_MACHINE, m_keyPath, values[i].first, values[i].second, false);
        };
        write(UninstallRegValues(input), 0, UninstallValuesBeforeOwnItem);
        // The key's own item goes in before the string is stored, so it is the last one.
        AppendUninstallParam("delRegKey", "HKEY_LOCAL_MACHINE\\" + m_keyPath);
        input.uninstallParams = Options().UninstallParams;
        const RegStringValues values = UninstallRegValues(input);
        write(values, UninstallValuesBeforeOwnItem, values.size());
        m_registered = true;
    } catch (const std::exception& e) {
        Prompt::ContinueOrAbort(UninstallRegFailureQuestion(e.what()));
    }
}

UninstallRegAction::~UninstallRegAction() {
    if (m_registered && ShouldUndo()) Rollback();
}

void UninstallRegAction::Rollback() noexcept {
    try {
        ConsoleLine("Rollback: unregistering uninstaller");
        const LONG code = RegDeleteKeyA(HKEY_LOCAL_MACHINE, m_keyPath.c_str());
        if (code == ERROR_SUCCESS) return;
        const std::string reason = WinErrorText(static_cast<DWORD>(code));
        ConsoleLine("Uninstaller unregistration failed: " + reason);
        Prompt::ReportError("Unable to unregister previously registered uninstaller.\nReason: " + reason,
                            "Uninstaller Unregistration Failed");
    } catch (...) {
        // Rollback goes on with the next action whatever happens here.
    }
}
