#include "installer/actions/PeImageHeaders.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Headers of 0x400 bytes with the PE header at 0x80, as PE32 (0x10B) or PE32+ (0x20B).
std::vector<uint8_t> Headers(uint16_t magic) {
    std::vector<uint8_t> h(0x1000);
    h[0] = 'M', h[1] = 'Z';
    Put32(h, 0x3C, 0x80);
    Put32(h, 0x80, 0x00004550);
    h[0x98] = magic & 0xFF, h[0x99] = magic >> 8;
    Put32(h, 0x98 + 60, 0x400);
    h[0x300] = 0x2E;   // a section table entry
    return h;
}

TEST(PeImageHeaders, FileMatchesTheImageUpToSizeOfHeadersWhateverBaseTheLoaderChose) {
    for (uint16_t magic : {0x10B, 0x20B}) {
        const std::vector<uint8_t> file = Headers(magic);
        std::vector<uint8_t> image = file;
        EXPECT_EQ(PeHeadersSize(image.data()), 0x400u);
        image[0x98 + (magic == 0x10B ? 28 : 24)] = 0x55;   // relocated: ImageBase rewritten
        image[0x500] = 1;                                  // past SizeOfHeaders
        EXPECT_TRUE(FileHeadersMatchImage(file.data(), file.size(), image.data())) << magic;
        EXPECT_FALSE(FileHeadersMatchImage(file.data(), 0x3FF, image.data())) << magic;
        image[0x300] = 0x2F;   // another section table
        EXPECT_FALSE(FileHeadersMatchImage(file.data(), file.size(), image.data())) << magic;
    }
    std::vector<uint8_t> notPe = Headers(0x10B);
    notPe[0x81] = 'X';
    EXPECT_EQ(PeHeadersSize(notPe.data()), 0u);
    EXPECT_FALSE(FileHeadersMatchImage(notPe.data(), notPe.size(), notPe.data()));
}

}  // namespace
