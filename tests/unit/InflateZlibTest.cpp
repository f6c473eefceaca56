#include "installer/actions/InflateZlib.h"

#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// Text runs that compress well and noise that does not: several deflate blocks, and more
// output than one 64 KiB piece.
Bytes SampleContents(size_t size) {
    Bytes out;
    uint32_t x = 149;
    const std::string line = "line of the uninstaller stand-in\r\n";
    while (out.size() < size) {
        for (int i = 0; i < 30 && out.size() < size; ++i) out.insert(out.end(), line.begin(), line.end());
        for (int i = 0; i < 2000 && out.size() < size; ++i) {
            x = x * 1103515245u + 12345u;
            out.push_back(static_cast<unsigned char>(x >> 24));
        }
    }
    out.resize(size);
    return out;
}

Bytes Compress(const Bytes& plain) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, plain.data(), static_cast<uLong>(plain.size()), 9), Z_OK);
    out.resize(size);
    return out;
}

struct Result {
    Bytes output;
    std::vector<size_t> pieces;
    std::string error;  // empty: no exception
};

// maxPiece: the most bytes the inflater is given at a time; by default all at once.
Result Inflate(const Bytes& stream, size_t maxPiece = SIZE_MAX) {
    Result r;
    try {
        MemorySource input(stream.data(), stream.size(), maxPiece);
        InflateZlib(input, [&r](const unsigned char* data, size_t size) {
            r.pieces.push_back(size);
            r.output.insert(r.output.end(), data, data + size);
        });
    } catch (const std::runtime_error& e) {
        r.error = e.what();
    }
    return r;
}

TEST(InflateZlib, RestoresTheContentsInPiecesOfAtMost64KiB) {
    for (size_t size : {size_t(0), size_t(1), size_t(65536), size_t(65537), size_t(357000)}) {
        Bytes plain = SampleContents(size);
        Result r = Inflate(Compress(plain));
        EXPECT_EQ(r.error, "") << size;
        EXPECT_TRUE(r.output == plain) << size;
        EXPECT_TRUE(Inflate(Compress(plain), 1000).output == plain) << size;   // input in pieces
        for (size_t piece : r.pieces) EXPECT_LE(piece, 65536u);
        if (size > 65536) {
            EXPECT_GE(r.pieces.size(), 2u);
        }
    }
}

TEST(InflateZlib, CorruptStreamsFailWithTheLibrarysReason) {
    const Bytes good = Compress(SampleContents(200000));
    auto changed = [&good](size_t at, unsigned char xorMask) {
        Bytes b = good;
        b[at] ^= xorMask;
        return b;
    };
    Bytes badHeader = good;
    badHeader[1] = 0x00;  // 0x7800 is no multiple of 31
    Bytes gzipHeader = good;
    gzipHeader[0] = 0x1f;
    gzipHeader[1] = 0x8b;
    Bytes presetDictionary = {0x78, 0xBB, 0x00, 0x00, 0x00, 0x01};  // FDICT set, header check valid
    struct Case {
        const char* name;
        Bytes stream;
        std::string error;
    };
    const Case cases[] = {
        {"bad header", badHeader, "inflate() failed: incorrect header check"},
        {"gzip header", gzipHeader, "inflate() failed: incorrect header check"},
        {"unknown method", {0x79, 0x18, 0x03, 0x00}, "inflate() failed: unknown compression method"},
        {"preset dictionary", presetDictionary, "inflate() failed: need dictionary"},
        {"bad Adler-32", changed(good.size() - 1, 0x01), "inflate() failed: incorrect data check"},
        {"reserved block type", {0x78, 0x9C, 0x07, 0x00}, "inflate() failed: invalid block type"},
        {"truncated in the data", Bytes(good.begin(), good.begin() + good.size() / 2),
         "inflate() failed: unexpected end of compressed data"},
        {"truncated in the trailer", Bytes(good.begin(), good.end() - 2),
         "inflate() failed: unexpected end of compressed data"},
        {"header only", {0x78, 0x9C}, "inflate() failed: unexpected end of compressed data"},
        {"empty", {}, "inflate() failed: unexpected end of compressed data"},
    };
    // The same whatever pieces the input comes in.
    for (size_t maxPiece : {SIZE_MAX, size_t(1), size_t(1000)})
        for (const Case& c : cases) EXPECT_EQ(Inflate(c.stream, maxPiece).error, c.error) << c.name << " " << maxPiece;
}

TEST(InflateZlib, BytesAfterTheEndOfTheStreamAreIgnored) {
    Bytes plain = SampleContents(1000);
    Bytes stream = Compress(plain);
    stream.push_back(0xAB);
    stream.push_back(0xCD);
    Result r = Inflate(stream);
    EXPECT_EQ(r.error, "");
    EXPECT_TRUE(r.output == plain);
}

TEST(InflateZlib, AnErrorOfTheSinkPassesThroughUnchanged) {
    Bytes stream = Compress(SampleContents(300000));
    int calls = 0;
    try {
        InflateZlib(stream.data(), stream.size(), [&calls](const unsigned char*, size_t) {
            if (++calls == 2) throw std::runtime_error("WriteFile() failed: disk full");
        });
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "WriteFile() failed: disk full");
    }
    EXPECT_EQ(calls, 2);
}

}  // namespace
