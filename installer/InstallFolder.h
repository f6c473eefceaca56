#pragma once
// The installation folder as one full, normalised path, and the rules that tell a folder
// that can never work before anything is changed.
#include <cstddef>
#include <string>

// The full form of a typed folder: '/' becomes '\', a relative form is joined to
// currentFolder (a full path; for "X:name" the current folder of drive X, or that
// drive's root when currentFolder is on another drive), doubled separators collapse
// (a "\\server\share" prefix stays), "." and ".." are resolved, trailing dots and spaces
// of each name go as Windows drops them, and no separator trails except after a drive
// ("C:\"). Empty stays empty, and so do device and prefixed forms ("\\.\", "\\?\", "\??\")
// as typed. Paths are stepped by character of the ANSI code page.
std::string NormaliseFolder(const std::string& typed, const std::string& currentFolder);

// True for "X:\..." and "\\server\share...".
bool IsFullFolderPath(const std::string& path);

// Why a normalised folder can never work (the reason the folder step puts after
// "Unable to create target directory '<path>': "), or "" when it may: a device or prefixed
// form (PrefixedFolderReason), not a full path, ';' (it cannot be a search-path entry),
// characters Windows does not allow, a name Windows reserves for a device, or a path that
// the package's longest file name (longestName characters, relative to the folder) would
// take beyond the system's limit.
std::string FolderNameProblem(const std::string& folder, std::size_t longestName);

extern const char* const PrefixedFolderReason;

// The reason for a folder typed in characters the ANSI code page cannot represent.
extern const char* const UnrepresentableFolderReason;

// The root that a free-space query on older systems needs: "X:\" or "\\server\share\";
// "" when the path has neither.
std::string VolumeRoot(const std::string& folder);

// The folder above path, "" above a root ("C:\", "\\server\share").
std::string ParentFolder(const std::string& path);
