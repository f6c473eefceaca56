#pragma once
// Text helpers that ignore the locale: ASCII case folding and splitting at one character.
// Header only, so that the host tools (a project of their own) use them too.
#include <string>
#include <vector>

// 'A' to 'Z' become 'a' to 'z'; every other unit, bytes of double-byte characters
// included, stays as it is.
template <class Char>
constexpr Char FoldAscii(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

inline std::string LowerAscii(std::string text) {
    for (char& c : text) c = FoldAscii(c);
    return text;
}

// ASCII case-insensitive equality, as paths and names are compared throughout.
inline bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::string::size_type i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

// The pieces between the separators: n separators give n + 1 pieces, empty ones included.
inline std::vector<std::string> SplitAt(const std::string& text, char separator) {
    std::vector<std::string> pieces;
    std::string::size_type start = 0;
    for (;;) {
        const std::string::size_type end = text.find(separator, start);
        pieces.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) return pieces;
        start = end + 1;
    }
}
