#include "platform/PendingRenameList.h"

namespace {

const std::string NtPrefix = "\\??\\";     // how the system records its sources
const std::string LocalPrefix = "\\\\?\\"; // the same namespace as the Win32 calls take it

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string WithoutPrefix(const std::string& source) {
    if (StartsWith(source, NtPrefix) || StartsWith(source, LocalPrefix)) return source.substr(NtPrefix.size());
    return source;
}

}  // namespace

bool PendingRenameList::RemoveDeletions(std::vector<std::string>& list, const std::string& path,
                                        const std::string& shortPath, const ShortPathFn& shortPathOf,
                                        const EqualFn& equal) {
    bool removed = false;
    std::size_t i = 0;
    while (i + 1 < list.size()) {
        if (!list[i + 1].empty()) {
            i += 2;
            continue;
        }
        bool names = equal(path, WithoutPrefix(list[i]));
        if (!names && !shortPath.empty()) {
            std::string source = list[i];
            if (StartsWith(source, NtPrefix)) source[1] = '\\';
            std::string shortSource;
            if (shortPathOf(source, shortSource)) {
                if (StartsWith(shortSource, LocalPrefix)) shortSource.erase(0, LocalPrefix.size());
                names = equal(shortPath, shortSource);
            }
        }
        if (names) {
            // The next pair moves into this position and is examined in turn.
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(i),
                       list.begin() + static_cast<std::ptrdiff_t>(i + 2));
            removed = true;
            continue;
        }
        i += 2;
    }
    return removed;
}

std::vector<std::string> PendingRenameList::DeletionSources(const std::vector<std::string>& list) {
    std::vector<std::string> sources;
    for (std::size_t i = 0; i + 1 < list.size(); i += 2)
        if (list[i + 1].empty()) sources.push_back(WithoutPrefix(list[i]));
    return sources;
}

std::string PathNameSet::Fold(std::string name) {
    for (char& c : name)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return name;
}
