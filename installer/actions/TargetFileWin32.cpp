#include "installer/actions/TargetFile.h"

#include "NoCrtLib/Console.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "platform/DeferredDeletion.h"
#include "ui/Prompt.h"

#include <windows.h>

void RollbackDeleteFile(const std::string& path) noexcept {
    try {
        ConsoleLine("Rollback: removing previously created " + path);
        if (DeleteFileA(path.c_str())) return;
        const std::string reason = WinErrorText(GetLastError());
        ConsoleLine("File deletion failed: " + reason);
        Prompt::ReportError("Unable to remove previously created '" + path + "'.\nReason: " + reason +
                                "\nThe file will be scheduled for deletion on reboot.",
                            "File Deletion Failed");
        ConsoleLine("Scheduling file deletion on reboot");
        if (!DeleteAtRestart(path)) ConsoleLine("Scheduling file deletion failed");
    } catch (...) {
        // Rollback goes on with the next action whatever happens here.
    }
}

bool TargetExists(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}
