#include "tools/LzmaAloneEncoder.h"

#include <LzmaEnc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void* SdkAlloc(void*, size_t size) { return size ? std::malloc(size) : nullptr; }
void SdkFree(void*, void* address) { std::free(address); }
ISzAlloc g_alloc = {SdkAlloc, SdkFree};

struct MemoryIn {
    ISeqInStream vt;
    const uint8_t* data;
    size_t left;
};
SRes ReadMemory(void* p, void* buf, size_t* size) {
    MemoryIn* in = static_cast<MemoryIn*>(p);
    size_t n = std::min(*size, in->left);
    if (n) std::memcpy(buf, in->data, n);
    in->data += n;
    in->left -= n;
    *size = n;
    return SZ_OK;
}

struct VectorOut {
    ISeqOutStream vt;
    std::vector<uint8_t>* out;
};
size_t WriteVector(void* p, const void* buf, size_t size) {
    VectorOut* o = static_cast<VectorOut*>(p);
    const uint8_t* b = static_cast<const uint8_t*>(buf);
    o->out->insert(o->out->end(), b, b + size);
    return size;
}

class EncoderHandle {
public:
    EncoderHandle() : m_h(LzmaEnc_Create(&g_alloc)) {
        if (!m_h) throw LzmaAloneEncoder::Err("LzmaEnc_Create() failed: out of memory");
    }
    ~EncoderHandle() { LzmaEnc_Destroy(m_h, &g_alloc, &g_alloc); }
    EncoderHandle(const EncoderHandle&) = delete;
    EncoderHandle& operator=(const EncoderHandle&) = delete;
    CLzmaEncHandle Get() const { return m_h; }

private:
    CLzmaEncHandle m_h;
};

void Check(SRes res, const char* call) {
    if (res != SZ_OK) throw LzmaAloneEncoder::Err(std::string(call) + " failed: error " + std::to_string(res));
}

}  // namespace

std::vector<uint8_t> LzmaAloneEncoder::Encode(const uint8_t* data, size_t size, const Options& options) {
    EncoderHandle enc;
    CLzmaEncProps props;
    LzmaEncProps_Init(&props);
    props.level = options.level;
    props.dictSize = options.dictionarySize;
    props.reduceSize = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<UInt32>(size);
    props.lc = options.lc;
    props.lp = options.lp;
    props.pb = options.pb;
    props.writeEndMark = options.endMarker ? 1 : 0;
    props.numThreads = 1;
    Check(LzmaEnc_SetProps(enc.Get(), &props), "LzmaEnc_SetProps()");

    std::vector<uint8_t> out(LZMA_PROPS_SIZE);
    SizeT propsSize = LZMA_PROPS_SIZE;
    Check(LzmaEnc_WriteProperties(enc.Get(), out.data(), &propsSize), "LzmaEnc_WriteProperties()");
    // For a small input the encoder sizes its window to the input (reduceSize) and states that
    // smaller size. The header states the configured dictionary all the same: no match reaches
    // back before the input's start, so the data decodes alike with either window, and the
    // installer allocates no more than the unpacked size anyway.
    uint32_t stated = 0;
    for (int i = 0; i < 4; ++i) stated |= static_cast<uint32_t>(out[1 + i]) << (8 * i);
    stated = std::max(stated, options.dictionarySize);
    for (int i = 0; i < 4; ++i) out[1 + i] = static_cast<uint8_t>(stated >> (8 * i));
    uint64_t unpacked = size;
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(unpacked >> (8 * i)));

    MemoryIn in{{ReadMemory}, data, size};
    VectorOut sink{{WriteVector}, &out};
    Check(LzmaEnc_Encode(enc.Get(), &sink.vt, &in.vt, nullptr, &g_alloc, &g_alloc), "LzmaEnc_Encode()");
    return out;
}
