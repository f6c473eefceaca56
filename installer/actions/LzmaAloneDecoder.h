#pragma once
// Decoder of an LZMA "alone" stream held in memory: 5 property bytes, the unpacked
// size (64-bit little-endian), then the compressed data. It hands out the decoded
// bytes in pieces of at most PieceSize, so the unpacked data is never held whole.
// Failures raise InstallError with the finished text; an allocation failure raises
// std::bad_alloc.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class LzmaAloneDecoder {
public:
    static constexpr size_t HeaderSize = 13;
    static constexpr size_t PieceSize = 0x20000;

    struct Piece {
        const uint8_t* bytes;
        size_t count;
    };

    // The stream must stay valid for the decoder's life (it is read in place).
    LzmaAloneDecoder(const uint8_t* stream, size_t size);
    ~LzmaAloneDecoder();
    LzmaAloneDecoder(const LzmaAloneDecoder&) = delete;
    LzmaAloneDecoder& operator=(const LzmaAloneDecoder&) = delete;

    uint64_t UnpackedSize() const { return m_unpackedSize; }
    // Bytes of the declared size not yet produced.
    uint64_t Remaining() const { return m_remaining; }

    // Decodes the next piece into the decoder's output buffer (valid until the next call).
    // Returns an empty piece once the declared size has been produced.
    Piece Next();

private:
    struct State;   // the LZMA SDK's decoder state and its allocations

    std::unique_ptr<State> m_state;
    const uint8_t* m_input;
    size_t m_inputLeft;
    uint64_t m_unpackedSize;
    uint64_t m_remaining;
    std::vector<uint8_t> m_output;
};
