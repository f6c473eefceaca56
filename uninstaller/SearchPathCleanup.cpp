#include "uninstaller/SearchPathCleanup.h"

#include "uninstaller/UninstallPlan.h"

#include <cstddef>

bool SearchPathCleanup::RemoveFolder(const std::string& list, const std::string& folder,
                                     std::string& result) {
    result = list;
    if (folder.empty()) return false;
    // Joining the kept entries again takes each removed entry out with exactly one of
    // the separators beside it, so "A;;F" becomes "A;" as it was before "F" was appended.
    std::string kept;
    bool first = true;
    bool removed = false;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = list.find(';', start);
        const std::string entry = list.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (EqualsIgnoringCase(entry, folder)) {
            removed = true;
        } else {
            if (!first) kept += ';';
            kept += entry;
            first = false;
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (removed) result = kept;
    return removed;
}

namespace {

struct Line {
    std::size_t begin;        // first character
    std::size_t contentEnd;   // before the CR LF / LF
    std::size_t end;          // after the line break
};

std::vector<Line> SplitLines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t lf = text.find('\n', begin);
        const std::size_t end = lf == std::string::npos ? text.size() : lf + 1;
        std::size_t contentEnd = lf == std::string::npos ? text.size() : lf;
        if (contentEnd > begin && text[contentEnd - 1] == '\r' && lf != std::string::npos) --contentEnd;
        lines.push_back({begin, contentEnd, end});
        begin = end;
    }
    return lines;
}

}  // namespace

bool SearchPathCleanup::RemoveAutoexecLine(const std::string& contents,
                                           const std::vector<std::string>& folderForms,
                                           std::string& result) {
    result = contents;
    const std::vector<Line> lines = SplitLines(contents);
    std::vector<bool> drop(lines.size(), false);
    bool removed = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string content =
            contents.substr(lines[i].begin, lines[i].contentEnd - lines[i].begin);
        bool matches = false;
        for (const std::string& form : folderForms)
            if (!form.empty() && EqualsIgnoringCase(content, "PATH=%PATH%;" + form)) matches = true;
        if (!matches) continue;
        drop[i] = true;
        removed = true;
        if (i > 0 && !drop[i - 1] && lines[i - 1].contentEnd == lines[i - 1].begin) drop[i - 1] = true;
    }
    if (!removed) return false;
    std::string kept;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (!drop[i]) kept.append(contents, lines[i].begin, lines[i].end - lines[i].begin);
    result = kept;
    return true;
}
