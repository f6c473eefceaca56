#include "ui/RichText.h"

#include "ui/RichEditLibrary.h"
#include "ui/RichViewHook.h"

#include "WindowTestSupport.h"

#include <gtest/gtest.h>

#include <string>

#include <richedit.h>
#include <windows.h>

namespace {

constexpr DWORD kViewerStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_READONLY | ES_MULTILINE;

std::string controlText(HWND control) {
    int length = GetWindowTextLengthA(control);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int got = GetWindowTextA(control, &text[0], length + 1);
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return text;
}

class RichTextWindow : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        if (IsSkipped()) return;
        ASSERT_NE(RichEditLibrary::ensureLoaded(), nullptr);
        m_view = create("RichEdit20A");
    }
    HWND create(const char* className) {
        HWND view = CreateWindowExA(WS_EX_STATICEDGE, className, "EULA", kViewerStyle, 5, 5, 300, 100, top(),
                                    reinterpret_cast<HMENU>(1005), GetModuleHandleA(nullptr), nullptr);
        EXPECT_NE(view, nullptr) << className;
        return view;
    }
    HWND m_view = nullptr;
};

TEST_F(RichTextWindow, ShowsRtfAndPlainTextAsTheFormatSays) {
    struct Case {
        const char* name;
        std::string text;
        RichTextFormat format;
        std::string shown;
    };
    const Case cases[] = {
        {"rtf", "{\\rtf1\\ansi Hello {\\b bold} world\\par Second line}", RichTextRtf,
         "Hello bold world\r\nSecond line"},
        {"shorthand given as rtf", "{\\r Hello {\\b bold}}", RichTextRtf, "Hello bold"},
        {"shorthand detected", "{\\r Hello {\\b bold}}", RichTextDetect, "Hello bold"},
        {"rtf detected", "{\\rtf1 Detected {\\i italic}}", RichTextDetect, "Detected italic"},
        {"plain detected", "Plain {\\b not bold} text", RichTextDetect, "Plain {\\b not bold} text"},
        {"rtf-looking text given as plain", "{\\rtf1 x}", RichTextPlain, "{\\rtf1 x}"},
        {"empty", "", RichTextDetect, ""},
    };
    for (const Case& c : cases) {
        setRichText(m_view, c.text, c.format);
        EXPECT_EQ(controlText(m_view), c.shown) << c.name;
    }
}

TEST_F(RichTextWindow, NewTextReplacesTheWholeContent) {
    setRichText(m_view, "{\\rtf1 First text\\par with two lines}", RichTextRtf);
    SendMessageA(m_view, EM_SETSEL, 3, 6);  // a selection must not limit the replacement
    setRichText(m_view, "{\\rtf1 Second}", RichTextRtf);
    EXPECT_EQ(controlText(m_view), "Second");
}

TEST_F(RichTextWindow, ViewStartsAtTheFirstLineOfALongDocument) {
    std::string rtf = "{\\rtf1\\ansi ";
    for (int i = 0; i < 300; ++i) rtf += "Line " + std::to_string(i) + "\\par ";
    rtf += "}";
    setRichText(m_view, rtf, RichTextRtf);
    EXPECT_EQ(SendMessageA(m_view, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    EXPECT_GE(SendMessageA(m_view, EM_GETLINECOUNT, 0, 0), 300);

    SendMessageA(m_view, EM_LINESCROLL, 0, 120);
    SendMessageA(m_view, EM_SETSEL, 5000, 5000);
    ASSERT_GT(SendMessageA(m_view, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << "the view did not scroll";
    setRichText(m_view, rtf, RichTextRtf);
    EXPECT_EQ(SendMessageA(m_view, EM_GETFIRSTVISIBLELINE, 0, 0), 0);
    char first[32] = {};
    *reinterpret_cast<WORD*>(first) = sizeof first;
    SendMessageA(m_view, EM_GETLINE, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_EQ(std::string(first, 6), "Line 0");
}

TEST_F(RichTextWindow, PlainTextGoesIntoAUnicodeControlAsUtf16) {
    HWND wide = create("RichEdit20W");
    ASSERT_NE(wide, nullptr);
    setRichText(wide, "Plain words", RichTextDetect);
    wchar_t text[64] = {};
    GetWindowTextW(wide, text, 64);
    EXPECT_STREQ(text, L"Plain words");
    setRichText(wide, "{\\r Rich {\\b words}}", RichTextDetect);
    GetWindowTextW(wide, text, 64);
    EXPECT_STREQ(text, L"Rich words");
}

TEST_F(RichTextWindow, UrlsStayPlainText) {
    setRichText(m_view, "{\\rtf1 See http://www.example.com/ for more}", RichTextRtf);
    EXPECT_EQ(SendMessageA(m_view, EM_GETAUTOURLDETECT, 0, 0), 0);
    SendMessageA(m_view, EM_SETSEL, 6, 20);
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(m_view, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.dwEffects & CFE_LINK, 0u);
}

class RichViewHookWindow : public RichTextWindow {
protected:
    HWND caretWindow() {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetCurrentThreadId(), &info);
        return info.hwndCaret;
    }
};

TEST_F(RichViewHookWindow, FocusNeverReachesTheControlSoNoCaretAppears) {
    HWND plain = create("RichEdit20A");
    setRichText(plain, "{\\rtf1 Without hook}", RichTextRtf);
    setRichText(m_view, "{\\rtf1 With hook}", RichTextRtf);
    ASSERT_TRUE(attachSubclass(m_view, makeRef<RichViewHook>()));

    SendMessageA(plain, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(caretWindow(), plain) << "an ordinary rich edit makes its caret on focus";
    SendMessageA(plain, WM_KILLFOCUS, 0, 0);
    DestroyCaret();

    EXPECT_EQ(SendMessageA(m_view, WM_SETFOCUS, 0, 0), 0);
    EXPECT_NE(caretWindow(), m_view);
    EXPECT_EQ(controlText(m_view), "With hook");  // everything else passes on
}

TEST_F(RichViewHookWindow, CursorOverTheTextIsTheArrow) {
    setRichText(m_view, "{\\rtf1 Some text to point at, long enough to lie under the pointer}", RichTextRtf);
    ASSERT_TRUE(attachSubclass(m_view, makeRef<RichViewHook>()));
    RECT r;
    GetWindowRect(m_view, &r);
    SetCursorPos(r.left + 20, r.top + 8);
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    for (const char* start : {IDC_WAIT, IDC_IBEAM, IDC_CROSS}) {
        SetCursor(LoadCursorA(nullptr, start));
        SendMessageA(m_view, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_view), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        EXPECT_EQ(GetCursor(), arrow);
    }
}

}  // namespace
