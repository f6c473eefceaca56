#include "tools/PackageManifest.h"

#include "NoCrtLib/AsciiText.h"
#include "NoCrtLib/PackageWireFormat.h"

#include <sstream>

namespace {
// The build host has no ANSI code page to ask. Taking every byte as a character can only
// refuse more (a second byte read as '\' or a folded letter makes a name look like a device,
// a clash or a bad character), never let a real clash or device name through.
const LeadByteTest PackedNames = NoLeadBytes;

constexpr size_t MaxNameLength = 4096;   // the installer's header buffer

class LineError {
public:
    LineError(const std::string& manifest, int line) : m_prefix(manifest + ":" + std::to_string(line) + ": ") {}
    [[noreturn]] void operator()(const std::string& reason) const { throw PackageManifest::Err(m_prefix + reason); }

private:
    std::string m_prefix;
};

// Splits at blanks; a token in double quotes may hold blanks. '#' outside quotes ends the line.
std::vector<std::string> Tokens(const std::string& line, const LineError& fail) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string::npos) fail("unterminated quoted name");
            tokens.push_back(line.substr(i + 1, end - i - 1));
            i = end + 1;
            if (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r')
                fail("blank expected after a quoted name");
        } else {
            size_t end = line.find_first_of(" \t\r\"#", i);
            if (end == std::string::npos) end = line.size();
            tokens.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return tokens;
}

// A relative path whose components are plain names: nothing empty, no "." or "..",
// and nothing Windows would refuse or silently change in a file name.
std::string PathProblem(const std::string& path, char separator) {
    if (path.empty()) return "is empty";
    for (const std::string& part : SplitAt(path, separator, PackedNames)) {
        if (part.empty()) return "has an empty component (absolute path or doubled separator)";
        if (part == "." || part == "..") return "has a '" + part + "' component";
        if (part.back() == '.' || part.back() == ' ') return "has a component ending in a dot or a blank";
        for (unsigned char c : part) {
            if (c < 0x20 || std::string("<>:\"/\\|?*").find(static_cast<char>(c)) != std::string::npos)
                return "has a character not allowed in a file name";
        }
    }
    return {};
}

// Windows opens a device instead of a file for these names, whatever the extension: the
// installer would write the file's bytes to it and carry on as if the file were there.
bool HasDeviceComponent(const std::string& name) {
    for (const std::string& part : SplitAt(name, '\\', PackedNames)) {
        std::string base = LowerAscii(part.substr(0, part.find('.')), PackedNames);
        while (!base.empty() && base.back() == ' ') base.pop_back();
        if (base == "con" || base == "prn" || base == "aux" || base == "nul") return true;
        if (base.size() == 4 && (base.compare(0, 3, "com") == 0 || base.compare(0, 3, "lpt") == 0) &&
            base[3] >= '1' && base[3] <= '9')
            return true;
    }
    return false;
}

}  // namespace

PackageManifest PackageManifest::Parse(const std::string& text, const std::string& manifestName) {
    PackageManifest manifest;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        LineError fail(manifestName, lineNo);
        std::vector<std::string> t = Tokens(line, fail);
        if (t.empty()) continue;
        if (t.size() < 3 || t.size() > 4)
            fail("expected: <platforms> <flags> <source> [<name in package>]");

        Entry e;
        e.line = lineNo;
        if (t[0] == "all")
            e.platformMask = PackageWireFormat::AllPlatforms;
        else if (t[0] == "nt")
            e.platformMask = PackageWireFormat::NtFamilyBit;
        else if (t[0] == "9x")
            e.platformMask = PackageWireFormat::OtherPlatformsBit;
        else
            fail("unknown platforms '" + t[0] + "' (all, nt or 9x)");

        if (t[1] == "-")
            e.uninstaller = false;
        else if (t[1] == "uninstaller")
            e.uninstaller = true;
        else
            fail("unknown flags '" + t[1] + "' (- or uninstaller)");

        e.source = t[2];
        std::string problem = PathProblem(e.source, '/');
        if (!problem.empty()) fail("source '" + e.source + "' " + problem);

        if (t.size() == 4) {
            e.name = t[3];
        } else {
            e.name = e.source;
            for (char& c : e.name)
                if (c == '/') c = '\\';
        }
        problem = PathProblem(e.name, '\\');
        if (!problem.empty()) fail("name '" + e.name + "' " + problem);
        if (HasDeviceComponent(e.name)) fail("name '" + e.name + "' has a component that is a device name");
        if (e.name.size() > MaxNameLength)
            fail("name is longer than " + std::to_string(MaxNameLength) + " bytes");

        // Windows names ignore case: two entries of one name must not meet on a platform.
        // Every uninstaller entry lands on the one uninstaller path.
        for (const Entry& other : manifest.m_entries) {
            if (!(other.platformMask & e.platformMask)) continue;
            if (other.uninstaller && e.uninstaller)
                fail("a second uninstaller for the same platform (first on line " + std::to_string(other.line) + ")");
            if (!other.uninstaller && !e.uninstaller &&
                LowerAscii(other.name, PackedNames) == LowerAscii(e.name, PackedNames))
                fail("name '" + e.name + "' is already used for the same platform on line " +
                     std::to_string(other.line));
        }
        manifest.m_entries.push_back(e);
    }
    if (manifest.m_entries.empty()) throw Err(manifestName + ": lists no file");
    return manifest;
}
