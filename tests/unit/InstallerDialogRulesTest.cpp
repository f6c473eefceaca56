#include "ui/InstallerDialogRules.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace InstallerDialogRules;

namespace {

TEST(InstallerDialogRules, TheAgreementEnablesInstallAndMovesTheBoldType) {
    struct Case {
        bool ticked, installEnabled, installBold, agreementBold;
    };
    const Case cases[] = {
        {false, false, false, true},
        {true, true, true, false},
    };
    for (const Case& c : cases) {
        const AgreementLook look = agreementLook(c.ticked);
        EXPECT_EQ(look.installEnabled, c.installEnabled) << c.ticked;
        EXPECT_EQ(look.installBold, c.installBold) << c.ticked;
        EXPECT_EQ(look.agreementBold, c.agreementBold) << c.ticked;
    }
}

TEST(InstallerDialogRules, PanelColourMixesWindowAndButtonFaceAndLowersSaturation) {
    // Expected values from an independent HLS implementation (Python's colorsys):
    // 0.6 window + 0.4 button face, saturation x 0.34, channels value * 255 + 0.49.
    struct Case {
        std::uint32_t window, face, panel;
    };
    const Case cases[] = {
        {0xFFFFFF, 0xC0C0C0, 0xE6E6E6},  // classic grey face: grey stays grey
        {0xFFFFFF, 0xC8D0D4, 0xEBECEC},
        {0x000000, 0x000000, 0x000000},  // black: no division by zero
        {0xFFFFFF, 0xFFFFFF, 0xFFFFFF},
        {0x0000FF, 0x00FF00, 0x325567},  // red is the largest component
        {0xFF0000, 0x0000FF, 0x673255},  // blue is the largest
        {0x00FF00, 0xFF0000, 0x556732},  // green is the largest
        {0x203040, 0x808000, 0x3F4234},  // dark: lightness below one half
        {0xE1FFFF, 0x99A8AC, 0xCDD5D5},  // light: lightness above one half
        {0x400000, 0x000040, 0x1A0D15},  // hue wraps below zero for blue
    };
    for (const Case& c : cases)
        EXPECT_EQ(panelColourMix(c.window, c.face), c.panel) << std::hex << c.window << " " << c.face;
}

TEST(InstallerDialogRules, HlsRoundTripKeepsTheColour) {
    const Rgb colours[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.2, 0.4, 0.6}, {0.9, 0.8, 0.1}, {0.5, 0.5, 0.5}};
    for (const Rgb& c : colours) {
        const Rgb back = hlsToRgb(rgbToHls(c));
        EXPECT_NEAR(back.r, c.r, 1e-9);
        EXPECT_NEAR(back.g, c.g, 1e-9);
        EXPECT_NEAR(back.b, c.b, 1e-9);
    }
    const Hls red = rgbToHls({1, 0, 0});
    EXPECT_DOUBLE_EQ(red.h, 1);  // (6 + 0) / 6: only a hue above 1 wraps
    EXPECT_DOUBLE_EQ(red.l, 0.5);
    EXPECT_DOUBLE_EQ(red.s, 1);
    EXPECT_NEAR(rgbToHls({0, 0, 1}).h, 2.0 / 3, 1e-12);
}

TEST(InstallerDialogRules, InitialHeightGrowsOnlyWhereTheWorkAreaHasRoom) {
    struct Case {
        int window, workArea, extra, expected;
    };
    const Case cases[] = {
        {455, 768, 65, 520},   // room for all 40 units
        {455, 700, 65, 520},   // 700 * 7 / 9 = 544
        {455, 630, 65, 490},   // 630 * 7 / 9 = 490: part of them
        {455, 585, 65, 455},   // 585 * 7 / 9 = 455: no growth
        {455, 480, 65, 455},   // shorter than 9/7 of the window: template height
        {100, 10, 65, 100},    // never smaller
        {455, 586, 65, 455},   // 586 * 7 = 4102, / 9 = 455 in integers
    };
    for (const Case& c : cases)
        EXPECT_EQ(initialDialogHeight(c.window, c.workArea, c.extra), c.expected) << c.workArea;
}

TEST(InstallerDialogRules, MinimumTrackSizeAddsTheFrame) {
    const TrackSize size = minimumTrackSize(360, 325, 1, 18);
    EXPECT_EQ(size.width, 360 + 2 + 6);
    EXPECT_EQ(size.height, 325 + 18 + 2 + 7);
    const TrackSize thick = minimumTrackSize(225, 163, 4, 19);
    EXPECT_EQ(thick.width, 225 + 8 + 6);
    EXPECT_EQ(thick.height, 163 + 19 + 8 + 7);
}

TEST(InstallerDialogRules, ButtonsStayCentredWithTheGapAroundTheMiddle) {
    struct Case {
        int width, halfGap, installRight, cancelLeft;
    };
    const Case cases[] = {
        {375, 5, 192, 192},  // odd width: the half is rounded down
        {376, 5, 193, 193},
        {0, 5, 5, 5},
    };
    for (const Case& c : cases) {
        const ButtonDistances d = centredButtonDistances(c.width, c.halfGap);
        EXPECT_EQ(d.installRight, c.installRight) << c.width;
        EXPECT_EQ(d.cancelLeft, c.cancelLeft) << c.width;
        // Install's right edge and Cancel's left edge are 2 * halfGap apart (one pixel
        // more for an odd width), around the centre.
        const int installRightEdge = c.width - d.installRight;
        EXPECT_EQ(d.cancelLeft - installRightEdge, 2 * c.halfGap - c.width % 2);
    }
}

}  // namespace
