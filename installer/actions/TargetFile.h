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

// How a rollback removal of one kind of item (file, folder, shortcut) is reported.
struct RollbackRemovalTexts {
    const char* removing;          // line before the attempt, followed by the path
    const char* failed;            // line after a failure, followed by the reason
    const char* boxSentence;       // last sentence of the interactive error box
    const char* caption;           // its caption
    const char* scheduling;        // line before scheduling the removal at restart
    const char* schedulingFailed;  // line when that scheduling fails
};

// The interactive error box of a failed rollback removal.
std::string RollbackRemovalBox(const std::string& path, const std::string& reason, const char* sentence);

// Removes an item during rollback with remove (DeleteFileA, RemoveDirectoryA); what cannot
// be removed is reported and handed to deletion at the next restart. Never throws.
void RollbackRemove(const std::string& path, bool (*remove)(const std::string&),
                    const RollbackRemovalTexts& texts) noexcept;

// True when path names a file, or a folder (attributes alone: no folder read).
bool IsExistingFile(const std::string& path);
bool IsExistingFolder(const std::string& path);

// True when FindFirstFileA finds a file or folder of that name (the existence test
// every file step uses before it writes).
bool TargetExists(const std::string& path);
