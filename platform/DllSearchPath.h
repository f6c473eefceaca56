#pragma once
// An installer runs elevated from a downloads folder: libraries that are loaded by
// name must not come from its own folder or the current folder.

// Restricts the default library search to the system directory where the system
// offers that (SetDefaultDllDirectories), else removes the current folder from it
// (SetDllDirectoryA("")). Returns which of the two took effect: 2, 1, or 0 for none.
int RestrictDllSearchPath();
