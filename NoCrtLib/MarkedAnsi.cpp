#include "NoCrtLib/MarkedAnsi.h"

#include "NoCrtLib/AnsiCodec.h"

#include <cstdio>

std::string AnsiWithCodePoints(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::size_t units = 1;
        if (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000)
            units = 2;
        std::string ansi;
        if (WideToAnsiExact(text.substr(i, units), ansi)) {
            out += ansi;
        } else {
            const unsigned long code = units == 2
                ? 0x10000ul + ((text[i] - 0xD800ul) << 10) + (text[i + 1] - 0xDC00ul)
                : static_cast<unsigned long>(text[i]);
            char mark[16];
            std::snprintf(mark, sizeof mark, "<U+%04lX>", code);
            out += mark;
        }
        i += units - 1;
    }
    return out;
}
