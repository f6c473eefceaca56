#pragma once
// The system's pending-rename list (REG_MULTI_SZ): pairs of source and destination,
// where an empty destination schedules the source for deletion at restart. Pure list
// work; the Windows side supplies the short-path lookup and the path comparison.
#include <functional>
#include <string>
#include <vector>

class PendingRenameList {
public:
    // Fills shortPath and returns true, or returns false when the path has no short form
    // (for example because it does not exist).
    using ShortPathFn = std::function<bool(const std::string& path, std::string& shortPath)>;
    using EqualFn = std::function<bool(const std::string& a, const std::string& b)>;

    // Removes every deletion pair whose source names shortPath. Sources are compared by
    // their short form, so a deletion recorded in long form, short form or any letter case
    // matches. Pairs with a destination and a trailing entry without partner stay.
    // Returns whether anything was removed.
    static bool RemoveDeletions(std::vector<std::string>& list, const std::string& shortPath,
                                const ShortPathFn& shortPathOf, const EqualFn& equal);
};
