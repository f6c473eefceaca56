#include "installer/actions/TargetFile.h"

#include "NoCrtLib/AnsiText.h"
#include "NoCrtLib/ExitCodes.h"
#include "installer/InstallOptions.h"
#include "installer/actions/UninstallParams.h"
#include "ui/Prompt.h"

void AddFileUninstallParam(const std::string& path) {
    // The uninstaller treats the main program apart (it may be running when asked to go).
    if (EqualsIgnoringCase(path, Options().mainProgramPath))
        AppendUninstallParam("delMainFile", path);
    else
        AppendUninstallParam("delFile", path);
}

void ConfirmOverwrite(const std::string& path) {
    Prompt::ContinueQuestion question;
    question.boxText = "Warning: '" + path +
                       "' already exists.\nDo you want it to be overwritten?\n"
                       "Clicking 'Yes' will overwrite the file, clicking 'No' will abort the installation.";
    question.caption = "Target File Exists";
    question.cancelLine = "Installation canceled by user (file already exists)";
    question.warningLine = "Warning: '" + path + "' already exists, will be overwritten";
    question.abortLine = "Target file '" + path + "' already exists, aborting";
    question.exitCode = ExitTargetFileExists;
    Prompt::ContinueOrAbort(question, PromptMode());
}

std::string RollbackRemovalBox(const std::string& path, const std::string& reason, const char* sentence) {
    return "Unable to remove previously created '" + path + "'.\nReason: " + reason + "\n" + sentence;
}
