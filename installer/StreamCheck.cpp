#include "installer/StreamCheck.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/LittleEndian.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08lx", static_cast<unsigned long>(value));
    return text;
}

std::string Hex(const Sha256Digest& digest) {
    std::string text;
    for (const std::uint8_t byte : digest) {
        char pair[4];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        text += pair;
    }
    return text;
}

}  // namespace

StreamFacts ParseStreamFacts(const unsigned char* data, std::size_t size) {
    const std::uint32_t count = size >= StreamFactsSize + 4 ? Le32(data + StreamFactsSize) : 0;
    // In 64 bits: a damaged count must not wrap the size it promises.
    const std::uint64_t fixed = StreamFactsSize + 4 + 8 * static_cast<std::uint64_t>(count);
    // Each name takes at least its zero byte.
    if (size < fixed + count)
        throw InstallError("The installer's stream record is damaged: " + std::to_string(size) +
                           " bytes instead of at least " + std::to_string(fixed + count));
    StreamFacts facts;
    std::uint32_t* fields[] = {&facts.packageSize, &facts.packageCrc, &facts.uninstallerSize,
                               &facts.uninstallerCrc, &facts.uninstallerUnpacked, &facts.longestName};
    for (std::size_t i = 0; i < 6; ++i) *fields[i] = Le32(data + 4 * i);
    std::copy(data + 24, data + 56, facts.packageSha256.begin());
    std::copy(data + 56, data + 88, facts.uninstallerSha256.begin());
    const char* name = reinterpret_cast<const char*>(data + fixed);
    const char* const end = reinterpret_cast<const char*>(data + size);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* entry = data + StreamFactsSize + 4 + 8 * i;
        const char* zero = std::find(name, end, '\0');
        if (zero == end) throw InstallError("The installer's stream record is damaged: a file name has no end");
        facts.files.push_back({Le32(entry), Le32(entry + 4), std::string(name, zero)});
        name = zero + 1;
    }
    if (name != end)
        throw InstallError("The installer's stream record is damaged: " + std::to_string(end - name) +
                           " bytes after the last file name");
    return facts;
}

StreamDigest DigestStream(ByteSource& source, Sha256Hash* sha256) {
    StreamDigest digest;
    uLong crc = crc32(0L, Z_NULL, 0);
    for (BytePiece next = source.Next(); next.count; next = source.Next()) {
        const unsigned char* piece = next.bytes;
        std::size_t size = next.count;
        digest.size += size;
        if (sha256) {
            sha256->Add(piece, size);
            continue;
        }
        // crc32 takes at most a uInt at a time.
        while (size) {
            const uInt n = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
            crc = crc32(crc, piece, n);
            piece += n;
            size -= n;
        }
    }
    if (sha256)
        digest.sha256 = sha256->Finish();
    else
        digest.crc = static_cast<std::uint32_t>(crc);
    return digest;
}

void VerifyStream(const char* name, ByteSource& source, std::uint32_t size, std::uint32_t crc,
                  const Sha256Digest& recordedSha256, Sha256Hash* sha256) {
    const StreamDigest digest = DigestStream(source, sha256);
    const std::string damaged = std::string("The installer's ") + name + " is damaged: ";
    if (digest.size != size)
        throw InstallError(damaged + std::to_string(digest.size) + " bytes instead of " + std::to_string(size));
    if (sha256) {
        if (digest.sha256 != recordedSha256)
            throw InstallError(damaged + "SHA-256 " + Hex(digest.sha256) + " instead of " + Hex(recordedSha256));
        return;
    }
    if (digest.crc != crc) throw InstallError(damaged + "CRC-32 " + Hex(digest.crc) + " instead of " + Hex(crc));
}
