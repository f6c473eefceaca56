#include "installer/StreamCheck.h"

#include "NoCrtLib/InstallError.h"
#include "installer/actions/LzmaAloneDecoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// "" when the bytes "123456789" match size and crc, else the error's text.
std::string VerifyText(std::uint32_t size, std::uint32_t crc) {
    try {
        MemorySource source(reinterpret_cast<const uint8_t*>("123456789"), 9);
        VerifyStream("package stream", source, size, crc);
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

TEST(StreamCheck, DigestsPiecesAsOneStreamAndReadsTheRecord) {
    MemorySource pieces(reinterpret_cast<const uint8_t*>("123456789"), 9, 3);
    const StreamDigest digest = DigestStream(pieces);
    EXPECT_EQ(digest.size, 9u);
    EXPECT_EQ(digest.crc, 0xCBF43926u);

    std::vector<unsigned char> record(StreamFactsSize);
    for (std::size_t i = 0; i < record.size(); ++i) record[i] = static_cast<unsigned char>(i + 1);
    EXPECT_EQ(ParseStreamFacts(record.data(), record.size()).longestName, 0x18171615u);
    EXPECT_THROW(ParseStreamFacts(record.data(), record.size() - 1), InstallError);
    const unsigned char header[13] = {0x5D, 0, 0, 0, 2, 0x10, 0x20, 0, 0, 1, 0, 0, 0};
    EXPECT_EQ(LzmaAloneDecoder::UnpackedSizeOf(header, 13), 0x100002010ull);
}

}  // namespace
