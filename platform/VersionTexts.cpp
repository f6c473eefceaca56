#include "platform/VersionTexts.h"

#include "NoCrtLib/AnsiText.h"

#include <cctype>
#include <climits>
#include <cstdint>

namespace VersionTexts {

namespace {

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 99;
}

// One number as scanf reads it: leading white space, a sign, then digits in the base.
// base 0 chooses like "%i" (0x hexadecimal, 0 octal, else decimal). Overflow saturates
// (as the runtime's strtoul/strtol do) instead of wrapping. Returns false when no digit
// was read; pos moves past what was read.
bool ScanNumber(const std::string& text, std::size_t& pos, int base, bool& negative, uint64_t& value) {
    std::size_t p = pos;
    while (p < text.size() && IsSpace(text[p])) ++p;
    negative = false;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) negative = text[p++] == '-';
    if (base == 0) {
        if (p < text.size() && text[p] == '0') {
            bool hexPrefix = p + 2 < text.size() && (text[p + 1] == 'x' || text[p + 1] == 'X') &&
                             DigitValue(text[p + 2]) < 16;
            if (hexPrefix) {
                base = 16;
                p += 2;
            } else {
                base = 8;
            }
        } else {
            base = 10;
        }
    }
    std::size_t first = p;
    value = 0;
    for (; p < text.size() && DigitValue(text[p]) < base; ++p) {
        value = value * base + DigitValue(text[p]);
        if (value > UINT32_MAX) value = uint64_t(UINT32_MAX) + 1;  // saturated, stays above every limit
    }
    if (p == first) return false;
    pos = p;
    return true;
}

// "%u": a negative number is its two's complement, as the runtime returns it.
bool ScanUnsigned(const std::string& text, std::size_t& pos, uint32_t& out) {
    bool negative;
    uint64_t value;
    if (!ScanNumber(text, pos, 10, negative, value)) return false;
    uint32_t magnitude = value > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(value);
    out = negative && value <= UINT32_MAX ? 0u - magnitude : magnitude;
    return true;
}

// "%i" into a signed int, saturating at the int range.
bool ScanInteger(const std::string& text, std::size_t& pos, int& out) {
    bool negative;
    uint64_t value;
    if (!ScanNumber(text, pos, 0, negative, value)) return false;
    if (negative)
        out = value > uint64_t(INT_MAX) + 1 ? INT_MIN : static_cast<int>(-static_cast<int64_t>(value));
    else
        out = value > uint64_t(INT_MAX) ? INT_MAX : static_cast<int>(value);
    return true;
}

std::string Clipped(const std::string& value) {
    // The original read stops at the terminating zero inside the 80-byte buffer.
    std::string text = value.substr(0, value.find('\0'));
    return text.size() > MaxValueText ? text.substr(0, MaxValueText) : text;
}

}  // namespace

int ServicePackFromText(const std::string& csdVersion) {
    static const char prefix[] = "Service Pack";
    const std::size_t prefixLength = sizeof(prefix) - 1;
    std::string text = Clipped(csdVersion);
    if (text.size() < prefixLength || !EqualsIgnoringCase(text.substr(0, prefixLength), prefix))
        return -1;
    std::string rest = text.substr(prefixLength);
    if (rest.empty()) return -1;
    std::size_t pos = 0;
    int number;
    if (!ScanInteger(rest, pos, number) || number < 0) return -1;
    return number;
}

std::optional<VersionTriple> InternetExplorerFromValues(const std::optional<std::string>& version,
                                                        const std::optional<std::string>& iver,
                                                        const std::optional<std::string>& build) {
    VersionTriple result;
    if (version) {
        // "%u.%u.%u": as many numbers as can be read, the rest stay 0.
        std::string text = Clipped(*version);
        std::size_t pos = 0;
        uint32_t* parts[] = {&result.a, &result.b, &result.c};
        for (int i = 0; i < 3; ++i) {
            if (i > 0) {
                if (pos >= text.size() || text[pos] != '.') break;
                ++pos;
            }
            if (!ScanUnsigned(text, pos, *parts[i])) break;
        }
    } else if (iver) {
        std::string text = Clipped(*iver);
        if (EqualsIgnoringCase(text, "101")) {
            result = InternetExplorer1Version;
        } else if (EqualsIgnoringCase(text, "102")) {
            result = InternetExplorer2Version;
        } else if (EqualsIgnoringCase(text, "103")) {
            result = InternetExplorer3Version;
            if (build) {
                std::size_t pos = 0;
                uint32_t number;
                if (ScanUnsigned(Clipped(*build), pos, number)) result.c = number;
            }
        }
    }
    if (result.a == 0) return std::nullopt;
    return result;
}

}  // namespace VersionTexts
