#include "tools/PackageStreamWriter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Written(const PackageStreamWriter& w) { return std::string(w.Stream().begin(), w.Stream().end()); }

TEST(PackageStreamWriter, WritesOneGroupPerFile) {
    struct Row {
        const char* what;
        std::string name;
        uint8_t mask;
        bool uninstaller;
        std::string data;
        std::string stream;
    };
    using namespace std::string_literals;
    for (const Row& r : {
             Row{"plain file", "a.txt", 3, false, "hi", "\x01\0\0\0\x05" "a.txt" "\x65\0\0\0\x02" "hi"s},
             Row{"NT only", "b", 1, false, "x", "\x01\0\0\0\x01" "b" "\x03\0\0\0\x01\x01" "\x65\0\0\0\x01" "x"s},
             Row{"9x only", "b", 2, false, "x", "\x01\0\0\0\x01" "b" "\x03\0\0\0\x01\x02" "\x65\0\0\0\x01" "x"s},
             Row{"uninstaller", "u", 3, true, "MZ", "\x01\0\0\0\x01" "u" "\x02\0\0\0\0" "\x65\0\0\0\x02" "MZ"s},
             Row{"empty file", "e", 3, false, "", "\x01\0\0\0\x01" "e" "\x65\0\0\0\0"s},
         }) {
        SCOPED_TRACE(r.what);
        PackageStreamWriter w;
        w.AddFile(r.name, r.mask, r.uninstaller, reinterpret_cast<const uint8_t*>(r.data.data()), r.data.size());
        EXPECT_EQ(Written(w), r.stream);
    }
}

TEST(PackageStreamWriter, WritesLengthsBigEndian) {
    PackageStreamWriter w;
    std::vector<uint8_t> data(0x010203, 'd');
    w.AddFile("f", 3, false, data);
    const std::string s = Written(w);
    ASSERT_EQ(s.size(), 6u + 5u + data.size());
    EXPECT_EQ(s.substr(6, 5), std::string("\x65\x00\x01\x02\x03", 5));
}

TEST(PackageStreamWriter, AppendsFilesInTheOrderGiven) {
    PackageStreamWriter w;
    w.AddFile("1", 3, false, std::vector<uint8_t>{'a'});
    w.AddFile("2", 3, false, std::vector<uint8_t>{'b'});
    using namespace std::string_literals;
    EXPECT_EQ(Written(w), "\x01\0\0\0\x01" "1" "\x65\0\0\0\x01" "a" "\x01\0\0\0\x01" "2" "\x65\0\0\0\x01" "b"s);
}

}  // namespace
