#pragma once
// Decoder of an LZMA "alone" stream: 5 property bytes, the unpacked size (64-bit
// little-endian), then the compressed data. It takes the stream from a ByteSource piece by
// piece and hands out the decoded bytes in pieces of at most PieceSize, so neither the
// packed nor the unpacked data is ever held whole. The pieces lie in the decoder's own
// dictionary, which also lets it decode ahead of its reader (DecodeAhead) at no cost in memory.
// Failures raise InstallError with the finished text (those of the source pass through);
// an allocation failure raises std::bad_alloc.
#include "installer/actions/ByteSource.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class LzmaAloneDecoder {
public:
    static constexpr size_t HeaderSize = 13;
    static constexpr size_t PieceSize = 0x20000;

    using Piece = BytePiece;

    // The source must outlive the decoder; the header is read from it at once.
    explicit LzmaAloneDecoder(ByteSource& input);
    // A stream held in memory, valid for the decoder's life (it is read in place).
    LzmaAloneDecoder(const uint8_t* stream, size_t size);
    ~LzmaAloneDecoder();
    LzmaAloneDecoder(const LzmaAloneDecoder&) = delete;
    LzmaAloneDecoder& operator=(const LzmaAloneDecoder&) = delete;

    // The unpacked size stated in the header of a stream (at least HeaderSize bytes; a shorter
    // one is "WriteFilesFromLzmaStream: insufficient stream length").
    static uint64_t UnpackedSizeOf(const uint8_t* header, size_t size);

    uint64_t UnpackedSize() const { return m_unpackedSize; }
    // Bytes of the declared size not yet produced.
    uint64_t Remaining() const { return m_remaining; }

    // The next decoded piece (valid until the next call): what DecodeAhead produced first.
    // Returns an empty piece once the declared size has been produced.
    Piece Next();

    // Decodes into the dictionary, without handing anything out, until stop() says so, the
    // dictionary is full or the data ends: work done while something else runs (the check
    // of the stream) is work Next() does not do again. The decoding ahead stops between
    // pieces of at most PieceSize.
    template <class Stop>
    void DecodeAhead(Stop stop) {
        while (!stop() && DecodeAheadPiece()) {}
    }

private:
    struct State;   // the LZMA SDK's decoder state and its allocations

    void ReadHeader();
    // Makes the next input piece current when the current one is used up.
    void Refill();
    // Decodes up to count more bytes into the dictionary after what it holds; returns how many.
    size_t Decode(size_t count);
    // One piece more into the dictionary, when it has room and the data goes on.
    bool DecodeAheadPiece();

    std::unique_ptr<MemorySource> m_memory;   // the source of a stream held in memory
    ByteSource& m_source;
    std::unique_ptr<State> m_state;
    const uint8_t* m_input = nullptr;
    size_t m_inputLeft = 0;
    bool m_inputEnded = false;
    uint64_t m_unpackedSize;
    uint64_t m_remaining;    // not yet handed out
    uint64_t m_undecoded;    // not yet decoded
    size_t m_handedOut = 0;  // the dictionary's bytes before this were handed out
};
