#include "installer/actions/FileAssocPlan.h"

#include "NoCrtLib/ExitCodes.h"
#include "installer/Product.h"

const char* const ClassesSubKey = "SOFTWARE\\Classes";
const char* const ClassesKeyName = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes";

std::vector<FileAssocStep> FileAssocSteps(const std::string& progId, const std::string& extension,
                                          const std::string& description, const std::string& icon,
                                          const FileAssocVerbs& verbs) {
    std::vector<FileAssocStep> steps;
    auto set = [&](const std::string& key, const std::string& value) {
        steps.push_back({FileAssocStep::SetDefault, key, value});
    };
    auto list = [&](const std::string& key) { steps.push_back({FileAssocStep::AppendDelRegKey, key, {}}); };

    set(extension, progId);
    list(extension);
    set(progId, description);
    set(JoinPath(progId, "DefaultIcon"), icon);
    if (!verbs.empty()) {
        const std::string shell = JoinPath(progId, "Shell");
        set(shell, verbs.front().first);
        for (const auto& verb : verbs) {
            const std::string verbKey = JoinPath(shell, verb.first);
            const std::string commandKey = JoinPath(verbKey, "command");
            set(verbKey, verb.first);
            set(commandKey, verb.second);
            list(commandKey);
            list(verbKey);
        }
        list(shell);
    }
    list(progId);
    return steps;
}

std::string ClassesKeyFullName(const std::string& key) { return JoinPath(ClassesKeyName, key); }

std::string ProgIdDisplayForm(const std::string& value) {
    const std::string::size_type first = value.find('.');
    if (first == std::string::npos) return value;
    const std::string::size_type second = value.find('.', first + 1);
    if (second == std::string::npos) return value;
    const std::string::size_type last = value.rfind('.');
    if (last == second) return value;  // only two dots
    std::string shown = value;
    shown[first] = shown[second] = shown[last] = ' ';
    return shown;
}

std::string FileAssocAnnouncement(const std::string& extension, const std::string& previousValue) {
    if (previousValue.empty()) return "Registering file association for extension '" + extension + "'";
    return "Warning: Replacing file association for extension '" + extension + "' currently associated with " +
           ProgIdDisplayForm(previousValue);
}

Prompt::ContinueQuestion FileAssocFailureQuestion(const std::string& extension, const std::string& reason) {
    Prompt::ContinueQuestion q;
    // Callers and documentation match this exact text, "associaton" included, so it must not be
    // corrected.
    q.boxText = "Warning: registering file associaton for extension '" + extension + "' failed.\nReason: " + reason +
                ".\nDo you want to continue with the installation anyway?";
    q.caption = "Registering File Association Failed";
    q.cancelLine = "Installation canceled by user (registering file association failed)";
    q.warningLine = "Warning: registering file association for extension '" + extension + "' failed. Reason: " + reason;
    q.abortLine = "Registering file association for extension '" + extension + "' failed. Reason: " + reason +
                  ", aborting";
    q.exitCode = ExitFileAssocFailed;
    return q;
}

FileAssocUndoFailure FileAssocUndoFailureReport(bool restoring, const std::string& extension,
                                                const std::string& reason) {
    FileAssocUndoFailure report;
    report.line = std::string(restoring ? "Restoring" : "Removing") + " file association failed: " + reason;
    // Callers and documentation match these exact texts, "previoisly" and "extenstion" included,
    // so they must not be corrected.
    report.boxText = std::string("Unable to ") + (restoring ? "restore" : "remove previoisly created") +
                     " file association for extenstion '" + extension + "'.\nReason: " + reason;
    report.caption = restoring ? "Restoring File Association Failed" : "Removing File Association Failed";
    return report;
}
