#include "installer/Driver.h"

#include "NoCrtLib/SilentExit.h"
#include "NoCrtLib/CmdLine.h"
#include "installer/EarlierInstallation.h"
#include "installer/InstallOptions.h"
#include "installer/Installation.h"
#include "installer/Preflight.h"
#include "installer/PreviousInstallation.h"
#include "installer/SystemRequirements.h"
#include "installer/actions/OwnImageFile.h"
#include "installer/actions/PackageStream.h"
#include "installer/actions/RunRecord.h"
#include "platform/AdminCheck.h"
#include "platform/ConsoleStop.h"
#include "platform/DllSearchPath.h"
#include "platform/StructuredException.h"
#include "ui/InstallerDialog.h"

#include <windows.h>

#include <utility>

namespace {

std::u16string ProcessCommandLine() {
    auto text = reinterpret_cast<const char16_t*>(GetCommandLineW());
    return text ? std::u16string(text) : std::u16string();
}

void Run(RunFlags& flags) {
    // Held from here to the end: the streams checked before the first change are then the
    // ones extracted, whatever happens to the file's name meanwhile.
    OwnImageFile::Held();
    InstallOptions& options = Options();
    flags.installForAllUsers = IsAdministratorOr(true);
    CmdLine commandLine(ProcessCommandLine(), CmdLine::ProductSyntax | CmdLine::QuoteRunsOnly);
    options.interactive = !commandLine.IsUnattended();

    if (options.interactive)
        options.installDir = PreviousInstallDir();
    else
        ReadUnattendedOptions(commandLine, flags);
    // From here one full, normalised folder is printed, installed into and recorded.
    if (options.unrepresentableInstallDir.empty()) options.installDir = FullFolderPath(options.installDir);

    CheckSystemRequirements();

    const std::string previousVersion = PreviousVersion();
    if (options.interactive) {
        const std::string label = InstallButtonLabel(previousVersion);
        InstallChoices choices{options.acceptEULA, options.installDir, flags.installForAllUsers,
                               flags.createDesktopIcon, flags.runWhenDone, label};
        choices.acceptFolder = [](std::string& folder) {
            folder = FullFolderPath(folder);
            const FolderCheck check = CheckInstallFolder(folder, LoadStreamFacts().longestName);
            if (check.Failed()) ShowFolderCheck(check);
            return !check.Failed();
        };
        if (runInstallerDialog(choices) != kInstallerDialogInstall) throw SilentExit(ExitDialogClosed);
    } else {
        RequireEulaAcceptance();
    }

    auto package = CheckBeforeChanges(flags);
    // Every change from here on is entered in the record before it is made; a run cut short
    // is undone from it by the next run.
    RunRecord record;
    ActionJournal journal;
    // The earlier installation stays restorable until the new one commits.
    const auto earlier = KeepEarlierInstallation();
    RemovePreviousInstallation();

    InstallProduct(flags, record, std::move(package));
    journal.CommitAll();
}

}  // namespace

int RunInstaller() {
    InstallExceptionTranslators();
    RestrictDllSearchPath();
    InstallConsoleStopHandler();
    RunFlags flags;
    int code;
    try {
        Run(flags);
        code = ExitSuccess;
    } catch (...) {
        code = ReportRunFailure(std::current_exception());
    }
    return FinishRun(code);
}
