#include "platform/PendingRenameList.h"

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

// A disk holding two files. Like GetShortPathNameA it accepts long or short forms in any
// case, keeps a leading "\\?\", and fails for paths that do not exist and for the
// system's own "\??\" form.
struct FakeDisk {
    std::map<std::string, std::string> shortOf = {
        {"C:\\PROGRAM FILES\\ARVENDO QUARNELIX\\QUARNELIX.EXE",
         "C:\\PROGRA~1\\ARVEND~1\\QUARNE~1.EXE"},
        {"C:\\PROGRA~1\\ARVEND~1\\QUARNE~1.EXE", "C:\\PROGRA~1\\ARVEND~1\\QUARNE~1.EXE"},
        {"C:\\PROGRAM FILES\\ARVENDO QUARNELIX\\README.TXT", "C:\\PROGRA~1\\ARVEND~1\\README.TXT"},
        {"C:\\PROGRA~1\\ARVEND~1\\README.TXT", "C:\\PROGRA~1\\ARVEND~1\\README.TXT"},
    };
    std::vector<std::string> asked;

    bool ShortPath(const std::string& path, std::string& out) {
        asked.push_back(path);
        std::string prefix;
        std::string rest = path;
        if (rest.compare(0, 4, "\\\\?\\") == 0) {
            prefix = rest.substr(0, 4);
            rest.erase(0, 4);
        }
        auto it = shortOf.find(Upper(rest));
        if (it == shortOf.end()) return false;
        out = prefix + it->second;
        return true;
    }
};

const std::string Exe = "C:\\PROGRA~1\\ARVEND~1\\QUARNE~1.EXE";  // what the caller passes
const std::string LongExe = "C:\\Program Files\\Arvendo Quarnelix\\quarnelix.exe";

struct Case {
    const char* name;
    std::vector<std::string> before;
    bool removed;
    std::vector<std::string> after;
};

const Case Cases[] = {
    {"EmptyList", {}, false, {}},
    {"SystemPrefixLongForm",
     {"\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe", ""}, true, {}},
    {"SystemPrefixShortFormOtherCase",
     {"\\??\\c:\\progra~1\\arvend~1\\quarne~1.exe", ""}, true, {}},
    {"LocalPrefix", {"\\\\?\\C:\\PROGRAM FILES\\ARVENDO QUARNELIX\\QUARNELIX.EXE", ""}, true, {}},
    {"NoPrefix", {"c:\\Program Files\\Arvendo Quarnelix\\QUARNELIX.exe", ""}, true, {}},
    {"RenameWithDestinationStays",
     {"\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe", "\\??\\C:\\new.exe"}, false,
     {"\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe", "\\??\\C:\\new.exe"}},
    {"OtherFileStays",
     {"\\??\\C:\\Program Files\\Arvendo Quarnelix\\readme.txt", ""}, false,
     {"\\??\\C:\\Program Files\\Arvendo Quarnelix\\readme.txt", ""}},
    {"SourceWithoutShortFormStays",
     {"\\??\\C:\\Program Files\\Arvendo Quarnelix\\gone.exe", ""}, false,
     {"\\??\\C:\\Program Files\\Arvendo Quarnelix\\gone.exe", ""}},
    {"TrailingEntryWithoutPartnerStays",
     {"\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe"}, false,
     {"\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe"}},
    {"AdjacentDeletionsAllRemoved",
     {"\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe", "",
      "\\??\\C:\\PROGRA~1\\ARVEND~1\\QUARNE~1.EXE", ""},
     true, {}},
    {"MixedList",
     {"\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe", "",
      "\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe", "\\??\\C:\\keep.exe",
      "\\??\\C:\\PROGRA~1\\ARVEND~1\\QUARNE~1.EXE", "",
      "\\??\\C:\\Program Files\\Arvendo Quarnelix\\readme.txt", "",
      "\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe"},
     true,
     {"\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe", "\\??\\C:\\keep.exe",
      "\\??\\C:\\Program Files\\Arvendo Quarnelix\\readme.txt", "",
      "\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe"}},
    // A destination that is an empty source would shift the pairing if entries were
    // walked one at a time instead of in pairs.
    {"PairsAreNotRealigned",
     {"\\??\\C:\\old.exe", "\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe", "", ""},
     false,
     {"\\??\\C:\\old.exe", "\\??\\C:\\Program Files\\Arvendo Quarnelix\\Quarnelix.exe", "", ""}},
};

class PendingRenameListCases : public ::testing::TestWithParam<Case> {};

TEST_P(PendingRenameListCases, RemovesOnlyDeletionsOfThePath) {
    const Case& c = GetParam();
    FakeDisk disk;
    std::vector<std::string> list = c.before;
    bool removed = PendingRenameList::RemoveDeletions(
        list, LongExe, Exe, [&](const std::string& p, std::string& s) { return disk.ShortPath(p, s); },
        EqualIgnoringCase);
    EXPECT_EQ(removed, c.removed);
    EXPECT_EQ(list, c.after);
}

INSTANTIATE_TEST_SUITE_P(PendingRenameList, PendingRenameListCases, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PendingRenameList, LooksUpSystemSourcesInTheLocalNamespace) {
    FakeDisk disk;
    std::vector<std::string> list = {"\\??\\C:\\Somewhere\\x.dll", "",
                                      "\\??\\C:\\a", "\\??\\C:\\b"};
    PendingRenameList::RemoveDeletions(
        list, LongExe, Exe, [&](const std::string& p, std::string& s) { return disk.ShortPath(p, s); },
        EqualIgnoringCase);
    // Only the deletion is looked up, and with "\??\" turned into "\\?\".
    EXPECT_EQ(disk.asked, (std::vector<std::string>{"\\\\?\\C:\\Somewhere\\x.dll"}));
}

// A failed run scheduled files it never created: the path has no short form yet, and
// its full name, in any letter case and with either prefix, is what finds the deletion.
TEST(PendingRenameList, APathWithoutShortFormIsFoundByItsFullName) {
    FakeDisk disk;
    std::vector<std::string> list = {"\\??\\c:\\apps\\q\\QUARNELIX.EXE", "", "\\??\\C:\\Apps\\Q\\other.exe", "",
                                      "\\\\?\\C:\\Apps\\Q\\quarnelix.exe", ""};
    EXPECT_TRUE(PendingRenameList::RemoveDeletions(
        list, "C:\\Apps\\Q\\quarnelix.exe", "",
        [&](const std::string& p, std::string& s) { return disk.ShortPath(p, s); }, EqualIgnoringCase));
    EXPECT_EQ(list, (std::vector<std::string>{"\\??\\C:\\Apps\\Q\\other.exe", ""}));
    EXPECT_TRUE(disk.asked.empty());  // without a short form of its own nothing is looked up
}

TEST(PathNameSet, FindsNamesInAnyLetterCaseOnly) {
    PathNameSet names;
    names.Add("C:\\Apps\\Q\\quarnelix.exe");
    EXPECT_TRUE(names.Contains("c:\\APPS\\q\\Quarnelix.EXE"));
    EXPECT_FALSE(names.Contains("C:\\Apps\\Q\\quarnelix.ex"));
}

}  // namespace
