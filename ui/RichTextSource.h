#pragma once
// The stream source behind EM_STREAMIN: a text consumed from the front in the pieces
// the control asks for.
#include <cstddef>
#include <string>

class RichTextSource {
public:
    explicit RichTextSource(std::string text);
    explicit RichTextSource(std::u16string text);

    // Copies min(requested, remaining) bytes (an even count for UTF-16) into buffer and
    // removes them from the source; 0 when the source is exhausted.
    std::size_t read(unsigned char* buffer, std::size_t requested);
    std::size_t remainingBytes() const;

private:
    bool m_wide;
    std::string m_narrow;
    std::u16string m_wideText;
    std::size_t m_offset = 0;  // bytes already read
};
