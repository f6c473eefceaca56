#pragma once
// Taking the installation folder out of the search path again, as the installer put it
// in: appended to a "PATH" registry value after a ";" (NT family), or as the line
// "PATH=%PATH%;" + the folder's short form appended to the startup batch file (9x family).
// Pure text work; everything the installer did not write stays byte for byte.
#include <string>
#include <vector>

class SearchPathCleanup {
public:
    // list without every ";"-separated entry that equals folder (ASCII case ignored, no
    // trimming, no expansion), each taken out with one separator beside it. Returns false,
    // leaving result equal to list, when no entry matched. An empty folder matches nothing.
    static bool RemoveFolder(const std::string& list, const std::string& folder, std::string& result);

    // The batch file without every line that is exactly "PATH=%PATH%;" followed by one of
    // folderForms (ASCII case ignored; the line's CR LF or LF goes with it). The empty line
    // right before such a line goes too: the installer wrote "\r\n" before its line, which
    // left exactly that empty line behind a file that ended with a line break. Returns
    // false, leaving result equal to contents, when no line matched.
    static bool RemoveAutoexecLine(const std::string& contents,
                                   const std::vector<std::string>& folderForms, std::string& result);
};
