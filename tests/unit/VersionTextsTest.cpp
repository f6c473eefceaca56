#include "platform/VersionTexts.h"

#include <gtest/gtest.h>

using VersionTexts::InternetExplorerFromValues;
using VersionTexts::ServicePackFromText;

TEST(VersionTexts, ServicePackIsTheNumberAfterServicePack) {
    struct Case { const char* text; int expected; };
    const Case cases[] = {
        {"Service Pack 3", 3},
        {"Service Pack 6a", 6},          // the letter after the number is ignored
        {"SERVICE PACK 2", 2},           // the words in any case
        {"service pack 10", 10},
        {"Service Pack  4", 4},          // white space before the number
        {"Service Pack 0", 0},
        {"Service Pack 0x1A", 26},       // read like "%i"
        {"Service Pack 010", 8},
        {"Service Pack +5", 5},
        {"Service Pack -1", -1},         // negative: undetermined
        {"Service Pack 99999999999", 2147483647},
        {"Service Pack", -1},            // nothing after the words
        {"Service Pack ", -1},
        {"Service Pack x", -1},
        {"Service Pak 3", -1},
        {"", -1},
        {"Update 3", -1},
        {" Service Pack 3", -1},         // must begin with the words
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ServicePackFromText(c.text), c.expected);
    }
}

TEST(VersionTexts, InternetExplorerVersionFromTheRegistryValues) {
    using S = std::optional<std::string>;
    const S none;
    struct Case { const char* name; S version, iver, build; std::optional<VersionTriple> expected; };
    const Case cases[] = {
        {"four parts read as three", S("6.0.2900.2180"), none, none, VersionTriple(6, 0, 2900)},
        {"exact minimum", S("4.71.1712"), none, none, VersionTriple(4, 71, 1712)},
        {"two parts", S("5.5"), none, none, VersionTriple(5, 5, 0)},
        {"one part", S("8"), none, none, VersionTriple(8, 0, 0)},
        {"stops at a bad separator", S("5,1.2"), none, none, VersionTriple(5, 0, 0)},
        {"spaces before numbers", S(" 6. 0. 3"), none, none, VersionTriple(6, 0, 3)},
        {"major zero is undetermined", S("0.9.1"), none, none, std::nullopt},
        {"no number", S("abc"), none, none, std::nullopt},
        {"empty version", S(""), none, none, std::nullopt},
        {"version wins over IVer", S("junk"), S("103"), S("1158"), std::nullopt},
        {"IVer 101", none, S("101"), none, VersionTriple(4, 40, 308)},
        {"IVer 102", none, S("102"), S("9"), VersionTriple(4, 40, 520)},  // Build only for 103
        {"IVer 103", none, S("103"), none, VersionTriple(4, 70, 1155)},
        {"IVer 103 with Build", none, S("103"), S("1158"), VersionTriple(4, 70, 1158)},
        {"IVer 103 with bad Build", none, S("103"), S("x"), VersionTriple(4, 70, 1155)},
        {"IVer other", none, S("104"), S("1"), std::nullopt},
        {"IVer with space", none, S("103 "), none, std::nullopt},
        {"nothing", none, none, S("1158"), std::nullopt},
        {"text after zero ignored", S(std::string("5.0\0" "9", 5)), none, none, VersionTriple(5, 0, 0)},
        {"only 79 characters read", S(std::string(79, '0') + "5"), none, none, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto got = InternetExplorerFromValues(c.version, c.iver, c.build);
        ASSERT_EQ(got.has_value(), c.expected.has_value());
        if (got) {
            EXPECT_EQ(got->a, c.expected->a);
            EXPECT_EQ(got->b, c.expected->b);
            EXPECT_EQ(got->c, c.expected->c);
        }
    }
}
