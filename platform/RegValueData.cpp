#include "platform/RegValueData.h"

#include <cstring>

uint32_t RegValueData::DecodeString(const char* data, std::size_t size, std::string& text) {
    if (size == 0) {
        text.clear();
        return Ok;
    }
    if (data[size - 1] != '\0') return InvalidData;
    text.assign(data, std::strlen(data));  // terminated inside the data: checked above
    return Ok;
}

uint32_t RegValueData::DecodeMultiString(const char* data, std::size_t size,
                                         std::vector<std::string>& list) {
    if (size <= 1) {
        list.clear();
        return Ok;
    }
    if (data[size - 1] != '\0') return InvalidData;
    // Two zero bytes alone are how the empty list is stored (EncodeMultiString writes it
    // so); read as one empty entry it would come back one entry longer than written.
    if (size == 2 && data[0] == '\0') {
        list.clear();
        return Ok;
    }
    std::size_t end = size;
    if (data[size - 2] == '\0') --end;  // the list terminator
    std::vector<std::string> result;
    for (std::size_t offset = 0; offset < end;) {
        std::size_t length = std::strlen(data + offset);  // stops at data[size - 1] at the latest
        result.emplace_back(data + offset, length);
        offset += length + 1;
    }
    list.swap(result);
    return Ok;
}

std::vector<char> RegValueData::EncodeMultiString(const std::vector<std::string>& list) {
    std::vector<char> data;
    for (const std::string& entry : list) {
        const char* text = entry.c_str();
        data.insert(data.end(), text, text + std::strlen(text));
        data.push_back('\0');
    }
    data.push_back('\0');
    if (data.size() == 1) data.push_back('\0');
    return data;
}
