#include "ui/AnchorLayout.h"

#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <windows.h>

namespace {

RECT childRect(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string text(const RECT& r) {
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

class AnchorLayoutWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (IsSkipped()) return;
        // A borderless popup: client size = window size.
        m_top.reset(createTopWindow(300, 200, 40, 40, WS_CLIPCHILDREN));
        ASSERT_NE(top(), nullptr);
        TestWindowClass::seen().clear();
    }

    HWND child(int id, int left, int top, int right, int bottom, HWND parent = nullptr) {
        HWND h = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, left, top, right - left, bottom - top,
                                 parent ? parent : this->top(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleA(nullptr), nullptr);
        EXPECT_NE(h, nullptr);
        return h;
    }

    void resize(int width, int height) {
        SetWindowPos(top(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        RECT client;
        GetClientRect(top(), &client);
        ASSERT_EQ(client.right, width);
        ASSERT_EQ(client.bottom, height);
    }
};

struct AxisCase {
    const char* name;
    int nearSide, farSide, start, end;
};
// A 50 x 25 child at (10, 20) of 300 x 200, anchored at 7 (left), 8 (top), 9 (right),
// 11 (bottom), after the parent grew to 400 x 250.
const AxisCase kHorizontal[] = {
    {"free", -1, -1, 10, 60}, {"left", 7, -1, 7, 57}, {"right", -1, 9, 341, 391}, {"leftRight", 7, 9, 7, 391}};
const AxisCase kVertical[] = {
    {"free", -1, -1, 20, 45}, {"top", 8, -1, 8, 33}, {"bottom", -1, 11, 214, 239}, {"topBottom", 8, 11, 8, 239}};

TEST_F(AnchorLayoutWindow, ResizingPlacesChildrenForEveryAnchorCombination) {
    auto layout = makeRef<AnchorLayout>();
    std::vector<HWND> children;
    int id = 100;
    for (const AxisCase& h : kHorizontal) {
        for (const AxisCase& v : kVertical) {
            HWND c = child(id, 10, 20, 60, 45);
            children.push_back(c);
            Anchor anchor{h.nearSide, v.nearSide, h.farSide, v.farSide, Anchor::kRepaintNone};
            if (id % 2)
                layout->set(c, anchor);  // by handle
            else
                layout->set(id, anchor);  // by control id
            ++id;
        }
    }
    ASSERT_TRUE(attachSubclass(top(), layout));
    resize(400, 250);
    std::size_t i = 0;
    for (const AxisCase& h : kHorizontal) {
        for (const AxisCase& v : kVertical) {
            RECT r = childRect(top(), children[i++]);
            RECT expected = {h.start, v.start, h.end, v.end};
            EXPECT_TRUE(EqualRect(&r, &expected)) << h.name << "/" << v.name << ": " << text(r);
        }
    }
}

TEST_F(AnchorLayoutWindow, StretchedControlFollowsEveryResizeAndMinimizeIsIgnored) {
    auto layout = makeRef<AnchorLayout>();
    HWND bar = child(1014, 7, 10, 293, 12);
    HWND button = child(1, 62, 170, 122, 193);
    layout->set(1014, Anchor{7, -1, 7, -1, Anchor::kRepaintErase});
    layout->entry(button).bottom = 7;
    layout->entry(button).repaint = Anchor::kRepaintPlain;
    ASSERT_TRUE(attachSubclass(top(), layout));
    for (int width : {500, 260, 300}) {
        resize(width, 220);
        RECT r = childRect(top(), bar);
        EXPECT_EQ(r.left, 7);
        EXPECT_EQ(r.right, width - 7);
        RECT b = childRect(top(), button);
        EXPECT_EQ(b.bottom, 213);
        EXPECT_EQ(b.bottom - b.top, 23);
        EXPECT_EQ(b.left, 62);
    }
    SendMessageA(top(), WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(0, 0));
    RECT r = childRect(top(), bar);
    EXPECT_EQ(r.right, 293);  // unchanged by the minimised size
}

// The window's own procedure (an older handler here) sees WM_SIZE before the children
// move, and the entries it changes apply in the same pass.
class CentreOnResize : public WindowSubclass {
public:
    CentreOnResize(AnchorLayout& layout, HWND parent, HWND button) : m_layout(layout), m_parent(parent), m_button(button) {}
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SIZE) {
            rightBeforeLayout = childRect(m_parent, m_button).right;
            m_layout.entry(1).right = LOWORD(lParam) / 2 + 3;
        }
        return callPrevious(window, message, wParam, lParam);
    }
    int rightBeforeLayout = -1;

private:
    AnchorLayout& m_layout;
    HWND m_parent;
    HWND m_button;
};

TEST_F(AnchorLayoutWindow, WindowProcedureSeesTheSizeFirstAndCanAdjustEntries) {
    auto layout = makeRef<AnchorLayout>();
    HWND button = child(1, 62, 170, 122, 193);
    layout->entry(1).bottom = 7;
    auto owner = makeRef<CentreOnResize>(*layout, top(), button);
    ASSERT_TRUE(attachSubclass(top(), owner));
    ASSERT_TRUE(attachSubclass(top(), layout));
    resize(400, 220);
    EXPECT_EQ(owner->rightBeforeLayout, 122);
    RECT b = childRect(top(), button);
    EXPECT_EQ(b.right, 400 - (200 + 3));
    EXPECT_EQ(b.right - b.left, 60);
    EXPECT_EQ(b.bottom, 213);
}

TEST_F(AnchorLayoutWindow, ApplyLaysOutForTheCurrentClientSize) {
    auto layout = makeRef<AnchorLayout>();
    HWND fill = child(0, 5, 5, 20, 20);
    layout->set(fill, Anchor{0, 0, 0, 0, Anchor::kRepaintNone});
    layout->apply(top());
    RECT r = childRect(top(), fill);
    RECT expected = {0, 0, 300, 200};
    EXPECT_TRUE(EqualRect(&r, &expected)) << text(r);
}

TEST_F(AnchorLayoutWindow, MissingChildrenAndInactiveEntriesAreSkipped) {
    auto layout = makeRef<AnchorLayout>();
    HWND kept = child(5, 10, 20, 60, 45);
    HWND gone = child(6, 10, 20, 60, 45);
    layout->set(999, Anchor{1, 1, 1, 1, Anchor::kRepaintErase});    // no such control
    layout->set(gone, Anchor{1, 1, 1, 1, Anchor::kRepaintErase});   // destroyed below
    layout->set(nullptr, Anchor{1, 1, 1, 1, Anchor::kRepaintErase});
    layout->set(5, Anchor{});                                         // inactive
    layout->entry(kept);                                              // inserted inactive
    DestroyWindow(gone);
    ASSERT_TRUE(attachSubclass(top(), layout));
    resize(400, 250);
    RECT r = childRect(top(), kept);
    RECT expected = {10, 20, 60, 45};
    EXPECT_TRUE(EqualRect(&r, &expected)) << text(r);
    Anchor& again = layout->entry(5);  // removed at the pass: a fresh entry again
    EXPECT_EQ(again.left, -1);
    EXPECT_EQ(again.repaint, -1);
}

TEST_F(AnchorLayoutWindow, RepaintModeDecidesInvalidationAndErase) {
    struct Case {
        const char* name;
        int repaint;
        bool invalid;
        bool erased;
    };
    const Case cases[] = {{"none", Anchor::kRepaintNone, false, false},
                          {"plain", Anchor::kRepaintPlain, true, false},
                          {"erase", Anchor::kRepaintErase, true, true}};
    // Painting needs a visible parent: the host is 400 x 300.
    HWND parent = visibleHost();
    ASSERT_NE(parent, nullptr);
    auto layout = makeRef<AnchorLayout>();
    std::vector<HWND> children;
    std::vector<RefPtr<MessageRecorder>> recorders;
    int id = 200;
    for (const Case& c : cases) {
        // Already where its anchor puts it, so only the repaint mode can invalidate it.
        HWND h = child(id, 10, 250, 60, 270, parent);
        layout->set(id++, Anchor{10, -1, -1, 30, c.repaint});
        children.push_back(h);
        recorders.push_back(makeRef<MessageRecorder>());
        ASSERT_TRUE(attachSubclass(h, recorders.back()));
    }
    UpdateWindow(parent);
    for (HWND h : children) UpdateWindow(h);
    pumpMessages();
    for (auto& r : recorders) r->messages.clear();
    for (HWND h : children) ASSERT_FALSE(GetUpdateRect(h, nullptr, FALSE));

    layout->apply(parent);
    for (std::size_t i = 0; i < children.size(); ++i) {
        EXPECT_EQ(GetUpdateRect(children[i], nullptr, FALSE) != FALSE, cases[i].invalid) << cases[i].name;
        UpdateWindow(children[i]);
        EXPECT_EQ(recorders[i]->saw(WM_PAINT), cases[i].invalid) << cases[i].name;
        EXPECT_EQ(recorders[i]->saw(WM_ERASEBKGND), cases[i].erased) << cases[i].name;
    }
}

}  // namespace
