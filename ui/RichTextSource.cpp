#include "ui/RichTextSource.h"

#include <algorithm>
#include <cstring>

RichTextSource::RichTextSource(std::string text) : m_wide(false), m_narrow(std::move(text)) {}

RichTextSource::RichTextSource(std::u16string text) : m_wide(true), m_wideText(std::move(text)) {}

std::size_t RichTextSource::remainingBytes() const {
    std::size_t total = m_wide ? m_wideText.size() * sizeof(char16_t) : m_narrow.size();
    return total - m_offset;
}

std::size_t RichTextSource::read(unsigned char* buffer, std::size_t requested) {
    std::size_t count = std::min(requested, remainingBytes());
    if (m_wide) count &= ~static_cast<std::size_t>(1);  // never half a code unit
    if (count == 0) return 0;
    const auto* bytes = m_wide ? reinterpret_cast<const unsigned char*>(m_wideText.data())
                               : reinterpret_cast<const unsigned char*>(m_narrow.data());
    std::memcpy(buffer, bytes + m_offset, count);
    m_offset += count;
    return count;
}
