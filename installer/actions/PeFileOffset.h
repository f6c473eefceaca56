#pragma once
// Where the bytes at an image address lie in the PE file the image was loaded from, found
// with the file's section table: the installer reads its own resources from its file.
#include <cstddef>
#include <cstdint>
#include <optional>

// headers: the first bytes of the file, the whole section table among them. Returns the
// file offset of the range [rva, rva + size) when one section carries all of it in the
// file; none for headers that are not a PE image's or a range no section holds in the file
// (such as the zero-filled tail of a section).
std::optional<uint32_t> PeFileOffset(const uint8_t* headers, size_t headerSize, uint32_t rva, uint32_t size);
