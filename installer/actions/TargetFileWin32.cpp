#include "installer/actions/TargetFile.h"

#include "NoCrtLib/Console.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/InstallOptions.h"
#include "platform/DeferredDeletion.h"
#include "platform/Handles.h"
#include "ui/Prompt.h"

#include <windows.h>

void RollbackRemove(const std::string& path, bool (*remove)(const std::string&),
                    const RollbackRemovalTexts& texts) noexcept {
    try {
        ConsoleLine(texts.removing + path);
        if (remove(path)) return;
        const std::string reason = WinErrorText(GetLastError());
        ConsoleLine(texts.failed + reason);
        Prompt::ReportError(RollbackRemovalBox(path, reason, texts.boxSentence), texts.caption, PromptMode());
        ConsoleLine(texts.scheduling);
        if (!DeleteAtRestart(path)) ConsoleLine(texts.schedulingFailed);
    } catch (...) {
        // Rollback goes on with the next action whatever happens here.
    }
}

void RollbackDeleteFile(const std::string& path) noexcept {
    static const RollbackRemovalTexts texts = {
        "Rollback: removing previously created ", "File deletion failed: ",
        "The file will be scheduled for deletion on reboot.", "File Deletion Failed",
        "Scheduling file deletion on reboot", "Scheduling file deletion failed"};
    RollbackRemove(path, [](const std::string& p) { return DeleteFileA(p.c_str()) != FALSE; }, texts);
}

bool IsExistingFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool TargetExists(const std::string& path) {
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(path.c_str(), &data));
    return static_cast<bool>(find);
}
