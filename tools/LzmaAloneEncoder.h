#pragma once
// Compresses bytes into an LZMA "alone" stream: 5 property bytes, the unpacked size
// (64-bit little-endian) and the raw LZMA data, without an end marker. Single-threaded
// and free of timestamps, so the same input always gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

class LzmaAloneEncoder {
public:
    struct Options {
        int level = 9;
        uint32_t dictionarySize = 1u << 25;   // stated in the header even for a smaller input
        int lc = 3, lp = 0, pb = 2;
        bool endMarker = false;               // only for tests: the installer refuses it
    };
    class Err : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    static std::vector<uint8_t> Encode(const uint8_t* data, size_t size, const Options& options);
    static std::vector<uint8_t> Encode(const std::vector<uint8_t>& data) { return Encode(data.data(), data.size(), Options()); }
};
