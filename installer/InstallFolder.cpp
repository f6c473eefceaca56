#include "installer/InstallFolder.h"

#include "NoCrtLib/AnsiText.h"

#include <cstring>
#include <vector>

namespace {

// MAX_PATH less its terminator; CreateDirectoryA takes 12 characters fewer.
const std::size_t PathLimit = 259;
const std::size_t FolderLimit = 247;

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsDriveForm(const std::string& p) { return p.size() >= 2 && IsLetter(p[0]) && p[1] == ':'; }
bool IsUncForm(const std::string& p) { return p.size() >= 2 && p[0] == '\\' && p[1] == '\\'; }
bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "\\?\", "\\.\" and "\??\", with either slash: the system hands the rest to a device or
// its object namespace without the usual path rules.
bool IsPrefixedForm(const std::string& p) {
    if (p.size() < 3 || !IsSeparator(p[0])) return false;
    const bool prefix = (IsSeparator(p[1]) && (p[2] == '?' || p[2] == '.')) || (p[1] == '?' && p[2] == '?');
    return prefix && (p.size() == 3 || IsSeparator(p[3]));
}

std::vector<std::string> Names(const std::string& p, std::size_t from) {
    std::vector<std::string> names;
    for (std::string& name : SplitAt(p.substr(from), '\\'))
        if (!name.empty()) names.push_back(std::move(name));
    return names;
}

// name without the characters in drop at its end.
std::string WithoutTrailing(const std::string& name, const char* drop) {
    std::size_t end = 0;
    for (std::size_t i = 0; i < name.size();) {
        const std::size_t size = CharSize(name, i, IsAnsiLeadByte);
        if (size > 1 || !std::strchr(drop, name[i])) end = i + size;
        i += size;
    }
    return name.substr(0, end);
}

// "X:" or "\\server\share" and the names below it; root is "" when the path has none.
struct Parsed {
    std::string root;
    std::vector<std::string> names;
};

Parsed Parse(const std::string& p) {
    Parsed parsed;
    if (IsDriveForm(p)) {
        parsed.root = p.substr(0, 2);
        parsed.names = Names(p, 2);
    } else if (IsUncForm(p)) {
        parsed.names = Names(p, 2);
        if (parsed.names.size() >= 2) {
            parsed.root = "\\\\" + parsed.names[0] + "\\" + parsed.names[1];
            parsed.names.erase(parsed.names.begin(), parsed.names.begin() + 2);
        }
    } else {
        parsed.names = Names(p, 0);
    }
    return parsed;
}

std::vector<std::string> Resolved(const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const std::string& name : names) {
        if (name == ".") continue;
        if (name == "..") {
            if (!out.empty()) out.pop_back();
            continue;
        }
        // Windows drops them when it creates the folder; a name of nothing else stays
        // and is refused later.
        const std::string kept = WithoutTrailing(name, ". ");
        out.push_back(kept.empty() ? name : kept);
    }
    return out;
}

bool IsReservedDeviceName(const std::string& name) {
    const std::string base = WithoutTrailing(name.substr(0, FindChar(name, '.')), " ");
    static const char* const fixed[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* reserved : fixed)
        if (EqualsIgnoringCase(base, reserved)) return true;
    // Matching three single-byte characters makes base[3] a character of its own.
    const std::string head = base.substr(0, 3);
    return base.size() == 4 && (EqualsIgnoringCase(head, "COM") || EqualsIgnoringCase(head, "LPT")) &&
           base[3] >= '1' && base[3] <= '9';
}

}  // namespace

const char* const PrefixedFolderReason = "Device and prefixed paths cannot be installation folders.";

const char* const UnrepresentableFolderReason =
    "The name holds characters that the system's ANSI code page cannot represent.";

std::string NormaliseFolder(const std::string& typed, const std::string& currentFolder) {
    if (typed.empty()) return {};
    // Resolved like other paths they would become other folders: left as typed, the name
    // rules refuse them by their prefix.
    if (IsPrefixedForm(typed)) return typed;
    std::string p = typed;
    for (std::size_t i = 0; i < p.size(); i += CharSize(p, i, IsAnsiLeadByte))
        if (p[i] == '/') p[i] = '\\';
    std::string full;
    if (IsUncForm(p)) {
        full = p;
    } else if (IsDriveForm(p)) {
        if (p.size() > 2 && p[2] == '\\')
            full = p;
        else if (IsDriveForm(currentFolder) && Upper(currentFolder[0]) == Upper(p[0]))
            full = currentFolder + "\\" + p.substr(2);
        else
            full = p.substr(0, 2) + "\\" + p.substr(2);
    } else if (p[0] == '\\') {
        full = Parse(currentFolder).root + p;
    } else {
        full = currentFolder + "\\" + p;
    }

    const Parsed parsed = Parse(full);
    std::string out = parsed.root;
    for (const std::string& name : Resolved(parsed.names)) out += "\\" + name;
    if (IsDriveForm(out) && out.size() == 2) out += "\\";
    return out;
}

bool IsFullFolderPath(const std::string& path) {
    return !Parse(path).root.empty() && (!IsDriveForm(path) || (path.size() > 2 && path[2] == '\\'));
}

std::string FolderNameProblem(const std::string& folder, std::size_t longestName) {
    if (folder.empty()) return "No folder was given.";
    if (IsPrefixedForm(folder)) return PrefixedFolderReason;
    if (!IsFullFolderPath(folder)) return "The path is not the full path of a folder.";
    if (FindChar(folder, ';') != std::string::npos)
        return "A folder whose name contains ';' cannot be added to the search path.";
    // The second byte of a double-byte character may look like '|' or '\\' but is no such character.
    for (std::size_t i = 0, size = 1; i < folder.size(); i += size) {
        size = CharSize(folder, i, IsAnsiLeadByte);
        if (size > 1) continue;
        const unsigned char c = static_cast<unsigned char>(folder[i]);
        if (c < 0x20) return "The name contains a control character, which Windows does not allow.";
        const bool driveColon = i == 1 && c == ':' && IsDriveForm(folder);
        if (std::strchr("<>:\"|?*", c) && !driveColon)
            return std::string("The name contains the character '") + folder[i] +
                   "', which Windows does not allow.";
    }
    for (const std::string& name : Parse(folder).names) {
        if (IsReservedDeviceName(name)) return "'" + name + "' is a name Windows reserves for a device.";
        if (EndsWithChar(name, '.') || EndsWithChar(name, ' ')) return "'" + name + "' is not a valid folder name.";
    }
    if (folder.size() > FolderLimit)
        return "The path is too long: a folder may have at most " + std::to_string(FolderLimit) + " characters.";
    const std::size_t longest = folder.size() + (EndsWithChar(folder, '\\') ? 0 : 1) + longestName;
    if (longest > PathLimit)
        return "The path is too long: the package's longest file would get a path of " + std::to_string(longest) +
               " characters, more than the system's limit of " + std::to_string(PathLimit) + ".";
    return {};
}

std::string VolumeRoot(const std::string& folder) {
    if (IsDriveForm(folder)) return folder.substr(0, 2) + "\\";
    const std::string root = Parse(folder).root;
    return root.empty() ? root : root + "\\";
}

std::string ParentFolder(const std::string& path) {
    const std::string root = VolumeRoot(path);
    if (path.size() + 1 <= root.size() || path == root) return {};
    const std::string::size_type slash = FindLastChar(path, '\\');
    if (slash == std::string::npos) return {};
    std::string parent = path.substr(0, slash);
    return parent.size() < root.size() ? root : parent;
}
