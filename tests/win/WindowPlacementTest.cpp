#include "ui/WindowPlacement.h"

#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

RECT workArea() {
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

RECT windowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

class PlacementWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (IsSkipped()) return;
        m_top.reset(createTopWindow(300, 200, 3, 5));
        ASSERT_NE(top(), nullptr);
    }
    void resize(int width, int height) {
        SetWindowPos(top(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
};

TEST_F(PlacementWindow, WorkAreaCentreModeCentresOnTheWorkArea) {
    RECT work = workArea();
    ASSERT_TRUE(placeWindow(top(), PlaceMode::WorkAreaCentre));
    RECT r = windowRect(top());
    EXPECT_EQ(r.left, (work.left + work.right) / 2 - 150);
    EXPECT_EQ(r.top, (work.top + work.bottom) / 2 - 100);
    EXPECT_EQ(r.right - r.left, 300);
    EXPECT_EQ(r.bottom - r.top, 200);
}

TEST_F(PlacementWindow, CursorModeCentresOnTheCursorInsideTheWorkArea) {
    RECT work = workArea();
    struct Case {
        const char* name;
        POINT cursor;
        POINT expected;
    };
    const int cx = (work.left + work.right) / 2, cy = (work.top + work.bottom) / 2;
    const Case cases[] = {
        {"middle", {cx, cy}, {cx - 150, cy - 100}},
        {"bottom right corner", {work.right - 2, work.bottom - 2}, {work.right - 300, work.bottom - 200}},
        {"top left corner", {work.left + 1, work.top + 1}, {work.left, work.top}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetCursorPos(c.cursor.x, c.cursor.y));
        POINT now;
        GetCursorPos(&now);
        ASSERT_EQ(now.x, c.cursor.x) << c.name;
        ASSERT_TRUE(placeWindow(top(), PlaceMode::Cursor)) << c.name;
        RECT r = windowRect(top());
        EXPECT_EQ(r.left, c.expected.x) << c.name;
        EXPECT_EQ(r.top, c.expected.y) << c.name;
        EXPECT_EQ(r.right - r.left, 300) << c.name;
        EXPECT_LE(r.right, work.right) << c.name;
        EXPECT_LE(r.bottom, work.bottom) << c.name;
    }
}

TEST_F(PlacementWindow, WindowLargerThanTheWorkAreaStartsAtItsTopLeft) {
    RECT work = workArea();
    resize(work.right - work.left + 100, work.bottom - work.top + 60);
    ASSERT_TRUE(placeWindow(top(), PlaceMode::WorkAreaCentre));
    RECT r = windowRect(top());
    EXPECT_EQ(r.left, work.left);
    EXPECT_EQ(r.top, work.top);
}

TEST_F(PlacementWindow, TaskbarOnTheLeftCentresOnTheWorkAreaNotTheScreen) {
    RECT saved = workArea();
    RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT shifted = {screen.left + 120, screen.top, screen.right, screen.bottom};
    if (!SystemParametersInfoA(SPI_SETWORKAREA, 0, &shifted, 0)) GTEST_SKIP() << "the work area cannot be changed";
    RECT work = workArea();
    bool changed = EqualRect(&work, &shifted) != FALSE;
    bool placed = changed && placeWindow(top(), PlaceMode::WorkAreaCentre);
    RECT r = windowRect(top());
    SystemParametersInfoA(SPI_SETWORKAREA, 0, &saved, 0);
    if (!changed) GTEST_SKIP() << "the work area did not change";
    ASSERT_TRUE(placed);
    EXPECT_EQ(r.left, (shifted.left + shifted.right) / 2 - 150);
    EXPECT_NE(r.left, (screen.left + screen.right) / 2 - 150);
    EXPECT_EQ(r.top, (shifted.top + shifted.bottom) / 2 - 100);
}

TEST_F(PlacementWindow, InvalidWindowIsLeftAloneWithFalse) {
    HWND window = top();
    DestroyWindow(window);
    EXPECT_FALSE(placeWindow(window, PlaceMode::WorkAreaCentre));
}

}  // namespace
