// Checks the version readers against the C library's own scanf on arbitrary text: the
// "Version" value against "%u.%u.%u", the CSD text against "Service Pack" and "%i".
// Inputs where the two runtimes legitimately differ (numbers too long for 32 bits, a
// "0x" prefix) are only run, not compared. Byte 0 chooses the reader.
#include "platform/VersionTexts.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

// True when every digit run is short enough not to overflow and no "0x" prefix occurs.
bool Comparable(const std::string& text) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(text[i]))) {
            if (++run > 9) return false;
        } else {
            run = 0;
        }
        if (text[i] == 'x' || text[i] == 'X') return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    bool plain = text.find('\0') == std::string::npos && text.size() <= VersionTexts::MaxValueText;
    switch (data[0] % 3) {
    case 0: {
        auto got = VersionTexts::InternetExplorerFromValues(text, std::nullopt, std::nullopt);
        Require(!got || got->a != 0);
        if (plain && Comparable(text)) {
            unsigned a = 0, b = 0, c = 0;
            std::sscanf(text.c_str(), "%u.%u.%u", &a, &b, &c);
            Require(got.has_value() == (a != 0));
            if (got) Require(got->a == a && got->b == b && got->c == c);
        }
        break;
    }
    case 1: {
        std::string csd = "Service Pack" + text;
        int got = VersionTexts::ServicePackFromText(csd);
        Require(got >= -1);
        if (plain && csd.size() <= VersionTexts::MaxValueText && Comparable(text)) {
            int n = 0;
            int expected = !text.empty() && std::sscanf(text.c_str(), "%i", &n) == 1 && n >= 0 ? n : -1;
            Require(got == expected);
        }
        break;
    }
    default: {
        // IVer and Build: only "101"/"102"/"103" in any case give a version.
        std::size_t cut = text.size() / 2;
        auto got = VersionTexts::InternetExplorerFromValues(std::nullopt, text.substr(0, cut), text.substr(cut));
        Require(!got || (got->a == 4 && (got->b == 40 || got->b == 70)));
        break;
    }
    }
    return 0;
}
