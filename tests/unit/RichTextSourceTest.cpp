#include "ui/RichTextSource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string drain(RichTextSource& source, std::size_t piece, std::vector<std::size_t>& counts) {
    std::string out;
    std::vector<unsigned char> buffer(piece + 8, 0xCC);
    for (;;) {
        std::size_t n = source.read(buffer.data(), piece);
        counts.push_back(n);
        if (n == 0) return out;
        out.append(reinterpret_cast<const char*>(buffer.data()), n);
    }
}

TEST(RichTextSource, HandsOutNarrowTextFromTheFrontInRequestedPieces) {
    RichTextSource source(std::string("{\\rtf1 Hello}"));
    std::vector<std::size_t> counts;
    EXPECT_EQ(drain(source, 5, counts), "{\\rtf1 Hello}");
    EXPECT_EQ(counts, (std::vector<std::size_t>{5, 5, 3, 0}));
    EXPECT_EQ(source.read(nullptr, 10), 0u);  // stays exhausted
}

TEST(RichTextSource, WideTextIsHandedOutInWholeCodeUnits) {
    RichTextSource source(std::u16string(u"abc"));
    std::vector<std::size_t> counts;
    std::string bytes = drain(source, 3, counts);
    EXPECT_EQ(counts, (std::vector<std::size_t>{2, 2, 2, 0}));
    ASSERT_EQ(bytes.size(), 6u);
    std::u16string back(reinterpret_cast<const char16_t*>(bytes.data()), 3);
    EXPECT_EQ(back, u"abc");
}

TEST(RichTextSource, LargeRequestTakesEverythingAtOnce) {
    std::string text(100000, 'x');
    RichTextSource source(text);
    std::vector<std::size_t> counts;
    EXPECT_EQ(drain(source, 4096 * 64, counts), text);
    EXPECT_EQ(counts, (std::vector<std::size_t>{100000, 0}));
}

TEST(RichTextSource, EmptyTextEndsAtOnce) {
    RichTextSource source(std::string{});
    unsigned char buffer[4];
    EXPECT_EQ(source.read(buffer, 4), 0u);
    EXPECT_EQ(source.remainingBytes(), 0u);
}

}  // namespace
