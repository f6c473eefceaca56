#include "installer/actions/PeFileOffset.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

struct Section {
    uint32_t virtualSize, address, rawSize, rawOffset;
};

// Headers as the linker writes them: PE header at 0x80, a 0xE0-byte optional header.
Bytes Headers(const std::vector<Section>& sections) {
    Bytes b(0x400);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3C, 0x80);
    Put32(b, 0x80, 0x00004550);
    b[0x86] = static_cast<uint8_t>(sections.size());
    b[0x94] = 0xE0;
    for (size_t i = 0; i < sections.size(); ++i) {
        const size_t at = 0x80 + 24 + 0xE0 + 40 * i;
        Put32(b, at + 8, sections[i].virtualSize);
        Put32(b, at + 12, sections[i].address);
        Put32(b, at + 16, sections[i].rawSize);
        Put32(b, at + 20, sections[i].rawOffset);
    }
    return b;
}

TEST(PeFileOffset, MapsARangeThatOneSectionCarriesInTheFile) {
    // .text; .bss (nothing in the file); .rsrc, whose file data is shorter than its size in
    // memory (the tail is zero-filled) and padded in the file beyond it.
    const Bytes h = Headers({{0x1800, 0x1000, 0x1800, 0x400}, {0x500, 0x3000, 0, 0},
                             {0x2000, 0x4000, 0x1A00, 0x1C00}, {0x100, 0x6000, 0x200, 0x3600}});
    struct Row {
        uint32_t rva, size;
        std::optional<uint32_t> offset;
    };
    const Row rows[] = {
        {0x1000, 0x1800, 0x400}, {0x1234, 0x10, 0x634}, {0x4000, 0x1A00, 0x1C00}, {0x4010, 0x100, 0x1C10},
        {0x6000, 0x100, 0x3600},
        {0x2700, 0x200, std::nullopt},   // past the end of .text
        {0x3000, 0x10, std::nullopt},    // .bss
        {0x5900, 0x200, std::nullopt},   // runs into the zero-filled tail of .rsrc
        {0x5A00, 0x10, std::nullopt},    // inside the tail
        {0x6100, 0x10, std::nullopt},    // the file's padding after the section's size in memory
        {0x500, 0x10, std::nullopt},     // the headers are no section
    };
    for (const Row& r : rows) EXPECT_EQ(PeFileOffset(h.data(), h.size(), r.rva, r.size), r.offset) << std::hex << r.rva;
}

TEST(PeFileOffset, RefusesHeadersThatAreNotAWholePeHeader) {
    const Bytes good = Headers({{0x1000, 0x1000, 0x1000, 0x400}});
    ASSERT_EQ(PeFileOffset(good.data(), good.size(), 0x1000, 1), 0x400u);
    Bytes notMz = good, notPe = good, farPe = good;
    notMz[0] = 'X';
    notPe[0x81] = 'X';
    Put32(farPe, 0x3C, 0xFFFFFFF0);
    for (const Bytes* h : {&notMz, &notPe, &farPe}) EXPECT_EQ(PeFileOffset(h->data(), h->size(), 0x1000, 1), std::nullopt);
    // The section table must be among the bytes read.
    const size_t tableEnd = 0x80 + 24 + 0xE0 + 40;
    EXPECT_EQ(PeFileOffset(good.data(), tableEnd - 1, 0x1000, 1), std::nullopt);
    EXPECT_EQ(PeFileOffset(good.data(), tableEnd, 0x1000, 1), 0x400u);
}

}  // namespace
