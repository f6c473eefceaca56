// Feeds the uninstaller's text handling arbitrary bytes and checks what it relies on.
// Input: byte 0 chooses the mode, the rest is the text.
//   raw mode:        the rest is an UninstallParam string; it either parses into a plan
//                    whose paths are full paths and whose keys name a hive, or is refused
//                    with UninstallPlan::Err;
//   round-trip mode: the rest is cut at NUL bytes into values, which are written as the
//                    installer writes items; every value must come back unchanged, in order;
//   path mode:       the rest is "folder\0list"; taking the folder out of the list must
//                    keep every other entry in order and leave no entry equal to it;
//   batch mode:      the rest is "form\0file"; the lines of the result are lines of the file.
#include "platform/RegPath.h"
#include "uninstaller/SearchPathCleanup.h"
#include "uninstaller/UninstallPlan.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

bool IsFullPath(const std::string& p) {
    const bool drive = p.size() >= 3 && p[1] == ':' && p[2] == '\\';
    const bool unc = p.size() >= 3 && p[0] == '\\' && p[1] == '\\';
    return drive || unc;
}

void Raw(const std::string& text) {
    try {
        const UninstallPlan plan = UninstallPlan::Parse(text);
        for (const std::string& file : plan.Files()) Require(IsFullPath(file));
        for (const std::string& folder : plan.Folders()) Require(IsFullPath(folder));
        for (const std::string& key : plan.RegistryKeys()) Require(RegPath(key).Hive() != RegPath::NoHive);
        for (const auto& shared : plan.SharedAssociations())
            Require(!shared.extension.empty() && shared.extension[0] == '.' && !shared.progId.empty());
    } catch (const UninstallPlan::Err&) {
    }
}

// Values as the installer has them: full paths without double quotes.
void RoundTrip(const std::string& text) {
    std::vector<std::string> values;
    std::string params;
    for (std::string value : Split(text, '\0')) {
        std::string clean;
        for (char c : value)
            if (c != '"') clean += c;
        clean = "C:\\" + clean;
        values.push_back(clean);
        params += (params.empty() ? "" : " ") + std::string("\"-delFile=") + clean + "\"";
    }
    const UninstallPlan plan = UninstallPlan::Parse(params);
    Require(plan.Files() == values);
}

void PathList(const std::string& text) {
    const std::size_t nul = text.find('\0');
    if (nul == std::string::npos) return;
    const std::string folder = text.substr(0, nul);
    const std::string list = text.substr(nul + 1);
    std::string result;
    const bool changed = SearchPathCleanup::RemoveFolder(list, folder, result);
    if (!changed) {
        Require(result == list);
        return;
    }
    std::vector<std::string> kept;
    for (const std::string& entry : Split(list, ';'))
        if (!EqualsIgnoringCase(entry, folder)) kept.push_back(entry);
    std::string joined;
    for (std::size_t i = 0; i < kept.size(); ++i) joined += (i ? ";" : "") + kept[i];
    Require(result == joined);
    Require(result.size() < list.size());
}

void Batch(const std::string& text) {
    const std::size_t nul = text.find('\0');
    if (nul == std::string::npos) return;
    const std::string form = text.substr(0, nul);
    const std::string file = text.substr(nul + 1);
    std::string result;
    if (!SearchPathCleanup::RemoveAutoexecLine(file, {form}, result)) {
        Require(result == file);
        return;
    }
    Require(result.size() < file.size());
    // What is kept is whole lines of the file, in their order.
    std::size_t at = 0;
    for (const std::string& line : Split(result, '\n')) {
        const std::size_t found = file.find(line, at);
        Require(found != std::string::npos);
        at = found + line.size();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 4) {
        case 0: Raw(text); break;
        case 1: RoundTrip(text); break;
        case 2: PathList(text); break;
        default: Batch(text); break;
    }
    return 0;
}
