#include "installer/PreviousInstallation.h"

#include "NoCrtLib/Console.h"
#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/WinErrorMessage.h"
#include "installer/Driver.h"
#include "installer/InstallOptions.h"
#include "installer/Product.h"
#include "platform/UninstallRecord.h"
#include "ui/Prompt.h"

#include <cstdio>
#include <stdexcept>

namespace {

// Older installations registered an uninstaller that cannot be relied on.
const char* const FirstOwnUninstallerVersion = "4.07";

// One first name plus ten further random ones.
const int FurtherTempNames = 10;

}  // namespace

bool VersionSortsBefore(const std::string& version, const std::string& other) {
    // std::string compares as unsigned bytes, which is the byte-by-byte order we want.
    return version.compare(other) < 0;
}

std::string InstallButtonLabel(const std::string& previousVersion) {
    if (previousVersion.empty()) return "Install";
    return VersionSortsBefore(previousVersion, ProductVersion) ? "Upgrade" : "Replace";
}

bool NeedsFreshUninstaller(const std::string& previousVersion) {
    return VersionSortsBefore(previousVersion, FirstOwnUninstallerVersion);
}

std::string TempUninstallerName(std::uint32_t randomValue) {
    char name[32];
    std::snprintf(name, sizeof name, "uninst%04lu.exe", static_cast<unsigned long>(randomValue % 9999));
    return name;
}

std::string FreshUninstallerCommand(const std::string& path) {
    return "\"" + path + "\" " + ProductShortName;
}

std::string HandshakeArguments(std::uint32_t resultHandle, std::uint32_t doneHandle) {
    char text[64];
    std::snprintf(text, sizeof text, " -unat -result=%lx -done=%lx", static_cast<unsigned long>(resultHandle),
                  static_cast<unsigned long>(doneHandle));
    return text;
}

std::string UninstallerFailureText(std::uint32_t result) {
    const std::int32_t code = static_cast<std::int32_t>(result);
    std::string text = "Uninstaller failed with error code " + std::to_string(code);
    if (code == 12) text += ": Loading uninstallation information failed";
    // Callers and documentation match this exact text, "partally" included, so it must not be corrected.
    if (code == 13) text += ": Uninstallation failed partally or completely";
    return text;
}

std::string WithoutFinalFullStop(std::string text) {
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

std::string TempFolderFailureText(std::uint32_t code, const std::string& reason) {
    if (code == 0) return "Getting temporary path failed: " + reason;
    return "Getting temporary path failed: GetTemporaryPath() failed: " + WinErrorText(code);
}

std::string WriteFreshUninstaller(PreviousInstallationSystem& system) {
    const std::string folder = system.TempFolder();
    std::string path = JoinPath(folder, "uninst.exe");
    for (int further = 0;; ++further) {
        try {
            system.WriteUninstaller(path);
            break;
        } catch (const InstallError& e) {
            if (further == FurtherTempNames)
                throw std::runtime_error(std::string("Copying uninstaller to temporary path failed: ") + e.what());
        }
        path = JoinPath(folder, TempUninstallerName(system.RandomNumber()));
    }
    system.ScheduleDeletion(path);
    return path;
}

void RemovePreviousInstallation(PreviousInstallationSystem& system) {
    const std::string version = system.Version();
    const std::string uninstallString = system.UninstallString();
    if (version.empty() || uninstallString.empty()) return;
    const std::string uninstaller = CommandProgram(uninstallString);
    if (!uninstaller.empty() && system.RemovalStarted() && system.FileMissing(uninstaller)) {
        system.DeleteRegistration();
        ConsoleLine(std::string("The earlier ") + ProductShortName + " " + version +
                    " installation was partly removed; its removal is treated as finished");
        return;
    }

    ConsoleLine(std::string("Uninstalling the existing ") + ProductShortName + " " + version + " installation");

    // A failure is recorded apart from its text, so that an exception without text can
    // never pass for success.
    bool failed = false;
    std::string message;
    std::uint32_t result = 0;
    try {
        const std::string command = NeedsFreshUninstaller(version)
                                        ? FreshUninstallerCommand(WriteFreshUninstaller(system))
                                        : uninstallString;
        ConsoleLine("");
        result = system.RunUninstaller(command);
        ConsoleLine("");
    } catch (const InstallError& e) {
        failed = true;
        message = std::string("Launching uninstaller failed: ") + e.what();
    } catch (const std::exception& e) {
        failed = true;
        message = e.what();
    }
    if (!failed) {
        if (result == 0) return;
        message = UninstallerFailureText(result);
    }
    message = WithoutFinalFullStop(message);

    Prompt::ContinueQuestion question;
    question.boxText = message + ".\nDo you want to continue with the installation anyway?";
    question.caption = "Uninstallation failure";
    question.careful = true;  // Enter must not install over a half-removed installation
    question.cancelLine = "Installation canceled by user (uninstallation failure)";
    question.warningLine = "Warning: " + message;
    question.abortLine = message + " (use /Force flag to override uninstallation failure); aborting";
    question.exitCode = ExitPreviousRemovalFailed;
    // The box is shown without owner; the console keeps a record of the reason as well.
    if (Options().interactive) ConsoleLine(question.warningLine);
    Prompt::ContinueOrAbort(question, PromptMode());
}
