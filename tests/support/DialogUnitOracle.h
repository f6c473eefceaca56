#pragma once
// What the system's dialog-unit mapping should give, computed independently: the tests
// compare MapDialogRect and the dialog's own conversions against it.
#include <cstdint>

namespace TestSupport {

// units * baseUnit / divisor, rounded half away from zero (MulDiv). Horizontal units use
// the dialog font's average character width and divisor 4, vertical units its character
// height and divisor 8.
inline int ScaleDialogUnits(int units, int baseUnit, int divisor) {
    if (divisor == 0) return -1;  // MulDiv's answer to a zero divisor
    std::int64_t product = static_cast<std::int64_t>(units) * baseUnit;
    bool negative = (product < 0) != (divisor < 0);
    std::int64_t magnitude = product < 0 ? -product : product;
    std::int64_t absDivisor = divisor < 0 ? -static_cast<std::int64_t>(divisor) : divisor;
    std::int64_t rounded = (magnitude + absDivisor / 2) / absDivisor;
    return static_cast<int>(negative ? -rounded : rounded);
}

// The average character width of a font as dialogs measure it: the extent of the 52
// letters "A".."Z", "a".."z" divided by 52, rounded.
inline int DialogBaseUnitX(int extentOfAlphabet) { return (extentOfAlphabet / 26 + 1) / 2; }

}  // namespace TestSupport
