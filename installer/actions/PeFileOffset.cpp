#include "installer/actions/PeFileOffset.h"

#include "NoCrtLib/LittleEndian.h"

#include <algorithm>

std::optional<uint32_t> PeFileOffset(const uint8_t* headers, size_t headerSize, uint32_t rva, uint32_t size) {
    if (headerSize < 0x40 || headers[0] != 'M' || headers[1] != 'Z') return std::nullopt;
    const uint64_t pe = Le32(headers + 0x3C);
    if (pe + 24 > headerSize || Le32(headers + pe) != 0x00004550) return std::nullopt;   // "PE\0\0"
    const uint32_t count = Le16(headers + pe + 6);
    const uint64_t table = pe + 24 + Le16(headers + pe + 20);
    if (table + 40 * uint64_t(count) > headerSize) return std::nullopt;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* section = headers + table + 40 * i;
        const uint32_t virtualSize = Le32(section + 8);
        const uint32_t address = Le32(section + 12);
        const uint32_t rawSize = Le32(section + 16);
        const uint32_t rawOffset = Le32(section + 20);
        // The image holds no more of the file's data than the section's size in memory.
        const uint32_t inFile = virtualSize ? std::min(virtualSize, rawSize) : rawSize;
        if (rva < address || rva - address >= inFile) continue;
        if (size > inFile - (rva - address)) return std::nullopt;
        const uint64_t offset = uint64_t(rawOffset) + (rva - address);
        if (offset + size > UINT32_MAX) return std::nullopt;
        return static_cast<uint32_t>(offset);
    }
    return std::nullopt;
}
