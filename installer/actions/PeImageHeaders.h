#pragma once
// The headers of a loaded PE image against the first bytes of a file: the installer reads
// its streams from its own file, which must be the file the running image came from.
#include <cstddef>
#include <cstdint>

// SizeOfHeaders of the headers at image (the loaded image's, all mapped); 0 when they are
// not a PE image's.
uint32_t PeHeadersSize(const uint8_t* image);

// Whether file holds the image's headers, section table included, up to SizeOfHeaders.
// ImageBase is not compared: the loader writes the address it chose there on relocation.
bool FileHeadersMatchImage(const uint8_t* file, size_t fileSize, const uint8_t* image);
