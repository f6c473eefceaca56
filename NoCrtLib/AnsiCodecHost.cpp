#include "NoCrtLib/AnsiCodec.h"

// The host build stands in Latin-1 for the ANSI code page: every byte is one code unit.
std::u16string AnsiToWide(const std::string& text) {
    std::u16string out;
    out.reserve(text.size());
    for (unsigned char c : text) out.push_back(static_cast<char16_t>(c));
    return out;
}

std::string WideToAnsi(const std::u16string& text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t c : text) out.push_back(c < 0x100 ? static_cast<char>(c) : '?');
    return out;
}

bool WideToAnsiExact(const std::u16string& text, std::string& out) {
    out = WideToAnsi(text);
    for (char16_t c : text)
        if (c >= 0x100) return false;
    return true;
}

std::string AnsiToConsole(const std::string& text) { return text; }
