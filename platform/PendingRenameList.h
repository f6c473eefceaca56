#pragma once
// The system's pending-rename list (REG_MULTI_SZ): pairs of source and destination,
// where an empty destination schedules the source for deletion at restart. Pure list
// work; the Windows side supplies the short-path lookup and the path comparison.
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

class PendingRenameList {
public:
    // Fills shortPath and returns true, or returns false when the path has no short form
    // (for example because it does not exist).
    using ShortPathFn = std::function<bool(const std::string& path, std::string& shortPath)>;
    using EqualFn = std::function<bool(const std::string& a, const std::string& b)>;

    // Removes every deletion pair whose source names path: the source as recorded (without
    // its "\??\" or "\\?\" prefix) equals path, or the source's short form equals shortPath
    // (empty when path has no short form, say because it does not exist yet). So a deletion
    // recorded in long form, short form or any letter case matches, and one of a path that
    // does not exist matches its full name. Pairs with a destination and a trailing entry
    // without partner stay. Returns whether anything was removed.
    static bool RemoveDeletions(std::vector<std::string>& list, const std::string& path,
                                const std::string& shortPath, const ShortPathFn& shortPathOf,
                                const EqualFn& equal);

    // The sources of the deletion pairs, without their "\??\" or "\\?\" prefix.
    static std::vector<std::string> DeletionSources(const std::vector<std::string>& list);
};

// Names looked up without regard to ASCII letter case: a quick first test of whether a
// pending deletion may name a path. Trail bytes of double-byte characters are folded too,
// so two different names may meet here; the caller confirms a hit with the exact rule.
class PathNameSet {
public:
    void Add(const std::string& name) { m_names.insert(Fold(name)); }
    bool Contains(const std::string& name) const { return !m_names.empty() && m_names.count(Fold(name)) != 0; }
    bool Empty() const { return m_names.empty(); }

private:
    static std::string Fold(std::string name);

    std::unordered_set<std::string> m_names;
};
