#pragma once
// The byte layouts of string values as the ANSI registry functions return them.
// Decoding looks only at the bytes given (values may lack their terminating zero or
// have any size); failures are returned as Windows error codes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class RegValueData {
public:
    static constexpr uint32_t Ok = 0;
    static constexpr uint32_t InvalidData = 13;  // ERROR_INVALID_DATA: no terminating zero

    // REG_SZ / REG_EXPAND_SZ: no bytes give the empty text; otherwise the last byte must be
    // zero and the text ends at the first zero. On failure text is left unchanged.
    static uint32_t DecodeString(const char* data, std::size_t size, std::string& text);

    // REG_MULTI_SZ: zero-terminated entries, the list ends with one extra zero. Empty
    // entries inside the data are kept (a deletion in the pending-rename list has an
    // empty destination). On failure list is left unchanged.
    static uint32_t DecodeMultiString(const char* data, std::size_t size,
                                      std::vector<std::string>& list);

    // Every entry (up to a zero it may contain) plus its zero, then the list's extra zero.
    // The empty list is two zero bytes.
    static std::vector<char> EncodeMultiString(const std::vector<std::string>& list);
};
