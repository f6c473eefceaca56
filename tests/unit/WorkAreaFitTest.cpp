#include "ui/WorkAreaFit.h"

#include <gtest/gtest.h>

namespace {

// The placement as described step by step: centre, clamp to the near edge, then walk
// back one pixel at a time while the far edge sticks out and the near edge allows.
PixelPoint walkedPlacement(PixelPoint point, int w, int h, const PixelRect& work) {
    int left = point.x - w / 2 < work.left ? work.left : point.x - w / 2;
    int top = point.y - h / 2 < work.top ? work.top : point.y - h / 2;
    while (left + w > work.right && left > work.left) --left;
    while (top + h > work.bottom && top > work.top) --top;
    return {left, top};
}

struct Case {
    const char* name;
    PixelPoint point;
    int width;
    int height;
    PixelRect work;
    PixelPoint expected;
};

const PixelRect kScreen{0, 0, 1024, 768};
const PixelRect kTaskbarLeft{100, 0, 1024, 768};

const Case kCases[] = {
    {"centred", {512, 384}, 400, 300, kScreen, {312, 234}},
    {"odd size uses integer halves", {512, 384}, 401, 301, kScreen, {312, 234}},
    {"cursor near the bottom right", {1000, 760}, 400, 300, kScreen, {624, 468}},
    {"cursor near the top left", {10, 10}, 400, 300, kScreen, {0, 0}},
    {"wider than the work area", {512, 384}, 2000, 300, kScreen, {0, 234}},
    {"taller than the work area", {512, 384}, 400, 1000, kTaskbarLeft, {312, 0}},
    {"taskbar on the left, cursor at its edge", {100, 384}, 400, 300, kTaskbarLeft, {100, 234}},
    {"monitor left of the primary", {-640, 512}, 400, 300, {-1280, 0, 0, 1024}, {-840, 362}},
};

TEST(WorkAreaFit, PlacesWindowInsideTheWorkArea) {
    for (const Case& c : kCases) {
        PixelPoint placed = fitToWorkArea(c.point, c.width, c.height, c.work);
        EXPECT_EQ(placed.x, c.expected.x) << c.name;
        EXPECT_EQ(placed.y, c.expected.y) << c.name;
    }
}

TEST(WorkAreaFit, CentreOfWorkAreaIgnoresTheTaskbarSpace) {
    PixelPoint centre = workAreaCentre(kTaskbarLeft);
    EXPECT_EQ(centre.x, 562);
    EXPECT_EQ(centre.y, 384);
    PixelPoint placed = fitToWorkArea(centre, 400, 300, kTaskbarLeft);
    EXPECT_EQ(placed.x, 362);  // centred on the work area, not on the 1024-pixel screen
    EXPECT_EQ(placed.y, 234);
}

TEST(WorkAreaFit, AgreesWithPixelWalkEverywhere) {
    const PixelRect work{-30, 20, 170, 140};
    for (int x = -80; x <= 220; x += 7) {
        for (int y = -10; y <= 190; y += 9) {
            for (int w : {1, 50, 199, 200, 201, 350}) {
                for (int h : {1, 60, 120, 121, 300}) {
                    PixelPoint expected = walkedPlacement({x, y}, w, h, work);
                    PixelPoint placed = fitToWorkArea({x, y}, w, h, work);
                    ASSERT_EQ(placed.x, expected.x) << x << "," << y << " " << w << "x" << h;
                    ASSERT_EQ(placed.y, expected.y) << x << "," << y << " " << w << "x" << h;
                }
            }
        }
    }
}

}  // namespace
