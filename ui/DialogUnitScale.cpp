#include "ui/DialogUnitScale.h"

#include <cstdint>

int scaleDialogUnits(int units, int baseUnit, int divisor) {
    if (divisor == 0) return -1;  // MulDiv's answer to a zero divisor
    std::int64_t product = static_cast<std::int64_t>(units) * baseUnit;
    bool negative = (product < 0) != (divisor < 0);
    std::int64_t magnitude = product < 0 ? -product : product;
    std::int64_t absDivisor = divisor < 0 ? -static_cast<std::int64_t>(divisor) : divisor;
    std::int64_t rounded = (magnitude + absDivisor / 2) / absDivisor;
    return static_cast<int>(negative ? -rounded : rounded);
}

int dialogUnitsToMap(int units) { return units == 0 ? 1 : units; }

int dialogUnitsResult(int units, int mapped) { return units == 0 ? 0 : mapped; }

int dialogBaseUnitX(int extentOfAlphabet) { return (extentOfAlphabet / 26 + 1) / 2; }
