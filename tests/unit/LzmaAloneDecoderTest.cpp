#include "installer/actions/LzmaAloneDecoder.h"

#include "NoCrtLib/InstallError.h"
#include "tools/LzmaAloneEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Text with repeats and a stretch of noise, so the packed stream is neither trivial nor raw.
Bytes Content(size_t size) {
    Bytes out;
    uint32_t x = 12345;
    while (out.size() < size) {
        x = x * 1103515245u + 12345u;
        if ((out.size() / 5000) % 3 == 2) {
            out.push_back(static_cast<uint8_t>(x >> 24));
        } else {
            const char* word = (x >> 28) < 8 ? "host key " : "tunnel port ";
            for (const char* p = word; *p && out.size() < size; ++p) out.push_back(static_cast<uint8_t>(*p));
        }
    }
    return out;
}

// A fast level keeps the tests quick; the decoder sees the same format either way.
LzmaAloneEncoder::Options Fast() {
    LzmaAloneEncoder::Options o;
    o.level = 1;
    return o;
}

Bytes Pack(const Bytes& data, LzmaAloneEncoder::Options options = Fast()) {
    return LzmaAloneEncoder::Encode(data.data(), data.size(), options);
}

void SetDeclaredSize(Bytes& stream, uint64_t size) {
    for (int i = 0; i < 8; ++i) stream[5 + i] = static_cast<uint8_t>(size >> (8 * i));
}

struct Decoded {
    Bytes data;
    std::vector<size_t> pieces;
    std::string error;
};

// maxPiece: the most bytes the decoder is given at a time; by default all at once.
// ahead: pieces decoded ahead before the first is read.
Decoded Decode(const Bytes& stream, size_t maxPiece = SIZE_MAX, size_t ahead = 0) {
    Decoded out;
    try {
        MemorySource input(stream.data(), stream.size(), maxPiece);
        LzmaAloneDecoder decoder(input);
        decoder.DecodeAhead([&ahead] { return ahead-- == 0; });
        for (auto p = decoder.Next(); p.count; p = decoder.Next()) {
            out.pieces.push_back(p.count);
            out.data.insert(out.data.end(), p.bytes, p.bytes + p.count);
            if (out.pieces.size() > 10000) throw std::runtime_error("no end");
        }
    } catch (const InstallError& e) {
        out.error = e.what();
    }
    return out;
}

TEST(LzmaAloneDecoder, DecodesWholeStreamsInPiecesOfAtMost128KiB) {
    const size_t K = LzmaAloneDecoder::PieceSize;
    struct Row {
        size_t size;
        std::vector<size_t> pieces;
    };
    for (const Row& r : {Row{0, {}}, Row{1, {1}}, Row{5000, {5000}}, Row{K - 1, {K - 1}}, Row{K, {K}},
                         Row{K + 1, {K, 1}}, Row{3 * K + 77, {K, K, K, 77}}}) {
        SCOPED_TRACE(r.size);
        const Bytes data = Content(r.size);
        Decoded d = Decode(Pack(data));
        EXPECT_EQ(d.error, "");
        EXPECT_EQ(d.pieces, r.pieces);
        EXPECT_TRUE(d.data == data);
    }
}

TEST(LzmaAloneDecoder, ReportsTheDeclaredSize) {
    const Bytes packed = Pack(Content(70000));
    LzmaAloneDecoder decoder(packed.data(), packed.size());
    EXPECT_EQ(decoder.UnpackedSize(), 70000u);
    EXPECT_EQ(decoder.Remaining(), 70000u);
    decoder.Next();
    EXPECT_EQ(decoder.Remaining(), 0u);
    EXPECT_EQ(decoder.Next().count, 0u);
}

TEST(LzmaAloneDecoder, AcceptsAHeaderOnlyStreamOfSizeZero) {
    Bytes stream = {0x5D, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0};
    Decoded d = Decode(stream);
    EXPECT_EQ(d.error, "");
    EXPECT_TRUE(d.pieces.empty());
}

TEST(LzmaAloneDecoder, RefusesBadHeaders) {
    const Bytes good = Pack(Content(1000));
    auto with = [&](size_t at, uint8_t value) {
        Bytes s = good;
        s[at] = value;
        return s;
    };
    Bytes unknownSize = good;
    SetDeclaredSize(unknownSize, UINT64_MAX);
    struct Row {
        const char* what;
        Bytes stream;
        std::string error;
    };
    const std::string shortText = "WriteFilesFromLzmaStream: insufficient stream length";
    const std::string propsText = "LzmaDecodeProperties() failed: incorrect stream properties";
    for (const Row& r : {Row{"empty", {}, shortText},
                         Row{"12 bytes", Bytes(good.begin(), good.begin() + 12), shortText},
                         Row{"properties byte 225", with(0, 225), propsText},
                         Row{"properties byte 255", with(0, 255), propsText},
                         Row{"size not stated", unknownSize, "WriteFilesFromLzmaStream: end-of-stream marker not supported"}}) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(Decode(r.stream).error, r.error);
    }
}

TEST(LzmaAloneDecoder, AcceptsTheLargestPropertiesByte) {
    // 224 = pb 4, lp 4, lc 8.
    LzmaAloneEncoder::Options o = Fast();
    o.lc = 8;
    o.lp = 4;
    o.pb = 4;
    const Bytes data = Content(200000);
    Bytes packed = Pack(data, o);
    ASSERT_EQ(packed[0], 224);
    Decoded d = Decode(packed);
    EXPECT_EQ(d.error, "");
    EXPECT_TRUE(d.data == data);
}

TEST(LzmaAloneDecoder, TreatsAStoredDictionarySizeOfZeroAsTheSmallest) {
    const Bytes data = Content(3000);
    Bytes packed = Pack(data);
    for (int i = 1; i <= 4; ++i) packed[i] = 0;
    Decoded d = Decode(packed);
    EXPECT_EQ(d.error, "");
    EXPECT_TRUE(d.data == data);
}

TEST(LzmaAloneDecoder, FailsOnATruncatedStreamInsteadOfLooping) {
    const Bytes data = Content(300000);
    const Bytes packed = Pack(data);
    for (size_t keep : {size_t(13), size_t(14), size_t(18), packed.size() / 3, packed.size() / 2, packed.size() - 1}) {
        SCOPED_TRACE(keep);
        Decoded d = Decode(Bytes(packed.begin(), packed.begin() + keep));
        EXPECT_EQ(d.error, "LzmaDecode() failed: error 6");
        EXPECT_LT(d.data.size(), data.size());
        EXPECT_TRUE(std::equal(d.data.begin(), d.data.end(), data.begin()));
    }
}

TEST(LzmaAloneDecoder, FailsWhenTheDeclaredSizeDoesNotMatchTheData) {
    const Bytes data = Content(300000);
    const Bytes packed = Pack(data);
    for (uint64_t declared : {uint64_t(1), uint64_t(299999), uint64_t(300001), uint64_t(400000)}) {
        SCOPED_TRACE(declared);
        Bytes s = packed;
        SetDeclaredSize(s, declared);
        Decoded d = Decode(s);
        EXPECT_NE(d.error.find("LzmaDecode() failed: error "), std::string::npos) << d.error;
        EXPECT_LE(d.data.size(), declared);
    }
}

TEST(LzmaAloneDecoder, FailsWhenAnEndMarkerComesBeforeTheDeclaredSize) {
    LzmaAloneEncoder::Options o = Fast();
    o.endMarker = true;
    const Bytes data = Content(150000);
    Bytes packed = Pack(data, o);
    Decoded exact = Decode(packed);
    EXPECT_EQ(exact.error, "");
    EXPECT_TRUE(exact.data == data);

    SetDeclaredSize(packed, data.size() + 10);
    Decoded longer = Decode(packed);
    EXPECT_EQ(longer.error, "LzmaDecode() failed: error 1");
    EXPECT_TRUE(longer.data == data);
}

TEST(LzmaAloneDecoder, FailsOnCorruptData) {
    Bytes packed = Pack(Content(1000));
    packed[13] = 1;   // the range coder's first byte is always 0
    EXPECT_EQ(Decode(packed).error, "LzmaDecode() failed: error 1");
}

TEST(LzmaAloneDecoder, GivesTheSameResultWhateverPiecesTheInputComesIn) {
    const Bytes data = Content(300000);
    const Bytes packed = Pack(data);
    Bytes shorter = packed, longer = packed, corrupt = packed;
    SetDeclaredSize(shorter, data.size() - 1);
    SetDeclaredSize(longer, data.size() + 1);
    corrupt[packed.size() / 2] ^= 0x40;
    LzmaAloneEncoder::Options marked = Fast();
    marked.endMarker = true;
    Bytes early = Pack(data, marked);
    SetDeclaredSize(early, data.size() + 10);
    const Bytes cut(packed.begin(), packed.begin() + packed.size() / 2);
    const Bytes* streams[] = {&packed, &shorter, &longer, &corrupt, &early, &cut};
    for (const Bytes* stream : streams) {
        const Decoded whole = Decode(*stream);
        for (size_t maxPiece : {size_t(1), size_t(7), size_t(65536)}) {
            SCOPED_TRACE(testing::Message() << "stream " << stream - &packed << ", pieces of " << maxPiece);
            const Decoded split = Decode(*stream, maxPiece);
            EXPECT_EQ(split.error, whole.error);
            EXPECT_EQ(split.pieces, whole.pieces);
            EXPECT_TRUE(split.data == whole.data);
        }
    }
}

// Decoding ahead fills the dictionary the pieces are later read from; a dictionary smaller
// than the data wraps, and a size that is no multiple of a piece cuts one short there. A
// fault found ahead ends the reading sooner, with the same error.
TEST(LzmaAloneDecoder, DecodingAheadChangesNothingThatIsReadOut) {
    const Bytes data = Content(700000);
    LzmaAloneEncoder::Options small = Fast();
    small.dictionarySize = 200000;
    const Bytes packed = Pack(data, small);
    Bytes corrupt = packed;
    corrupt[packed.size() / 3] ^= 0x40;
    for (const Bytes* stream : {&packed, static_cast<const Bytes*>(&corrupt)}) {
        const Decoded plain = Decode(*stream);
        for (size_t ahead : {size_t(1), size_t(2), SIZE_MAX}) {
            SCOPED_TRACE(testing::Message() << (stream == &packed ? "whole" : "corrupt") << ", ahead " << ahead);
            const Decoded early = Decode(*stream, 65536, ahead);
            EXPECT_EQ(early.error, plain.error);
            ASSERT_LE(early.data.size(), plain.data.size());
            EXPECT_TRUE(std::equal(early.data.begin(), early.data.end(), plain.data.begin()));
            if (plain.error.empty()) EXPECT_EQ(early.data.size(), plain.data.size());
        }
    }
    EXPECT_TRUE(Decode(packed, 65536, SIZE_MAX).data == data);
}

}  // namespace
