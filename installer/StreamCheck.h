#pragma once
// What the build recorded about the two embedded streams (resource "BINARY" 150), and the
// check that both are still what was recorded.
#include "installer/actions/ByteSource.h"

#include <cstddef>
#include <cstdint>

// Resource 150: six unsigned 32-bit little-endian numbers in this order.
struct StreamFacts {
    std::uint32_t packageSize = 0;          // resource 148
    std::uint32_t packageCrc = 0;
    std::uint32_t uninstallerSize = 0;      // resource 149
    std::uint32_t uninstallerCrc = 0;
    std::uint32_t uninstallerUnpacked = 0;  // uninst.exe itself
    std::uint32_t longestName = 0;          // longest file name of the package, "uninst.exe" included
};
constexpr std::size_t StreamFactsSize = 24;

// Throws InstallError when the record has another size.
StreamFacts ParseStreamFacts(const unsigned char* data, std::size_t size);

struct StreamDigest {
    std::uint64_t size = 0;
    std::uint32_t crc = 0;   // zlib's CRC-32
};
StreamDigest DigestStream(ByteSource& source);

// Throws InstallError "The installer's <name> is damaged: ..." when the digest of the
// source differs from the recorded size or CRC-32.
void VerifyStream(const char* name, ByteSource& source, std::uint32_t size, std::uint32_t crc);
