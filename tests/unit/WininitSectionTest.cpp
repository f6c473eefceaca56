#include "platform/WininitSection.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

std::string Upper(std::string s) {
    for (auto& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) { return Upper(a) == Upper(b); }

std::vector<char> Bytes(const std::string& s) { return std::vector<char>(s.begin(), s.end()); }

// The section as it comes from the profile functions: data plus the returned length.
WininitSection Section(const std::string& data) {
    return WininitSection(data.data(), data.empty() ? 0 : data.size() - 1);
}

struct ParseCase {
    const char* name;
    std::string data;    // bytes in the buffer
    std::size_t length;  // what GetPrivateProfileSectionA returned
    std::vector<std::string> entries;
};

const ParseCase ParseCases[] = {
    {"Missing", std::string(2, '\0'), 0, {}},
    {"OneEntry", "NUL=C:\\A.TXT\0\0"s, 13, {"NUL=C:\\A.TXT"}},
    {"SeveralEntries", "NUL=C:\\A\0C:\\B=C:\\C\0\0"s, 19, {"NUL=C:\\A", "C:\\B=C:\\C"}},
    {"EmptyEntryEndsIt", "A=1\0\0B=2\0\0"s, 9, {"A=1"}},
    {"CutShortWithoutTerminator", "A=1\0NUL=C:\\LO"s, 13, {"A=1", "NUL=C:\\LO"}},
};

class WininitSectionParse : public ::testing::TestWithParam<ParseCase> {};

TEST_P(WininitSectionParse, ReadsEntriesUpToTheEmptyOne) {
    const ParseCase& c = GetParam();
    WininitSection section(c.data.data(), c.length);
    EXPECT_EQ(section.Entries(), c.entries);
}

INSTANTIATE_TEST_SUITE_P(WininitSection, WininitSectionParse, ::testing::ValuesIn(ParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(WininitSection, DeletionEntryIsNulKey) {
    EXPECT_EQ(WininitSection::DeletionEntry("C:\\PROGRA~1\\A.EXE"), "NUL=C:\\PROGRA~1\\A.EXE");
}

TEST(WininitSection, ContainsComparesWholeEntriesWithTheGivenEquality) {
    auto section = Section("NUL=C:\\PROGRA~1\\A.EXE\0C:\\X=C:\\Y\0\0"s);
    EXPECT_TRUE(section.Contains("nul=c:\\progra~1\\a.exe", EqualIgnoringCase));
    EXPECT_FALSE(section.Contains("NUL=C:\\PROGRA~1\\A.EX", EqualIgnoringCase));
    EXPECT_FALSE(section.Contains("NUL=C:\\X", EqualIgnoringCase));
}

TEST(WininitSection, AppendsAfterExistingEntries) {
    struct Case {
        std::string data;
        std::string block;
    } cases[] = {
        {"", "NUL=C:\\B\0\0"s},
        {"C:\\X=C:\\Y\0\0"s, "C:\\X=C:\\Y\0NUL=C:\\B\0\0"s},
    };
    for (const auto& c : cases) {
        auto section = Section(c.data);
        ASSERT_TRUE(section.Append("NUL=C:\\B"));
        EXPECT_EQ(section.Block(), Bytes(c.block));
    }
}

// Existing entries of used bytes; the new entry of entrySize bytes.
WininitSection SectionOfSize(std::size_t used, std::size_t entrySize, std::string& entry) {
    entry = "NUL=C:\\" + std::string(entrySize - 7, 'E');
    std::string data;
    while (data.size() < used) {
        std::size_t left = used - data.size();  // each piece is an entry and its zero
        std::size_t piece = left <= 1000 ? left : (left - 1000 >= 10 ? 1000 : 500);
        data += "NUL=C:\\" + std::string(piece - 8, 'X') + '\0';
    }
    std::string buffer = data + '\0';
    WininitSection section(buffer.data(), data.size());
    EXPECT_EQ(section.Used(), used);
    return section;
}

TEST(WininitSection, AppendKeepsTheWholeSectionInsideTheBuffer) {
    struct Case {
        std::size_t used;
        std::size_t entrySize;
        bool fits;
    } cases[] = {
        {0, 40, true},
        {32766 - 40, 39, true},   // entry, its zero and the final zero fill the buffer exactly
        {32766 - 40, 40, false},  // one byte too many
        {32765, 8, false},        // a section that already fills the buffer
        {20000, 12000, true},
        {20000, 12766, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "used " << c.used << ", entry " << c.entrySize);
        std::string entry;
        auto section = SectionOfSize(c.used, c.entrySize, entry);
        auto before = section.Block();
        EXPECT_EQ(section.Append(entry), c.fits);
        if (c.fits) {
            EXPECT_EQ(section.Block().size(), c.used + c.entrySize + 2);
            EXPECT_LE(section.Block().size(), WininitSection::BufferSize);
            EXPECT_EQ(section.Entries().back(), entry);
        } else {
            EXPECT_EQ(section.Block(), before);
        }
    }
}

TEST(WininitSection, DropsEveryEqualEntryAndKeepsTheOthersInOrder) {
    struct Case {
        const char* name;
        std::string data;
        bool dropped;
        std::string block;
    } cases[] = {
        {"Empty", "", false, std::string(2, '\0')},
        {"NoMatch", "NUL=C:\\A\0\0"s, false, "NUL=C:\\A\0\0"s},
        {"OnlyEntry", "nul=c:\\b\0\0"s, true, std::string(2, '\0')},
        {"AmongOthers", "NUL=C:\\A\0NUL=C:\\B\0C:\\B=C:\\C\0NUL=C:\\b\0NUL=C:\\D\0\0"s,
         true, "NUL=C:\\A\0C:\\B=C:\\C\0NUL=C:\\D\0\0"s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto section = Section(c.data);
        EXPECT_EQ(section.Drop("NUL=C:\\B", EqualIgnoringCase), c.dropped);
        EXPECT_EQ(section.Block(), Bytes(c.block));
    }
}

TEST(WininitSection, ASectionThatFilledTheBufferMayBeCutShort) {
    struct Case {
        std::size_t length;
        bool truncated;
    } cases[] = {{0, false}, {100, false}, {32764, false}, {32765, true}};
    std::string buffer(WininitSection::BufferSize, 'A');
    for (const auto& c : cases) {
        buffer[c.length] = '\0';
        WininitSection section(buffer.data(), c.length);
        EXPECT_EQ(section.MaybeTruncated(), c.truncated) << c.length;
    }
}

}  // namespace
