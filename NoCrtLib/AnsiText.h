#pragma once
// Text in the system's ANSI code page (paths, registry values), stepped by character so
// that the second byte of a double-byte character is never taken for '\', '|' or a letter.
#include "NoCrtLib/AsciiText.h"

#include <utility>

// Whether c opens a two-byte character of the ANSI code page. Windows: IsDBCSLeadByteEx
// with CP_ACP. Host: that of the code page set below.
bool IsAnsiLeadByte(unsigned char c);

// Host build only, for tests: the code page whose lead bytes IsAnsiLeadByte reports (932,
// 936, 949, 950; any other has none, as the start's 0). Returns the one before.
unsigned SetHostAnsiCodePage(unsigned codePage);

inline std::string LowerAscii(std::string text) { return LowerAscii(std::move(text), IsAnsiLeadByte); }

inline bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    return EqualsIgnoringCase(a, b, IsAnsiLeadByte);
}

inline std::vector<std::string> SplitAt(const std::string& text, char separator) {
    return SplitAt(text, separator, IsAnsiLeadByte);
}

inline std::string::size_type FindChar(const std::string& text, char c, std::string::size_type from = 0) {
    return FindChar(text, c, IsAnsiLeadByte, from);
}

inline std::string::size_type FindLastChar(const std::string& text, char c) {
    return FindLastChar(text, c, IsAnsiLeadByte);
}

inline bool EndsWithChar(const std::string& text, char c) { return EndsWithChar(text, c, IsAnsiLeadByte); }
