#include "installer/actions/PeFileOffset.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(PeFileOffset, MapsOnlyARangeThatOneSectionCarriesInTheFile) {
    // As the linker writes them: PE header at 0x80, a 0xE0-byte optional header, then
    // .text; .bss (nothing in the file); .rsrc with a zero-filled tail in memory; a section
    // whose file data is padded beyond its size in memory.
    const uint32_t sections[][4] = {{0x1800, 0x1000, 0x1800, 0x400}, {0x500, 0x3000, 0, 0},
                                    {0x2000, 0x4000, 0x1A00, 0x1C00}, {0x100, 0x6000, 0x200, 0x3600}};
    std::vector<uint8_t> h(0x400);
    h[0] = 'M', h[1] = 'Z', h[0x86] = 4, h[0x94] = 0xE0;
    Put32(h, 0x3C, 0x80);
    Put32(h, 0x80, 0x00004550);
    for (size_t i = 0; i < 4; ++i)
        for (size_t f = 0; f < 4; ++f) Put32(h, 0x80 + 24 + 0xE0 + 40 * i + 8 + 4 * f, sections[i][f]);
    const size_t tableEnd = 0x80 + 24 + 0xE0 + 4 * 40;
    struct Row {
        uint32_t rva, size;
        std::optional<uint32_t> offset;
        size_t headerSize;
    };
    const Row rows[] = {
        {0x1000, 0x1800, 0x400, h.size()}, {0x1234, 0x10, 0x634, h.size()}, {0x4000, 0x1A00, 0x1C00, h.size()},
        {0x6000, 0x100, 0x3600, tableEnd},
        {0x2700, 0x200, std::nullopt, h.size()},   // past the end of .text
        {0x3000, 0x10, std::nullopt, h.size()},    // .bss
        {0x5900, 0x200, std::nullopt, h.size()},   // runs into the zero-filled tail
        {0x6100, 0x10, std::nullopt, h.size()},    // file padding, not in the image
        {0x500, 0x10, std::nullopt, h.size()},     // the headers are no section
        {0x6000, 0x100, std::nullopt, tableEnd - 1},   // section table not wholly read
    };
    for (const Row& r : rows)
        EXPECT_EQ(PeFileOffset(h.data(), r.headerSize, r.rva, r.size), r.offset) << std::hex << r.rva;
    h[0x81] = 'X';
    EXPECT_EQ(PeFileOffset(h.data(), h.size(), 0x1000, 1), std::nullopt);
}

}  // namespace
