#include "installer/StreamCheck.h"

#include "NoCrtLib/InstallError.h"
#include "installer/actions/LzmaAloneDecoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Stands in for the system's SHA-256: its "digest" is the count of bytes added, in every byte.
class CountingHash : public Sha256Hash {
public:
    void Add(const std::uint8_t*, std::size_t count) override { m_count += count; }
    Sha256Digest Finish() override {
        Sha256Digest digest;
        digest.fill(static_cast<std::uint8_t>(m_count));
        return digest;
    }

private:
    std::size_t m_count = 0;
};

Sha256Digest Filled(std::uint8_t byte) {
    Sha256Digest digest;
    digest.fill(byte);
    return digest;
}

// "" when the bytes "123456789" match size and crc (or, with a hash, the SHA-256), else
// the error's text.
std::string VerifyText(std::uint32_t size, std::uint32_t crc, Sha256Hash* sha256 = nullptr,
                       std::uint8_t recordedFill = 9) {
    try {
        MemorySource source(reinterpret_cast<const uint8_t*>("123456789"), 9, 4);
        VerifyStream("package stream", source, size, crc, Filled(recordedFill), sha256);
    } catch (const InstallError& e) {
        return e.what();
    }
    return "";
}

TEST(StreamCheck, NamesTheDamagedStream) {
    EXPECT_EQ(VerifyText(9, 0xCBF43926), "");   // the CRC-32 check value
    EXPECT_EQ(VerifyText(9, 0xCBF43927), "The installer's package stream is damaged: CRC-32 cbf43926 instead of cbf43927");
    EXPECT_EQ(VerifyText(10, 0xCBF43926), "The installer's package stream is damaged: 9 bytes instead of 10");
}

TEST(StreamCheck, WithAHashComparesTheSha256InsteadOfTheCrc) {
    CountingHash matching, differing;
    EXPECT_EQ(VerifyText(9, 0, &matching), "");
    std::string nines, tens;
    for (int i = 0; i < 32; ++i) nines += "09", tens += "0a";
    EXPECT_EQ(VerifyText(9, 0xCBF43926, &differing, 10),
              "The installer's package stream is damaged: SHA-256 " + nines + " instead of " + tens);
}

TEST(StreamCheck, DigestsPiecesAsOneStreamAndReadsTheRecord) {
    MemorySource pieces(reinterpret_cast<const uint8_t*>("123456789"), 9, 3);
    const StreamDigest digest = DigestStream(pieces);
    EXPECT_EQ(digest.size, 9u);
    EXPECT_EQ(digest.crc, 0xCBF43926u);

    std::vector<unsigned char> record(StreamFactsSize);
    for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<unsigned char>(i + 1);
    // Two files: (mask 3, 0x10203, "a b"), (mask 1, 5, the uninstaller).
    const unsigned char files[] = {2, 0, 0, 0, 3, 0, 0, 0, 3, 2, 1, 0, 1, 0, 0, 0, 5, 0, 0, 0, 'a', ' ', 'b', 0, 0};
    record.insert(record.end(), files, files + sizeof files);
    const StreamFacts facts = ParseStreamFacts(record.data(), record.size());
    EXPECT_EQ(facts.longestName, 0x18171615u);
    EXPECT_EQ(facts.packageSha256.front(), 25);
    EXPECT_EQ(facts.uninstallerSha256.front(), 57);
    EXPECT_EQ(facts.uninstallerSha256.back(), 88);
    ASSERT_EQ(facts.files.size(), 2u);
    EXPECT_EQ((std::pair(facts.files[0].platformMask, facts.files[0].size)), (std::pair(3u, 0x10203u)));
    EXPECT_EQ((std::pair(facts.files[1].platformMask, facts.files[1].size)), (std::pair(1u, 5u)));
    EXPECT_EQ(facts.files[0].name, "a b");
    EXPECT_EQ(facts.files[1].name, "");
    EXPECT_THROW(ParseStreamFacts(record.data(), record.size() - 1), InstallError);  // a name without end
    record.push_back(0);
    EXPECT_THROW(ParseStreamFacts(record.data(), record.size()), InstallError);  // a byte past the names
    record.pop_back();
    record[StreamFactsSize] = 0xFF;   // a count the list does not hold
    EXPECT_THROW(ParseStreamFacts(record.data(), record.size()), InstallError);
    const unsigned char header[13] = {0x5D, 0, 0, 0, 2, 0x10, 0x20, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(LzmaAloneDecoder::UnpackedSizeOf(header, 13), 0x100002010ull);
}

}  // namespace
