#pragma once
// The uninstall parameter string (Options().UninstallParams): items of the form
// "-name=value", each in double quotes, separated by single spaces. The installed
// uninstaller executes them; values go in verbatim (paths hold no double quotes).
#include <string>

// Appends one item, with a separating space unless the string is still empty.
void AppendUninstallParam(const std::string& name, const std::string& value);
