#include "ui/DialogUnitScale.h"

#include "support/DialogUnitOracle.h"

#include <gtest/gtest.h>

namespace {

TEST(DialogUnitScale, ScalesWithMulDivRounding) {
    struct Case {
        int units, base, divisor, expected;
    };
    const Case cases[] = {
        {4, 6, 4, 6},     {1, 6, 4, 2},       {1, 5, 4, 1},   {3, 6, 4, 5},  {-1, 6, 4, -2},
        {7, 13, 8, 11},   {240, 6, 4, 360},   {200, 13, 8, 325}, {0, 6, 4, 0}, {5, 6, 0, -1},
        {1000000, 3000, 4, 750000000},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TestSupport::ScaleDialogUnits(c.units, c.base, c.divisor), c.expected)
            << c.units << "*" << c.base << "/" << c.divisor;
}

TEST(DialogUnitScale, ZeroUnitsStayZeroWhateverTheMappingGives) {
    EXPECT_EQ(dialogUnitsToMap(0), 1);
    EXPECT_EQ(dialogUnitsResult(0, 2), 0);
    EXPECT_EQ(dialogUnitsToMap(7), 7);
    EXPECT_EQ(dialogUnitsResult(7, 11), 11);
    EXPECT_EQ(dialogUnitsToMap(-3), -3);
    EXPECT_EQ(dialogUnitsResult(-3, -5), -5);
}

TEST(DialogUnitScale, BaseUnitIsTheRoundedAverageLetterWidth) {
    EXPECT_EQ(TestSupport::DialogBaseUnitX(6 * 52), 6);
    EXPECT_EQ(TestSupport::DialogBaseUnitX(6 * 52 + 25), 6);  // 6.48
    EXPECT_EQ(TestSupport::DialogBaseUnitX(6 * 52 + 26), 7);  // 6.5 rounds up
    EXPECT_EQ(TestSupport::DialogBaseUnitX(0), 0);
}

}  // namespace
