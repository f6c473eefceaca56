#pragma once
// The product's entry in Windows' list of installed programs: its key and the values
// UninstallRegAction writes there, and the texts it shows. Pure text work.
#include "ui/Prompt.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

// Below HKEY_LOCAL_MACHINE.
extern const char* const UninstallParentKey;  // "SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"

std::string UninstallKeyPath(const std::string& keyName);

// The uninstaller in quotes, a space, the key name and a space: the uninstaller finds its
// own registration by that name.
std::string UninstallString(const std::string& uninstallerPath, const std::string& keyName);

struct UninstallRegInput {
    std::string keyName;
    std::string displayName;
    std::string version;
    std::string uninstallerPath;
    std::string installDir;
    std::string uninstallParams;  // the finished parameter string
    std::string previousFileTypes;  // FormatFileTypeOwners(); "" writes no value
};

// Value names and REG_SZ contents in the order they are written.
using RegStringValues = std::vector<std::pair<std::string, std::string>>;
RegStringValues UninstallRegValues(const UninstallRegInput& input);

// How many of those values are written before the key's own "-delRegKey=" item is appended.
constexpr std::size_t UninstallValuesBeforeOwnItem = 2;

// Registration failed for reason: the question (or -force warning, or abort) with code 113.
Prompt::ContinueQuestion UninstallRegFailureQuestion(const std::string& reason);
