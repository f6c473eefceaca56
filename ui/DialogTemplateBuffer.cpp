#include "ui/DialogTemplateBuffer.h"

#include "NoCrtLib/AnsiCodec.h"

namespace {

constexpr std::size_t kHeaderSize = 18;  // style, extended style, count, x, y, cx, cy

void appendWord(std::vector<unsigned char>& out, std::uint16_t value) {
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void appendDword(std::vector<unsigned char>& out, std::uint32_t value) {
    appendWord(out, static_cast<std::uint16_t>(value & 0xFFFF));
    appendWord(out, static_cast<std::uint16_t>(value >> 16));
}

}  // namespace

DialogTemplateBuffer::Err::Err(const char* operation, const std::string& reason)
    : AException(std::string("DialogTemplateBuffer::") + operation + "() failed: " + reason) {}

void DialogTemplateBuffer::create(std::uint32_t style, std::uint32_t extendedStyle, std::int16_t x,
                                  std::int16_t y, std::int16_t cx, std::int16_t cy,
                                  std::uint16_t itemCount) {
    m_bytes.clear();
    appendDword(m_bytes, style & ~kSetFont);  // the font entry comes with setFont
    appendDword(m_bytes, extendedStyle);
    appendWord(m_bytes, itemCount);
    appendWord(m_bytes, static_cast<std::uint16_t>(x));
    appendWord(m_bytes, static_cast<std::uint16_t>(y));
    appendWord(m_bytes, static_cast<std::uint16_t>(cx));
    appendWord(m_bytes, static_cast<std::uint16_t>(cy));
    appendWord(m_bytes, 0);  // no menu
    appendWord(m_bytes, 0);  // default dialog class
    appendWord(m_bytes, 0);  // empty title
}

void DialogTemplateBuffer::setTitle(const std::string& text) {
    std::size_t title = titleOffset("setTitle");
    std::size_t end = stringEnd(title, "setTitle");
    m_bytes.erase(m_bytes.begin() + title, m_bytes.begin() + end);
    insertWide(title, AnsiToWide(text));
}

void DialogTemplateBuffer::setFont(std::uint16_t pointSize, const std::string& face) {
    std::size_t font = stringEnd(titleOffset("setFont"), "setFont");
    if (style() & kSetFont) {
        if (font + 2 > m_bytes.size()) throw Err("setFont", "the template is truncated");
        std::size_t end = stringEnd(font + 2, "setFont");
        m_bytes.erase(m_bytes.begin() + font, m_bytes.begin() + end);
    } else {
        putDword(0, style() | kSetFont);
    }
    std::vector<unsigned char> size;
    appendWord(size, pointSize);
    m_bytes.insert(m_bytes.begin() + font, size.begin(), size.end());
    insertWide(font + 2, AnsiToWide(face));
}

void DialogTemplateBuffer::clear() { m_bytes.clear(); }

std::uint32_t DialogTemplateBuffer::style() const {
    if (m_bytes.size() < 4) return 0;
    return m_bytes[0] | (m_bytes[1] << 8) | (m_bytes[2] << 16) | (static_cast<std::uint32_t>(m_bytes[3]) << 24);
}

std::size_t DialogTemplateBuffer::titleOffset(const char* operation) const {
    if (m_bytes.size() < kHeaderSize) throw Err(operation, "there is no template (create was not called)");
    return skipField(skipField(kHeaderSize, operation), operation);  // past menu and class
}

std::size_t DialogTemplateBuffer::skipField(std::size_t offset, const char* operation) const {
    if (offset + 2 > m_bytes.size()) throw Err(operation, "the template is truncated");
    if (m_bytes[offset] == 0xFF && m_bytes[offset + 1] == 0xFF) {
        if (offset + 4 > m_bytes.size()) throw Err(operation, "the template is truncated");
        return offset + 4;  // 0xFFFF and an ordinal
    }
    return stringEnd(offset, operation);
}

std::size_t DialogTemplateBuffer::stringEnd(std::size_t offset, const char* operation) const {
    for (; offset + 2 <= m_bytes.size(); offset += 2) {
        if (m_bytes[offset] == 0 && m_bytes[offset + 1] == 0) return offset + 2;
    }
    throw Err(operation, "the template is truncated");
}

void DialogTemplateBuffer::insertWide(std::size_t offset, const std::u16string& text) {
    std::vector<unsigned char> words;
    words.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        if (c == 0) break;  // the field ends at its first NUL
        appendWord(words, static_cast<std::uint16_t>(c));
    }
    appendWord(words, 0);
    m_bytes.insert(m_bytes.begin() + offset, words.begin(), words.end());
}

void DialogTemplateBuffer::putDword(std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) m_bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}
