#include "platform/CryptoSha256.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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

}  // namespace
