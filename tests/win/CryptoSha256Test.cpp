#include "platform/CryptoSha256.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Hex(const Sha256Digest& digest) {
    std::string text;
    char pair[4];
    for (auto byte : digest) std::snprintf(pair, sizeof pair, "%02x", byte), text += pair;
    return text;
}

const std::uint8_t* Bytes(const char* text) { return reinterpret_cast<const std::uint8_t*>(text); }

// Wine, like XP SP3 and later, has the AES provider, so the stream check takes SHA-256 here.
TEST(CryptoSha256, DigestsPiecesAsOneMessage) {
    auto hash = CryptoSha256::TryStart();
    ASSERT_TRUE(hash);
    hash->Add(Bytes("a"), 1);
    hash->Add(Bytes("bc"), 2);
    // The "abc" example of FIPS 180-2.
    EXPECT_EQ(Hex(hash->Finish()), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

// Prints the throughput the stream check gets (not asserted: it follows the machine's load).
TEST(CryptoSha256, PiecesOfALargeStreamGiveTheDigestOfTheWholeBlock) {
    std::vector<std::uint8_t> data(16u << 20);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 2654435761u >> 24);
    auto pieces = CryptoSha256::TryStart();
    ASSERT_TRUE(pieces);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (std::size_t at = 0; at < data.size(); at += 0x10000) pieces->Add(data.data() + at, 0x10000);
    const Sha256Digest piecewise = pieces->Finish();
    QueryPerformanceCounter(&end);
    const double seconds = double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
    std::printf("SHA-256 (CryptoAPI): %.1f MB/s over %u MiB in 64 KiB pieces\n",
                double(data.size()) / 1e6 / seconds, unsigned(data.size() >> 20));
    auto whole = CryptoSha256::TryStart();
    whole->Add(data.data(), data.size());
    EXPECT_EQ(Hex(whole->Finish()), Hex(piecewise));
    data[12345] ^= 1;
    auto changed = CryptoSha256::TryStart();
    changed->Add(data.data(), data.size());
    EXPECT_NE(Hex(changed->Finish()), Hex(piecewise));
}

}  // namespace
