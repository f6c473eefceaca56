#include "ui/Anchor.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// A 50 x 25 child at (10, 20) of a client area that grows to 400 x 250.
const PixelRect kChild{10, 20, 60, 45};
constexpr int kWidth = 400;
constexpr int kHeight = 250;

struct AxisCase {
    const char* name;
    int nearSide;  // left or top distance, -1 when free
    int farSide;   // right or bottom distance
    int expectedStart;
    int expectedEnd;
};

// Horizontal: free keeps 10..60; left 7 moves to 7..57; right 9 moves to 341..391;
// both stretch to 7..391.
const AxisCase kHorizontal[] = {
    {"free", -1, -1, 10, 60},
    {"left", 7, -1, 7, 57},
    {"right", -1, 9, 341, 391},
    {"leftRight", 7, 9, 7, 391},
};
// Vertical: free keeps 20..45; top 8 moves to 8..33; bottom 11 moves to 214..239;
// both stretch to 8..239.
const AxisCase kVertical[] = {
    {"free", -1, -1, 20, 45},
    {"top", 8, -1, 8, 33},
    {"bottom", -1, 11, 214, 239},
    {"topBottom", 8, 11, 8, 239},
};

TEST(Anchor, PlacesChildForEveryCombinationOfAnchoredSides) {
    for (const AxisCase& h : kHorizontal) {
        for (const AxisCase& v : kVertical) {
            Anchor anchor;
            anchor.left = h.nearSide;
            anchor.right = h.farSide;
            anchor.top = v.nearSide;
            anchor.bottom = v.farSide;
            PixelRect placed = placeAnchored(kChild, anchor, kWidth, kHeight);
            SCOPED_TRACE(std::string(h.name) + "/" + v.name);
            EXPECT_EQ(placed, (PixelRect{h.expectedStart, v.expectedStart, h.expectedEnd, v.expectedEnd}));
        }
    }
}

TEST(Anchor, LeftAndRightSevenStretchWithTheParent) {
    Anchor anchor;
    anchor.left = 7;
    anchor.right = 7;
    for (int width : {200, 300, 640}) {
        PixelRect placed = placeAnchored(kChild, anchor, width, kHeight);
        EXPECT_EQ(placed.left, 7);
        EXPECT_EQ(placed.right, width - 7);
        EXPECT_EQ(placed.top, kChild.top);
        EXPECT_EQ(placed.height(), kChild.height());
    }
}

TEST(Anchor, BottomSevenAloneKeepsSizeAndFollowsTheBottomEdge) {
    Anchor anchor;
    anchor.bottom = 7;
    for (int height : {100, 250, 480}) {
        PixelRect placed = placeAnchored(kChild, anchor, kWidth, height);
        EXPECT_EQ(placed.bottom, height - 7);
        EXPECT_EQ(placed.width(), kChild.width());
        EXPECT_EQ(placed.height(), kChild.height());
        EXPECT_EQ(placed.left, kChild.left);
    }
}

TEST(Anchor, ZeroDistanceIsAnchored) {
    Anchor anchor{0, 0, 0, 0, Anchor::kRepaintNone};
    EXPECT_EQ(placeAnchored(kChild, anchor, kWidth, kHeight), (PixelRect{0, 0, kWidth, kHeight}));
}

TEST(Anchor, NewEntryIsInactiveWithoutRepaint) {
    Anchor anchor;
    EXPECT_EQ(anchor.left, -1);
    EXPECT_EQ(anchor.top, -1);
    EXPECT_EQ(anchor.right, -1);
    EXPECT_EQ(anchor.bottom, -1);
    EXPECT_EQ(anchor.repaint, -1);
    EXPECT_FALSE(anchor.isActive());
    EXPECT_EQ(placeAnchored(kChild, anchor, kWidth, kHeight), kChild);
}

TEST(Anchor, AnySingleSideMakesTheEntryActive) {
    for (int side = 0; side < 4; ++side) {
        Anchor anchor;
        (side == 0 ? anchor.left : side == 1 ? anchor.top : side == 2 ? anchor.right : anchor.bottom) = 3;
        EXPECT_TRUE(anchor.isActive()) << side;
    }
}

TEST(Anchor, RepaintModes) {
    struct Case {
        int repaint;
        bool invalidates;
        bool erases;
    };
    const Case cases[] = {{-5, false, false}, {Anchor::kRepaintNone, false, false},
                          {Anchor::kRepaintPlain, true, false}, {Anchor::kRepaintErase, true, true},
                          {7, true, true}};
    for (const Case& c : cases) {
        Anchor anchor;
        anchor.repaint = c.repaint;
        EXPECT_EQ(anchor.invalidates(), c.invalidates) << c.repaint;
        EXPECT_EQ(anchor.erases(), c.erases) << c.repaint;
    }
}

}  // namespace
