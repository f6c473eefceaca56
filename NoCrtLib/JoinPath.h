#pragma once
// The join every derived path uses, in the installer and the uninstaller alike.
#include <string>

// The two parts with exactly one backslash between them; no backslash when either is empty.
std::string JoinPath(const std::string& first, const std::string& second);
