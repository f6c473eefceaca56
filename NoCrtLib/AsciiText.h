#pragma once
// Text helpers that ignore the locale: ASCII case folding, comparing and splitting, stepping
// by character. In a double-byte code page the second byte of a character may be '\', '|'
// or a capital letter, so the caller says which bytes open a two-byte character.
// Header only, so that the host tools (a project of their own) use them too.
#include <cstddef>
#include <string>
#include <vector>

// Whether a byte opens a two-byte character. NoLeadBytes is for text whose code page has
// none; paths in the ANSI code page take IsAnsiLeadByte (NoCrtLib/AnsiText.h).
using LeadByteTest = bool (*)(unsigned char);
inline bool NoLeadBytes(unsigned char) { return false; }

// 'A' to 'Z' become 'a' to 'z'; every other unit stays as it is.
template <class Char>
constexpr Char FoldAscii(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

// The bytes of the character at i: 2 for a lead byte with a byte after it, as CharNextExA
// steps (a lead byte before the terminator stands alone), else 1.
inline std::size_t CharSize(const std::string& text, std::string::size_type i, LeadByteTest isLead) {
    return isLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() && text[i + 1] != '\0' ? 2 : 1;
}

// The first character c at or after from (a character start), or npos.
inline std::string::size_type FindChar(const std::string& text, char c, LeadByteTest isLead,
                                       std::string::size_type from = 0) {
    for (std::string::size_type i = from; i < text.size(); i += CharSize(text, i, isLead))
        if (text[i] == c) return i;
    return std::string::npos;
}

// The last character c, or npos.
inline std::string::size_type FindLastChar(const std::string& text, char c, LeadByteTest isLead) {
    std::string::size_type found = std::string::npos;
    for (std::string::size_type i = 0; i < text.size(); i += CharSize(text, i, isLead))
        if (text[i] == c) found = i;
    return found;
}

// Whether the last character is c.
inline bool EndsWithChar(const std::string& text, char c, LeadByteTest isLead) {
    std::string::size_type last = std::string::npos;
    for (std::string::size_type i = 0; i < text.size(); i += CharSize(text, i, isLead)) last = i;
    return last != std::string::npos && last + 1 == text.size() && text[last] == c;
}

// Folds the single-byte characters only: the bytes of a two-byte character stay.
inline std::string LowerAscii(std::string text, LeadByteTest isLead) {
    for (std::string::size_type i = 0; i < text.size();) {
        const std::size_t size = CharSize(text, i, isLead);
        if (size == 1) text[i] = FoldAscii(text[i]);
        i += size;
    }
    return text;
}

// ASCII case-insensitive equality, as paths and names are compared throughout.
inline bool EqualsIgnoringCase(const std::string& a, const std::string& b, LeadByteTest isLead) {
    if (a.size() != b.size()) return false;
    // Up to i both hold the same characters, so a's character boundaries are b's too.
    for (std::string::size_type i = 0; i < a.size();) {
        const std::size_t size = CharSize(a, i, isLead);
        if (size == 1 ? FoldAscii(a[i]) != FoldAscii(b[i]) : a.compare(i, size, b, i, size) != 0) return false;
        i += size;
    }
    return true;
}

// The pieces between the separators: n separators give n + 1 pieces, empty ones included.
inline std::vector<std::string> SplitAt(const std::string& text, char separator, LeadByteTest isLead) {
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = FindChar(text, separator, isLead, start);
        pieces.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return pieces;
        start = end + 1;
    }
}
