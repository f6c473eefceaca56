#include "installer/actions/PeImageHeaders.h"

#include "NoCrtLib/LittleEndian.h"

#include <algorithm>
#include <cstring>

namespace {

// Real headers fit in the image's first pages; anything beyond is no linker's.
const uint32_t MaxHeaders = 0x10000;
const uint32_t OptionalHeader = 24;

}  // namespace

uint32_t PeHeadersSize(const uint8_t* image) {
    if (image[0] != 'M' || image[1] != 'Z') return 0;
    const uint32_t pe = Le32(image + 0x3C);
    // The NT headers up to SizeOfHeaders lie in the first page, which is always mapped.
    if (pe > 0x1000 - OptionalHeader - 64 || Le32(image + pe) != 0x00004550) return 0;
    const uint32_t magic = Le16(image + pe + OptionalHeader);
    if (magic != 0x10B && magic != 0x20B) return 0;
    const uint32_t size = Le32(image + pe + OptionalHeader + 60);
    return size > pe + OptionalHeader + 64 && size <= MaxHeaders ? size : 0;
}

bool FileHeadersMatchImage(const uint8_t* file, size_t fileSize, const uint8_t* image) {
    const uint32_t size = PeHeadersSize(image);
    if (size == 0 || fileSize < size) return false;
    const uint32_t optional = Le32(image + 0x3C) + OptionalHeader;
    const bool pe32 = Le16(image + optional) == 0x10B;
    const uint32_t base = optional + (pe32 ? 28 : 24);
    const uint32_t baseEnd = base + (pe32 ? 4 : 8);
    return std::memcmp(file, image, base) == 0 && std::memcmp(file + baseEnd, image + baseEnd, size - baseEnd) == 0;
}
