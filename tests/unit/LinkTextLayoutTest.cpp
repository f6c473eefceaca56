#include "ui/LinkTextLayout.h"

#include <gtest/gtest.h>

namespace {

using namespace LinkTextLayout;

TEST(LinkTextLayout, DrawTextFormatFollowsTheStaticStyle) {
    struct Case {
        unsigned long style;
        unsigned format;
    };
    const Case cases[] = {
        {0x50010200, kDtLeft | kDtVCenter | kDtSingleLine},   // "What's in the package"
        {0x50010300, kDtLeft | kDtVCenter | kDtSingleLine},   // the web link: SS_NOTIFY plays no part
        {0x50000000, kDtLeft | kDtWordBreak},
        {0x00000001, kDtCenter | kDtWordBreak},
        {0x00000002, kDtRight | kDtWordBreak},
        {0x00000082, kDtRight | kDtWordBreak | kDtNoPrefix},
        {0x0000000B, kDtNoClip},                              // SS_SIMPLE: no word break
        {0x0000000C, kDtLeft},                                // SS_LEFTNOWORDWRAP
        {0x0000020B, kDtNoClip | kDtVCenter | kDtSingleLine},
        {0x0000020C, kDtLeft | kDtVCenter | kDtSingleLine},
        {0x00000201, kDtCenter | kDtVCenter | kDtSingleLine},
    };
    for (const Case& c : cases) EXPECT_EQ(drawTextFormat(c.style), c.format) << std::hex << c.style;
}

TEST(LinkTextLayout, MeasuringDropsAlignmentAndAddsCalcRect) {
    EXPECT_EQ(measureFormat(kDtCenter | kDtWordBreak), kDtCalcRect | kDtWordBreak);
    EXPECT_EQ(measureFormat(kDtRight | kDtVCenter | kDtSingleLine), kDtCalcRect | kDtVCenter | kDtSingleLine);
}

const PixelRect kClient{0, 0, 100, 16};

TEST(LinkTextLayout, DrawingRectMovesOnePixelInOnTheAlignedSide) {
    EXPECT_EQ(drawingRect(kClient, kDtLeft, 40), (PixelRect{1, 0, 100, 16}));
    EXPECT_EQ(drawingRect(kClient, kDtRight, 40), (PixelRect{0, 0, 99, 16}));
    EXPECT_EQ(drawingRect(kClient, kDtCenter, 40), kClient);
    EXPECT_EQ(drawingRect(kClient, kDtLeft, 100), kClient);  // not narrower
    EXPECT_EQ(drawingRect(kClient, kDtRight, 130), kClient);
}

TEST(LinkTextLayout, HitRectCoversTheTextOnly) {
    struct Case {
        const char* name;
        unsigned long style;
        int textWidth;
        int textHeight;
        int fontHeight;
        PixelRect expected;
    };
    const Case cases[] = {
        {"left", 0x0, 40, 13, 13, {0, 0, 42, 13}},
        {"right", 0x2, 40, 13, 13, {58, 0, 100, 13}},
        {"centre", 0x1, 40, 13, 13, {29, 0, 71, 13}},
        {"centre image uses the font height", 0x200, 40, 13, 10, {0, 3, 42, 13}},
        {"wider than the client is clipped", 0x0, 150, 13, 13, {0, 0, 100, 13}},
        {"right and wider than the client", 0x2, 150, 13, 13, {0, 0, 100, 13}},
        {"taller than the client is clipped", 0x0, 40, 30, 13, {0, 0, 42, 16}},
    };
    for (const Case& c : cases) {
        unsigned format = drawTextFormat(c.style);
        PixelRect measured{0, 0, c.textWidth, c.textHeight};
        PixelRect drawing = drawingRect(kClient, format, c.textWidth);
        EXPECT_EQ(hitRect(kClient, drawing, measured, format, c.style, c.fontHeight), c.expected) << c.name;
    }
}

}  // namespace
