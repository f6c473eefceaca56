#include "installer/actions/ShortcutPlan.h"

#include "NoCrtLib/ExitCodes.h"
#include "installer/actions/TargetFile.h"

std::string ShortcutFailureReason(const std::string& comMessage) {
    if (!comMessage.empty() && comMessage.back() == '.') return comMessage.substr(0, comMessage.size() - 1);
    return comMessage;
}

Prompt::ContinueQuestion ShortcutFailureQuestion(const std::string& path, const std::string& reason) {
    Prompt::ContinueQuestion q;
    q.boxText = "Warning: creating shortcut '" + path + "' failed.\nReason: " + reason +
                ".\nDo you want to continue with the installation anyway?";
    q.caption = "Creating Shortcut Failed";
    q.cancelLine = "Installation canceled by user (creating shortcut failed)";
    // Callers and documentation match this exact text (no opening quote before the path), so it
    // must not be corrected.
    q.warningLine = "Warning: creating shortcut " + path + "' failed: " + reason;
    q.abortLine = "Creating shortcut '" + path + "' failed: " + reason + ", aborting";
    q.exitCode = ExitShortcutFailed;
    return q;
}

const char* const ShortcutRemovalSentence = "The shortcut will be scheduled for removal on reboot.";

std::string ShortcutRemovalFailureBox(const std::string& path, const std::string& reason) {
    return RollbackRemovalBox(path, reason, ShortcutRemovalSentence);
}
