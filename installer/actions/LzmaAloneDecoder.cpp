#include "installer/actions/LzmaAloneDecoder.h"

#include "NoCrtLib/InstallError.h"
#include "NoCrtLib/LittleEndian.h"

#include <LzmaDec.h>

#include <algorithm>
#include <cstdlib>
#include <new>
#include <string>

namespace {

void* SdkAlloc(void*, size_t size) { return size ? std::malloc(size) : nullptr; }
void SdkFree(void*, void* address) { std::free(address); }

[[noreturn]] void ThrowDecodeError(SRes code) {
    throw InstallError("LzmaDecode() failed: error " + std::to_string(code));
}

}  // namespace

struct LzmaAloneDecoder::State {
    ISzAlloc alloc{SdkAlloc, SdkFree};
    CLzmaDec dec;

    State() { LzmaDec_Construct(&dec); }
    ~State() { LzmaDec_Free(&dec, &alloc); }
    State(const State&) = delete;
    State& operator=(const State&) = delete;
};

LzmaAloneDecoder::LzmaAloneDecoder(ByteSource& input) : m_source(input) { ReadHeader(); }

LzmaAloneDecoder::LzmaAloneDecoder(const uint8_t* stream, size_t size)
    : m_memory(std::make_unique<MemorySource>(stream, size)), m_source(*m_memory) {
    ReadHeader();
}

void LzmaAloneDecoder::Refill() {
    if (m_inputLeft > 0 || m_inputEnded) return;
    BytePiece piece = m_source.Next();
    m_input = piece.bytes;
    m_inputLeft = piece.count;
    m_inputEnded = piece.count == 0;
}

uint64_t LzmaAloneDecoder::UnpackedSizeOf(const uint8_t* header, size_t size) {
    if (size < HeaderSize) throw InstallError("WriteFilesFromLzmaStream: insufficient stream length");
    uint64_t unpacked = 0;
    for (int i = 7; i >= 0; --i) unpacked = (unpacked << 8) | header[5 + i];
    return unpacked;
}

void LzmaAloneDecoder::ReadHeader() {
    // A source may cut its pieces anywhere, even inside the header.
    uint8_t stream[HeaderSize];
    for (size_t have = 0; have < HeaderSize;) {
        Refill();
        if (m_inputLeft == 0) throw InstallError("WriteFilesFromLzmaStream: insufficient stream length");
        const size_t n = std::min(HeaderSize - have, m_inputLeft);
        std::copy(m_input, m_input + n, stream + have);
        have += n;
        m_input += n;
        m_inputLeft -= n;
    }

    CLzmaProps props;
    if (LzmaProps_Decode(&props, stream, LZMA_PROPS_SIZE) != SZ_OK)
        throw InstallError("LzmaDecodeProperties() failed: incorrect stream properties");

    m_unpackedSize = UnpackedSizeOf(stream, HeaderSize);
    if (m_unpackedSize == UINT64_MAX)
        throw InstallError("WriteFilesFromLzmaStream: end-of-stream marker not supported");
    m_remaining = m_undecoded = m_unpackedSize;

    // No match can reach back further than the bytes produced so far, so a dictionary
    // larger than the whole unpacked data would only waste memory.
    uint8_t sdkProps[LZMA_PROPS_SIZE];
    std::copy(stream, stream + LZMA_PROPS_SIZE, sdkProps);
    uint32_t dictionary = Le32(stream + 1);
    if (dictionary > m_unpackedSize) {
        dictionary = static_cast<uint32_t>(m_unpackedSize);
        for (int i = 0; i < 4; ++i) sdkProps[1 + i] = static_cast<uint8_t>(dictionary >> (8 * i));
    }

    m_state = std::make_unique<State>();
    SRes res = LzmaDec_Allocate(&m_state->dec, sdkProps, LZMA_PROPS_SIZE, &m_state->alloc);
    if (res == SZ_ERROR_MEM) throw std::bad_alloc();
    if (res != SZ_OK) throw InstallError("LzmaDecodeProperties() failed: incorrect stream properties");
    LzmaDec_Init(&m_state->dec);
}

LzmaAloneDecoder::~LzmaAloneDecoder() = default;

LzmaAloneDecoder::Piece LzmaAloneDecoder::Next() {
    if (m_remaining == 0) return {nullptr, 0};
    CLzmaDec& dec = m_state->dec;
    if (m_handedOut == dec.dicPos) {
        // All handed out: a full dictionary starts again at its beginning, as the SDK requires.
        if (dec.dicPos == dec.dicBufSize) dec.dicPos = m_handedOut = 0;
        Decode(PieceSize);
    }
    const size_t count = std::min(dec.dicPos - m_handedOut, PieceSize);
    const Piece piece{dec.dic + m_handedOut, count};
    m_handedOut += count;
    m_remaining -= count;
    return piece;
}

bool LzmaAloneDecoder::DecodeAheadPiece() {
    const CLzmaDec& dec = m_state->dec;
    return m_undecoded > 0 && dec.dicPos < dec.dicBufSize && Decode(PieceSize) > 0;
}

size_t LzmaAloneDecoder::Decode(size_t count) {
    CLzmaDec& dec = m_state->dec;
    const size_t request = static_cast<size_t>(std::min<uint64_t>({count, dec.dicBufSize - dec.dicPos, m_undecoded}));
    if (request == 0) return 0;
    // The last piece must end the stream exactly: a stream that goes on past the declared
    // size does not match it.
    const ELzmaFinishMode finish = request == m_undecoded ? LZMA_FINISH_END : LZMA_FINISH_ANY;
    const SizeT limit = dec.dicPos + request;

    size_t total = 0;
    for (;;) {
        Refill();
        const SizeT before = dec.dicPos;
        SizeT consumed = m_inputLeft;
        ELzmaStatus status = LZMA_STATUS_NOT_SPECIFIED;
        SRes res = LzmaDec_DecodeToDic(&dec, limit, m_input, &consumed, finish, &status);
        if (res != SZ_OK) ThrowDecodeError(res);
        m_input += consumed;
        m_inputLeft -= consumed;
        const size_t produced = dec.dicPos - before;
        total += produced;
        // All input taken and more wanted: the input piece ended, or the decoder looks past
        // the declared size for the end of the stream. Either way the next piece decides.
        if (status == LZMA_STATUS_NEEDS_MORE_INPUT && !m_inputEnded) continue;
        if (total == request) break;
        // Success without output before the declared size would otherwise loop for ever:
        // the input ran out, or the data ended with its end marker too early. What came
        // before goes out first; the next call fails.
        if (produced == 0) {
            if (total > 0) break;
            ThrowDecodeError(status == LZMA_STATUS_NEEDS_MORE_INPUT ? SZ_ERROR_INPUT_EOF : SZ_ERROR_DATA);
        }
    }
    m_undecoded -= total;
    return total;
}
