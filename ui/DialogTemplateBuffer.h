#pragma once
// An in-memory DLGTEMPLATE (classic form) for a window without a resource template:
// 18-byte header (style, extended style, item count, x, y, cx, cy), then menu, class
// and title as 16-bit-word fields, then with DS_SETFONT the point size and face name.
// bytes() goes to CreateDialogIndirectParamA as it is.
#include "NoCrtLib/TException.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class DialogTemplateBuffer {
public:
    static constexpr std::uint32_t kSetFont = 0x40;  // DS_SETFONT

    // "DialogTemplateBuffer::<operation>() failed: <reason>"
    class Err : public AException {
    public:
        Err(const char* operation, const std::string& reason);
    };

    // Starts a new template (24 bytes): the header with DS_SETFONT cleared from style,
    // no menu, the default class, an empty title.
    void create(std::uint32_t style, std::uint32_t extendedStyle, std::int16_t x, std::int16_t y,
                std::int16_t cx, std::int16_t cy, std::uint16_t itemCount);
    // Replaces the title; text is ANSI, stored as UTF-16 with its NUL.
    void setTitle(const std::string& text);
    // Replaces the font entry (or adds it and sets DS_SETFONT); face is ANSI.
    void setFont(std::uint16_t pointSize, const std::string& face);

    const std::vector<unsigned char>& bytes() const { return m_bytes; }
    const void* data() const { return m_bytes.data(); }
    std::size_t size() const { return m_bytes.size(); }
    bool empty() const { return m_bytes.empty(); }
    // Empties the buffer; create starts it again.
    void clear();

    std::uint32_t style() const;

private:
    std::size_t titleOffset(const char* operation) const;
    std::size_t skipField(std::size_t offset, const char* operation) const;
    std::size_t stringEnd(std::size_t offset, const char* operation) const;
    void insertWide(std::size_t offset, const std::u16string& text);
    void putDword(std::size_t offset, std::uint32_t value);

    std::vector<unsigned char> m_bytes;
};
