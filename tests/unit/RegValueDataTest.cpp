#include "platform/RegValueData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// The bytes in a heap block of exactly their size, so that ASan reports any read past it.
class ExactBytes {
public:
    explicit ExactBytes(const std::string& bytes)
        : m_size(bytes.size()), m_data(new char[bytes.size() ? bytes.size() : 1]) {
        std::memcpy(m_data.get(), bytes.data(), bytes.size());
    }
    const char* Data() const { return m_size ? m_data.get() : nullptr; }
    std::size_t Size() const { return m_size; }

private:
    std::size_t m_size;
    std::unique_ptr<char[]> m_data;
};

std::string Bytes(const char* text, std::size_t size) { return std::string(text, size); }

struct StringCase {
    std::string bytes;
    uint32_t code;
    std::string text;
};

}  // namespace

TEST(RegValueData, DecodesStringsAndRejectsMissingTerminator) {
    const StringCase cases[] = {
        {"", 0, ""},
        {Bytes("\0", 1), 0, ""},
        {Bytes("abc\0", 4), 0, "abc"},
        {Bytes("abc\0\0\0", 6), 0, "abc"},
        {Bytes("ab\0cd\0", 6), 0, "ab"},  // text ends at the first zero
        {"abc", 13, "unchanged"},          // no terminating zero
        {Bytes("ab\0c", 4), 13, "unchanged"},
        {"a", 13, "unchanged"},
        {Bytes("\xE4\xF6\xFC\0", 4), 0, "\xE4\xF6\xFC"},  // ANSI bytes pass through
    };
    for (const StringCase& c : cases) {
        ExactBytes data(c.bytes);
        std::string text = "unchanged";
        EXPECT_EQ(RegValueData::DecodeString(data.Data(), data.Size(), text), c.code)
            << testing::PrintToString(c.bytes);
        EXPECT_EQ(text, c.text) << testing::PrintToString(c.bytes);
    }
}

TEST(RegValueData, DecodesLongStringWhole) {
    std::string path;
    for (int i = 0; path.size() < 30000; ++i) path += "C:\\Folder" + std::to_string(i) + ";";
    ExactBytes data(path + std::string(1, '\0'));
    std::string text;
    ASSERT_EQ(RegValueData::DecodeString(data.Data(), data.Size(), text), 0u);
    EXPECT_EQ(text, path);
}

namespace {

struct MultiCase {
    std::string bytes;
    uint32_t code;
    std::vector<std::string> list;
};

}  // namespace

TEST(RegValueData, DecodesMultiStrings) {
    const std::vector<std::string> unchanged{"unchanged"};
    const MultiCase cases[] = {
        {"", 0, {}},
        {Bytes("\0", 1), 0, {}},
        {"a", 0, {}},  // a single byte is no list, whatever it is
        {Bytes("\0\0", 2), 0, {}},
        {Bytes("a\0", 2), 0, {"a"}},
        {Bytes("a\0\0", 3), 0, {"a"}},
        {Bytes("a\0b\0\0", 5), 0, {"a", "b"}},
        {Bytes("a\0b\0", 4), 0, {"a", "b"}},  // list terminator missing: still read
        {Bytes("a\0\0b\0\0", 6), 0, {"a", "", "b"}},
        {Bytes("src\0\0\0", 6), 0, {"src", ""}},  // a deletion pair
        {Bytes("\\??\\C:\\x\0\0\\??\\C:\\y\0\\??\\C:\\z\0\0", 28), 0,
         {"\\??\\C:\\x", "", "\\??\\C:\\y", "\\??\\C:\\z"}},
        {Bytes("\0\0\0", 3), 0, {"", ""}},
        {Bytes("\0a\0\0", 4), 0, {"", "a"}},
        {"ab", 13, unchanged},
        {Bytes("a\0b", 3), 13, unchanged},
        {Bytes("a\0\0b", 4), 13, unchanged},
    };
    for (const MultiCase& c : cases) {
        ExactBytes data(c.bytes);
        std::vector<std::string> list = unchanged;
        EXPECT_EQ(RegValueData::DecodeMultiString(data.Data(), data.Size(), list), c.code)
            << testing::PrintToString(c.bytes);
        EXPECT_EQ(list, c.list) << testing::PrintToString(c.bytes);
    }
}

TEST(RegValueData, EncodesMultiStrings) {
    const struct {
        std::vector<std::string> list;
        std::string bytes;
    } cases[] = {
        {{}, Bytes("\0\0", 2)},
        {{"a"}, Bytes("a\0\0", 3)},
        {{"a", "b"}, Bytes("a\0b\0\0", 5)},
        {{"a", "", "b"}, Bytes("a\0\0b\0\0", 6)},
        {{"src", ""}, Bytes("src\0\0\0", 6)},
        {{std::string("a\0b", 3)}, Bytes("a\0\0", 3)},  // an entry cannot hold a zero
    };
    for (const auto& c : cases) {
        std::vector<char> data = RegValueData::EncodeMultiString(c.list);
        EXPECT_EQ(std::string(data.begin(), data.end()), c.bytes)
            << testing::PrintToString(c.list);
    }
}

TEST(RegValueData, MultiStringsSurviveEncodeAndDecode) {
    const std::vector<std::vector<std::string>> lists = {
        {},
        {"one"},
        {"\\??\\C:\\Q\\a.dll", "", "\\??\\C:\\Q\\b.tmp", "C:\\Q\\b.dll"},
        {"", "x"},
        {"x", "", "", "y", ""},
        {std::string(20000, 'p'), std::string(15000, 'q')},
    };
    for (const auto& list : lists) {
        std::vector<char> data = RegValueData::EncodeMultiString(list);
        ExactBytes exact(std::string(data.begin(), data.end()));
        std::vector<std::string> back{"stale"};
        ASSERT_EQ(RegValueData::DecodeMultiString(exact.Data(), exact.Size(), back), 0u);
        EXPECT_EQ(back, list);
    }
}

TEST(RegValueData, NeverReadsPastTheGivenBytes) {
    // Every short byte pattern over {0, 'a'}, each in a block of its exact size.
    for (std::size_t size = 0; size <= 8; ++size) {
        for (unsigned bits = 0; bits < (1u << size); ++bits) {
            std::string bytes;
            for (std::size_t i = 0; i < size; ++i) bytes.push_back((bits >> i) & 1 ? 'a' : '\0');
            ExactBytes data(bytes);
            std::string text;
            std::vector<std::string> list;
            uint32_t textCode = RegValueData::DecodeString(data.Data(), data.Size(), text);
            uint32_t listCode = RegValueData::DecodeMultiString(data.Data(), data.Size(), list);
            bool terminated = size == 0 || bytes.back() == '\0';
            EXPECT_EQ(textCode, terminated ? 0u : 13u);
            EXPECT_EQ(listCode, terminated || size == 1 ? 0u : 13u);
            std::size_t total = 0;
            for (const std::string& s : list) total += s.size() + 1;
            EXPECT_LE(total, size);
        }
    }
}
