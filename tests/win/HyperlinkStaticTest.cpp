#include "ui/HyperlinkStatic.h"

#include "WindowTestSupport.h"
#include "platform/Handles.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <string>

#include <windows.h>

namespace {

constexpr int kLinkId = 1008;
constexpr COLORREF kBlue = RGB(0, 0, 255);

LPARAM pointParam(int x, int y) { return MAKELPARAM(x, y); }

class HyperlinkStaticWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (IsSkipped()) return;
        m_link = CreateWindowExA(0, "STATIC", "What's in the package", WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE,
                                 10, 10, 240, 20, visibleHost(), reinterpret_cast<HMENU>(kLinkId),
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(m_link, nullptr);
        SendMessageA(m_link, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    }

    // Attaches the handler and paints once, which measures the text.
    void attach(const RefPtr<HyperlinkStatic>& link) {
        m_handler = link;
        ASSERT_TRUE(attachSubclass(m_link, link));
        InvalidateRect(m_link, nullptr, TRUE);
        UpdateWindow(m_link);
        RECT hit = link->hitRect();
        ASSERT_LT(hit.left, hit.right) << "the paint measured no text";
    }

    POINT insideText() const {
        RECT hit = m_handler->hitRect();
        return {(hit.left + hit.right) / 2, (hit.top + hit.bottom) / 2};
    }
    POINT outsideText() const {
        RECT hit = m_handler->hitRect();
        return {hit.right + 20, (hit.top + hit.bottom) / 2};
    }
    void mouse(UINT message, POINT p) { SendMessageA(m_link, message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON, pointParam(p.x, p.y)); }

    // The pixels of the link's client area with the given colour.
    int countPixels(COLORREF colour) {
        InvalidateRect(m_link, nullptr, TRUE);
        UpdateWindow(m_link);
        HDC dc = GetDC(m_link);
        RECT client;
        GetClientRect(m_link, &client);
        int count = 0;
        for (int y = client.top; y < client.bottom; ++y)
            for (int x = client.left; x < client.right; ++x)
                if (GetPixel(dc, x, y) == colour) ++count;
        ReleaseDC(m_link, dc);
        return count;
    }

    HWND m_link = nullptr;
    RefPtr<HyperlinkStatic> m_handler;
};

TEST_F(HyperlinkStaticWindow, AttachingAddsNotifyStyleAndATopmostTooltip) {
    auto link = makeRef<HyperlinkStatic>("http://www.example.com/quarnelix", true);
    ASSERT_NE(GetWindowLongA(m_link, GWL_STYLE) & SS_NOTIFY, SS_NOTIFY);
    attach(link);
    EXPECT_EQ(GetWindowLongA(m_link, GWL_STYLE) & SS_NOTIFY, SS_NOTIFY);

    HWND tooltip = link->tooltipWindow();
    ASSERT_NE(tooltip, nullptr);
    ASSERT_TRUE(IsWindow(tooltip));
    char className[32] = {};
    GetClassNameA(tooltip, className, sizeof className);
    EXPECT_STREQ(className, "tooltips_class32");
    EXPECT_TRUE(GetWindowLongA(tooltip, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindowLongA(tooltip, GWL_STYLE) & (TTS_NOPREFIX | TTS_ALWAYSTIP), TTS_NOPREFIX | TTS_ALWAYSTIP);
    EXPECT_EQ(SendMessageA(tooltip, TTM_GETTOOLCOUNT, 0, 0), 1);

    char text[128] = {};
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = m_link;
    tool.uId = 0;
    tool.lpszText = text;
    SendMessageA(tooltip, TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, "http://www.example.com/quarnelix");

    DestroyWindow(m_link);
    EXPECT_FALSE(IsWindow(tooltip)) << "the tooltip goes with its link";
}

TEST_F(HyperlinkStaticWindow, LinkWithoutTooltipTextRegistersAnEmptyTool) {
    auto link = makeRef<HyperlinkStatic>("http://www.example.com/", false);
    attach(link);
    EXPECT_EQ(link->tooltipText(), "");
    ASSERT_NE(link->tooltipWindow(), nullptr);
    char text[64] = "unchanged";
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = m_link;
    tool.lpszText = text;
    SendMessageA(link->tooltipWindow(), TTM_GETTEXTA, 0, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, "");
}

TEST_F(HyperlinkStaticWindow, MouseOverTheTextMakesItHot) {
    auto link = makeRef<HyperlinkStatic>();
    attach(link);
    EXPECT_FALSE(link->isHot());
    mouse(WM_MOUSEMOVE, insideText());
    EXPECT_TRUE(link->isHot());
    EXPECT_EQ(SendMessageA(m_link, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
    HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    EXPECT_EQ(GetCursor(), hand ? hand : LoadCursorA(nullptr, IDC_ARROW));
    mouse(WM_MOUSEMOVE, outsideText());
    EXPECT_FALSE(link->isHot());
    SendMessageA(m_link, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_link), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    mouse(WM_MOUSEMOVE, insideText());
    SendMessageA(m_link, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(link->isHot());
}

TEST_F(HyperlinkStaticWindow, PressAndReleaseOverTheTextSendsTheCommandToTheParent) {
    auto link = makeRef<HyperlinkStatic>();
    attach(link);
    mouse(WM_MOUSEMOVE, insideText());
    EXPECT_EQ(SendMessageA(m_link, WM_LBUTTONDOWN, MK_LBUTTON, pointParam(insideText().x, insideText().y)), 0);
    EXPECT_TRUE(link->isPressed());
    EXPECT_EQ(GetCapture(), m_link);
    EXPECT_TRUE(link->isTooltipSuppressed());
    EXPECT_TRUE(TestWindowClass::commands().empty());

    EXPECT_EQ(SendMessageA(m_link, WM_LBUTTONUP, 0, pointParam(insideText().x, insideText().y)), 0);
    EXPECT_FALSE(link->isPressed());
    EXPECT_NE(GetCapture(), m_link);
    auto commands = TestWindowClass::commands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(LOWORD(commands[0].wParam), kLinkId);
    EXPECT_EQ(HIWORD(commands[0].wParam), 0);
    EXPECT_EQ(commands[0].lParam, reinterpret_cast<LPARAM>(m_link));
    EXPECT_TRUE(link->isVisited());
}

TEST_F(HyperlinkStaticWindow, PressWithoutMoveStillFindsTheText) {
    auto link = makeRef<HyperlinkStatic>();
    attach(link);
    mouse(WM_LBUTTONDOWN, insideText());
    EXPECT_TRUE(link->isHot());
    EXPECT_TRUE(link->isPressed());
    mouse(WM_LBUTTONUP, insideText());
    EXPECT_EQ(TestWindowClass::commands().size(), 1u);
}

TEST_F(HyperlinkStaticWindow, ReleasingAfterMovingOffTheTextDoesNotClick) {
    auto link = makeRef<HyperlinkStatic>();
    attach(link);
    mouse(WM_LBUTTONDOWN, insideText());
    ASSERT_TRUE(link->isPressed());
    mouse(WM_MOUSEMOVE, outsideText());
    EXPECT_FALSE(link->isHot());
    mouse(WM_LBUTTONUP, outsideText());
    EXPECT_FALSE(link->isPressed());
    EXPECT_TRUE(TestWindowClass::commands().empty());
    EXPECT_FALSE(link->isVisited());
    EXPECT_NE(GetCapture(), m_link);
}

TEST_F(HyperlinkStaticWindow, ReleasingAfterLeavingTheControlDoesNotClick) {
    auto link = makeRef<HyperlinkStatic>();
    attach(link);
    mouse(WM_LBUTTONDOWN, insideText());
    ASSERT_TRUE(link->isPressed());
    SendMessageA(m_link, WM_MOUSELEAVE, 0, 0);
    mouse(WM_LBUTTONUP, outsideText());
    EXPECT_TRUE(TestWindowClass::commands().empty());
    EXPECT_FALSE(link->isVisited());
    EXPECT_NE(GetCapture(), m_link);
}

TEST_F(HyperlinkStaticWindow, PressOutsideTheTextIsIgnored) {
    auto link = makeRef<HyperlinkStatic>();
    attach(link);
    mouse(WM_LBUTTONDOWN, outsideText());
    EXPECT_FALSE(link->isPressed());
    EXPECT_NE(GetCapture(), m_link);
    mouse(WM_LBUTTONUP, insideText());
    EXPECT_TRUE(TestWindowClass::commands().empty());
}

TEST_F(HyperlinkStaticWindow, SpaceClicksAndOtherKeysDoNothing) {
    auto link = makeRef<HyperlinkStatic>();
    attach(link);
    for (WPARAM key : {WPARAM('A'), WPARAM(VK_RETURN), WPARAM(VK_TAB)}) {
        EXPECT_EQ(SendMessageA(m_link, WM_KEYDOWN, key, 0), 0);
        EXPECT_EQ(SendMessageA(m_link, WM_KEYUP, key, 0), 0);
    }
    EXPECT_TRUE(TestWindowClass::commands().empty());
    EXPECT_EQ(SendMessageA(m_link, WM_KEYDOWN, VK_SPACE, 0), 0);
    SendMessageA(m_link, WM_KEYUP, VK_SPACE, 0);
    auto commands = TestWindowClass::commands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wParam, static_cast<WPARAM>(MAKEWPARAM(kLinkId, 0)));
    EXPECT_TRUE(link->isVisited());
    SendMessageA(m_link, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(TestWindowClass::commands().size(), 2u);
    EXPECT_TRUE(link->isVisited());  // stays visited
}

TEST_F(HyperlinkStaticWindow, FocusMessagesSetAndClearFocusedState) {
    auto link = makeRef<HyperlinkStatic>();
    attach(link);
    SendMessageA(m_link, WM_SETFOCUS, 0, 0);
    EXPECT_TRUE(link->isFocused());
    SendMessageA(m_link, WM_KILLFOCUS, 0, 0);
    EXPECT_FALSE(link->isFocused());
}

TEST_F(HyperlinkStaticWindow, TooltipSuppressedByButtonsUntilThePointerLeavesTheText) {
    auto link = makeRef<HyperlinkStatic>("http://www.example.com/", true);
    attach(link);
    for (UINT message : {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_LBUTTONDOWN}) {
        mouse(WM_MOUSEMOVE, outsideText());
        EXPECT_FALSE(link->isTooltipSuppressed());
        SendMessageA(m_link, message, 0, pointParam(outsideText().x, outsideText().y));
        EXPECT_TRUE(link->isTooltipSuppressed()) << message;
        mouse(WM_MOUSEMOVE, insideText());
        EXPECT_TRUE(link->isTooltipSuppressed()) << message;
    }
    SendMessageA(m_link, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(link->isTooltipSuppressed());
}

TEST_F(HyperlinkStaticWindow, PaintsUnderlinedBlueTextAndEmbossedGreyWhenDisabled) {
    auto link = makeRef<HyperlinkStatic>();
    attach(link);
    int blueEnabled = countPixels(kBlue);
    EXPECT_GT(blueEnabled, 20);

    // The underline: an unbroken line of blue pixels across the text (letters have gaps).
    HDC dc = GetDC(m_link);
    RECT hit = link->hitRect();
    int longestRow = 0;
    for (int y = hit.top; y < hit.bottom; ++y) {
        int run = 0;
        for (int x = hit.left; x < hit.right; ++x) {
            run = GetPixel(dc, x, y) == kBlue ? run + 1 : 0;
            if (run > longestRow) longestRow = run;
        }
    }
    ReleaseDC(m_link, dc);
    EXPECT_GT(longestRow, (hit.right - hit.left) / 2);

    EnableWindow(m_link, FALSE);
    EXPECT_EQ(countPixels(kBlue), 0);
    EXPECT_GT(countPixels(GetSysColor(COLOR_BTNSHADOW)), 10);
}

TEST_F(HyperlinkStaticWindow, FocusedLinkIsFramedWithDots) {
    auto link = makeRef<HyperlinkStatic>();
    attach(link);
    COLORREF frameColour = GetSysColor(COLOR_WINDOWTEXT);
    auto topRowCount = [&] {
        InvalidateRect(m_link, nullptr, TRUE);
        UpdateWindow(m_link);
        HDC dc = GetDC(m_link);
        RECT hit = link->hitRect();
        int count = 0;
        for (int x = hit.left; x < hit.right; ++x) count += GetPixel(dc, x, 0) == frameColour;
        ReleaseDC(m_link, dc);
        return count;
    };
    int unfocused = topRowCount();
    SendMessageA(m_link, WM_SETFOCUS, 0, 0);
    int focused = topRowCount();
    RECT hit = link->hitRect();
    EXPECT_EQ(unfocused, 0);
    // Every other pixel of the frame's top edge.
    EXPECT_GE(focused, (hit.right - hit.left) / 2 - 1);
    EXPECT_LE(focused, (hit.right - hit.left) / 2 + 1);
}

// A target is opened with the verb "open": a batch file that leaves a mark shows it ran.
TEST_F(HyperlinkStaticWindow, ClickOpensTheTarget) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "qxlink" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string batch = folder + "\\mark.bat";
    std::string mark = folder + "\\opened.txt";
    FileHandle file(CreateFileA(batch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(file.Get(), INVALID_HANDLE_VALUE);
    std::string script = "@echo opened> \"" + mark + "\"\r\n";
    DWORD written = 0;
    WriteFile(file.Get(), script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
    file.Reset();

    auto link = makeRef<HyperlinkStatic>(batch, true);
    attach(link);
    SendMessageA(m_link, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(TestWindowClass::commands().empty());
    EXPECT_TRUE(link->isVisited());
    bool opened = false;
    for (int i = 0; i < 100 && !opened; ++i) {
        opened = GetFileAttributesA(mark.c_str()) != INVALID_FILE_ATTRIBUTES;
        if (!opened) Sleep(100);
    }
    EXPECT_TRUE(opened) << "the target was not opened";
    Sleep(200);
    DeleteFileA(mark.c_str());
    DeleteFileA(batch.c_str());
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
