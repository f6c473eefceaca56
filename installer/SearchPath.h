#pragma once
// Adds the installation folder to the command search path: the machine or user "PATH"
// in the registry on the NT family (then a broadcast), a line appended to
// C:\AUTOEXEC.BAT on the 9x family. Not an action: never undone, never reports an error.
#include <cstdint>
#include <string>

void AddToSearchPath(const std::string& folder, bool installForAllUsers);

// ---- the decisions, kept apart from the system for tests ----

// True when one ";"-separated piece of list equals folder, ignoring ASCII case.
// Pieces are not trimmed and variables are not expanded.
bool PathListContains(const std::string& list, const std::string& folder);

// The environment "PATH" values of the NT family.
class EnvironmentPaths {
public:
    virtual ~EnvironmentPaths() = default;
    // 0 (read), 2 (key or value missing) or another error code; text as stored.
    virtual uint32_t Read(bool machine, std::string& text) = 0;
    // Stores text as REG_EXPAND_SZ, creating the key when needed.
    virtual bool Write(bool machine, const std::string& text) = 0;
    // Tells running programs that the environment changed.
    virtual void Broadcast() = 0;
};
void AddToEnvironmentPath(EnvironmentPaths& paths, const std::string& folder, bool installForAllUsers);

// 9x family: whether the batch file already puts the folder (long or short form) on the
// path after its last reset of it.
bool AutoexecListsFolder(const std::string& contents, const std::string& folder,
                         const std::string& shortFolder);
// The text appended to the batch file for the folder's short form.
std::string AutoexecPathLine(const std::string& shortFolder);
