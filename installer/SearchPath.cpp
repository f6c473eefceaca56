#include "installer/SearchPath.h"

#include "NoCrtLib/AnsiText.h"

#include <cstddef>
#include <vector>

namespace {

constexpr uint32_t NotFound = 2;  // ERROR_FILE_NOT_FOUND

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string WithFolder(std::string list, const std::string& folder) {
    if (!list.empty()) list += ';';
    return list + folder;
}

}  // namespace

bool PathListContains(const std::string& list, const std::string& folder) {
    for (const std::string& piece : SplitAt(list, ';'))
        if (EqualsIgnoringCase(piece, folder)) return true;
    return false;
}

void AddToEnvironmentPath(EnvironmentPaths& paths, const std::string& folder, bool installForAllUsers) {
    std::string machinePath, userPath;
    uint32_t machineStatus = paths.Read(true, machinePath);
    bool foundInMachine = machineStatus == 0 && PathListContains(machinePath, folder);
    uint32_t userStatus = paths.Read(false, userPath);
    bool foundInUser = userStatus == 0 && PathListContains(userPath, folder);
    bool changed = false;

    if (installForAllUsers) {
        if (foundInMachine) return;
        // A machine path that exists but cannot be read must not be replaced by the folder alone.
        if (machineStatus == 0 || machineStatus == NotFound) {
            if (paths.Write(true, WithFolder(machineStatus == 0 ? machinePath : std::string(), folder))) {
                foundInMachine = true;
                changed = true;
            }
        }
    }
    if (!foundInMachine && !foundInUser && (userStatus == 0 || userStatus == NotFound))
        changed = paths.Write(false, WithFolder(userStatus == 0 ? userPath : std::string(), folder));

    if (changed) paths.Broadcast();
}

bool AutoexecListsFolder(const std::string& contents, const std::string& folder,
                         const std::string& shortFolder) {
    bool present = false;
    for (const std::string& rawLine : SplitAt(contents, '\n')) {
        std::string line = Trim(rawLine);
        if (line.size() < 4 || !EqualsIgnoringCase(line.substr(0, 4), "PATH")) continue;
        size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        bool resets = true;
        bool listsFolder = false;
        std::string value = line.substr(equals + 1);
        if (!value.empty()) {
            size_t b = 0;
            while (b < value.size() && IsBlank(value[b])) ++b;
            value.erase(0, b);
            if (!value.empty() && value.front() == '"') value.erase(0, 1);
            if (!value.empty() && value.back() == '"') value.pop_back();
            for (const std::string& piece : SplitAt(value, ';')) {
                if (EqualsIgnoringCase(piece, "%PATH%"))
                    resets = false;
                else if (EqualsIgnoringCase(piece, folder) || EqualsIgnoringCase(piece, shortFolder))
                    listsFolder = true;
            }
        }
        if (listsFolder)
            present = true;
        else if (present && resets)
            present = false;
    }
    return present;
}

std::string AutoexecPathLine(const std::string& shortFolder) {
    return "\r\nPATH=%PATH%;" + shortFolder + "\r\n";
}
