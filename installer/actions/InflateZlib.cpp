#include "installer/actions/InflateZlib.h"

#include <zlib.h>

#include <algorithm>
#include <climits>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::size_t OutputPiece = 64 * 1024;

[[noreturn]] void Fail(const std::string& reason) { throw std::runtime_error("inflate() failed: " + reason); }

class InflateState {
public:
    InflateState() {
        int rc = inflateInit(&m_z);
        if (rc == Z_MEM_ERROR) throw std::bad_alloc();
        if (rc != Z_OK) Fail(m_z.msg ? m_z.msg : zError(rc));
    }
    InflateState(const InflateState&) = delete;
    InflateState& operator=(const InflateState&) = delete;
    ~InflateState() { inflateEnd(&m_z); }
    z_stream& Get() { return m_z; }

private:
    z_stream m_z{};
};

}  // namespace

void InflateZlib(ByteSource& input, const InflateSink& sink) {
    InflateState state;
    z_stream& z = state.Get();
    std::vector<unsigned char> out(OutputPiece);
    const unsigned char* next = nullptr;   // the rest of the source's current piece
    std::size_t left = 0;
    bool inputEnded = false;
    z.avail_in = 0;
    for (;;) {
        if (z.avail_in == 0) {
            if (left == 0 && !inputEnded) {
                BytePiece piece = input.Next();
                next = piece.bytes;
                left = piece.count;
                inputEnded = left == 0;
            }
            // avail_in is a 32-bit count; a larger piece goes in turns.
            const uInt turn = static_cast<uInt>(std::min<std::size_t>(left, UINT_MAX));
            z.next_in = const_cast<unsigned char*>(next);  // zlib never writes to its input
            z.avail_in = turn;
            next += turn;
            left -= turn;
        }
        z.next_out = out.data();
        z.avail_out = static_cast<uInt>(out.size());
        int rc = inflate(&z, Z_NO_FLUSH);
        if (rc == Z_OK || rc == Z_STREAM_END) {
            std::size_t produced = out.size() - z.avail_out;
            if (produced > 0) sink(out.data(), produced);
            if (rc == Z_STREAM_END) return;
            continue;
        }
        // More input wanted: what is given is used up, and the next piece decides.
        if (rc == Z_BUF_ERROR && z.avail_in == 0 && (left > 0 || !inputEnded)) continue;
        // Input is refilled above, so "no progress possible" means the stream ended early.
        if (rc == Z_BUF_ERROR) Fail("unexpected end of compressed data");
        if (rc == Z_MEM_ERROR) throw std::bad_alloc();
        Fail(z.msg ? z.msg : zError(rc));
    }
}

void InflateZlib(const unsigned char* data, std::size_t size, const InflateSink& sink) {
    MemorySource input(data, size);
    InflateZlib(input, sink);
}
