#include "NoCrtLib/AnsiText.h"

namespace {
// Only the lead-byte question follows it: AnsiToWide and its kin stay Latin-1 on the host.
unsigned g_codePage = 0;
}  // namespace

bool IsAnsiLeadByte(unsigned char c) {
    switch (g_codePage) {
    case 932: return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    case 936:
    case 949:
    case 950: return c >= 0x81 && c <= 0xFE;
    default: return false;
    }
}

unsigned SetHostAnsiCodePage(unsigned codePage) {
    const unsigned before = g_codePage;
    g_codePage = codePage;
    return before;
}
