#pragma once
// One SHA-256 computation fed in pieces. The system computes it (CryptoSha256 on Windows);
// the logic that compares digests takes this interface, so it is tested natively.
#include <array>
#include <cstddef>
#include <cstdint>

using Sha256Digest = std::array<std::uint8_t, 32>;

class Sha256Hash {
public:
    virtual ~Sha256Hash() = default;
    // Failures are exceptions with finished texts.
    virtual void Add(const std::uint8_t* bytes, std::size_t count) = 0;
    // The digest of everything added; nothing may be added afterwards.
    virtual Sha256Digest Finish() = 0;
};
