#pragma once
// Little-endian numbers in byte buffers (PE headers, the LZMA header, the stream record),
// read byte by byte: the buffers have no alignment.
#include <cstdint>

inline std::uint32_t Le16(const std::uint8_t* p) { return p[0] | (std::uint32_t(p[1]) << 8); }
inline std::uint32_t Le32(const std::uint8_t* p) { return Le16(p) | (Le16(p + 2) << 16); }
