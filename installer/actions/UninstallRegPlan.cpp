#include "installer/actions/UninstallRegPlan.h"

#include "NoCrtLib/ExitCodes.h"
#include "installer/Product.h"
#include "platform/UninstallRecord.h"

const char* const UninstallParentKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string UninstallKeyPath(const std::string& keyName) { return JoinPath(UninstallParentKey, keyName); }

std::string UninstallString(const std::string& uninstallerPath, const std::string& keyName) {
    return "\"" + uninstallerPath + "\" " + keyName + " ";
}

RegStringValues UninstallRegValues(const UninstallRegInput& input) {
    RegStringValues values{
        {"DisplayName", input.displayName},
        {"DisplayIcon", input.uninstallerPath},
        {"UninstallString", UninstallString(input.uninstallerPath, input.keyName)},
        {"UninstallParam", input.uninstallParams},
        {"InstallDir", input.installDir},
        {"Version", input.version},
    };
    if (!input.previousFileTypes.empty()) values.push_back({PreviousFileTypesValue, input.previousFileTypes});
    return values;
}

Prompt::ContinueQuestion UninstallRegFailureQuestion(const std::string& reason) {
    Prompt::ContinueQuestion q;
    // Callers and documentation match this exact text (no full stop after the reason, unlike the
    // other questions), so it must not be corrected.
    q.boxText = "Warning: uninstaller registration failed.\nReason: " + reason +
                "\nDo you want to continue with the installation anyway?";
    q.caption = "Uninstaller Registration Failed";
    q.cancelLine = "Installation canceled by user (uninstaller registration failed)";
    q.warningLine = "Warning: uninstaller registration failed: " + reason;
    q.abortLine = "Uninstaller registration failed: " + reason + ", aborting";
    q.exitCode = ExitUninstallRegFailed;
    return q;
}
