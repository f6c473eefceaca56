#pragma once
// The whole run of the installer, from the command line to the exit code.
#include "NoCrtLib/ExitCodes.h"

#include <exception>
#include <string>

class CmdLine;

// The flags local to the run, passed by reference to the dialog.
struct RunFlags {
    bool installForAllUsers = true;
    bool createDesktopIcon = true;
    bool runWhenDone = true;
};

// Entry point: reads the command line with GetCommandLineW and returns the exit code.
int RunInstaller();

// Unattended options, in their order: help (SilentExit 200), force, noRollback,
// acceptEULA, installDir (CmdLine::Err when missing or empty), installForMeOnly,
// noDesktopIcon, then every argument nobody took (CmdLine::Err). A folder the ANSI code
// page cannot represent is kept in unrepresentableInstallDir for the checks before changes.
void ReadUnattendedOptions(CmdLine& commandLine, RunFlags& flags);

// A command-line folder for texts: characters the ANSI code page lacks as <U+XXXX>.
std::string FolderAsTyped(const std::u16string& typed);

// Unattended mode without -acceptEULA: the three standard-error lines, SilentExit 140.
void RequireEulaAcceptance();

// The top-level handler: reports the exception in flight as the run's final error
// and returns the exit code; the usage banner follows for 200 and 201.
int ReportRunFailure(std::exception_ptr failure);
int FinishRun(int exitCode);
