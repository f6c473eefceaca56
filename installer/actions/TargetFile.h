#pragma once
// The routines every file the installer writes goes through: what the uninstaller must
// delete, what to do when the target already exists, and how rollback deletes it.
#include <string>

// "-delMainFile=<path>" for the main program (Options().mainProgramPath, any letter
// case), "-delFile=<path>" for every other file.
void AddFileUninstallParam(const std::string& path);

// Returns when the existing file at path may be overwritten (the user said Yes, or
// -force); otherwise prints why and throws SilentExit(104).
void ConfirmOverwrite(const std::string& path);

// Deletes a file during rollback; a file that cannot be deleted is reported and
// scheduled for deletion at the next restart. Never throws.
void RollbackDeleteFile(const std::string& path) noexcept;

// True when FindFirstFileA finds a file or folder of that name (the existence test
// every file step uses before it writes).
bool TargetExists(const std::string& path);
