#pragma once
// Every exit code the installer ends with, for the driver and for the actions that end
// the run through SilentExit. The uninstaller's results are its own (UninstallResult).

enum ExitCode : int {
    ExitSuccess = 0,
    // The installation folder: in unattended mode a path that is no folder, in
    // interactive mode a folder that cannot be made.
    ExitTargetDirFailed = 101,
    ExitTargetDirCreationFailed = 102,  // unattended mode
    ExitTargetDirInvalid = 103,         // interactive mode: the path is no folder
    ExitTargetFileExists = 104,
    ExitShortcutFailed = 105,
    ExitPreviousRemovalFailed = 107,
    ExitFileAssocFailed = 112,
    ExitUninstallRegFailed = 113,
    ExitRequirementsNotMet = 130,
    ExitEulaNotAccepted = 140,
    ExitError = 150,
    ExitHelp = 200,
    ExitBadCommandLine = 201,
    ExitDialogClosed = 202,
};
