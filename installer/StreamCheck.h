#pragma once
// What the build recorded about the two embedded streams (resource "BINARY" 150), and the
// check that both are still what was recorded.
#include "installer/actions/ByteSource.h"
#include "platform/Sha256Hash.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Resource 150: six unsigned 32-bit little-endian numbers in this order, then the two
// SHA-256 digests, then the number of packaged files and a (platform mask, size) pair of
// numbers for each, in stream order; then each file's name, ending with a zero byte (empty
// for the uninstaller, which goes to its own path).
struct PackagedFile {
    std::uint32_t platformMask = 0;
    std::uint32_t size = 0;
    std::string name;
};
struct StreamFacts {
    std::uint32_t packageSize = 0;          // resource 148
    std::uint32_t packageCrc = 0;
    std::uint32_t uninstallerSize = 0;      // resource 149
    std::uint32_t uninstallerCrc = 0;
    std::uint32_t uninstallerUnpacked = 0;  // uninst.exe itself
    std::uint32_t longestName = 0;          // longest file name of the package, "uninst.exe" included
    Sha256Digest packageSha256 = {};
    Sha256Digest uninstallerSha256 = {};
    std::vector<PackagedFile> files;
};
// The record without its file list (which begins with its count).
constexpr std::size_t StreamFactsSize = 24 + 2 * 32;

// Throws InstallError when the record has another size than its file count and names give.
StreamFacts ParseStreamFacts(const unsigned char* data, std::size_t size);

struct StreamDigest {
    std::uint64_t size = 0;
    std::uint32_t crc = 0;      // zlib's CRC-32, without a hash only
    Sha256Digest sha256 = {};   // with a hash only
};
// With sha256 (a fresh computation), the SHA-256 is taken instead of the CRC-32: a CRC can be
// forged, and one pass over the stream is all the check may cost.
StreamDigest DigestStream(ByteSource& source, Sha256Hash* sha256 = nullptr);

// Throws InstallError "The installer's <name> is damaged: ..." when the digest of the
// source differs from the recorded size, or SHA-256 (given a hash, where the system has
// one), or else CRC-32.
void VerifyStream(const char* name, ByteSource& source, std::uint32_t size, std::uint32_t crc,
                  const Sha256Digest& recordedSha256, Sha256Hash* sha256);
