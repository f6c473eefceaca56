#include "ui/HyperlinkStatic.h"

#include "platform/Handles.h"
#include "ui/LinkTextLayout.h"
#include "ui/WindowFont.h"

#include <vector>

#include <commctrl.h>
#include <shellapi.h>

namespace {

// An object selected into a DC, put back before the DC's owner lets it go.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(object ? SelectObject(dc, object) : nullptr) {}
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    ~Selection() {
        if (m_old) SelectObject(m_dc, m_old);
    }

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

class PaintScope {
public:
    explicit PaintScope(HWND window) : m_window(window) { m_dc = BeginPaint(window, &m_paint); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    ~PaintScope() { EndPaint(m_window, &m_paint); }
    HDC dc() const { return m_dc; }

private:
    HWND m_window;
    PAINTSTRUCT m_paint;
    HDC m_dc;
};

PixelRect toPixels(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT toRect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

std::string windowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::vector<char> text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
    int got = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    return std::string(text.data(), got > 0 ? static_cast<std::size_t>(got) : 0);
}

// Old systems have no hand cursor; the link shows the arrow there.
HCURSOR handCursor() { return LoadCursorA(nullptr, IDC_HAND); }

}  // namespace

HyperlinkStatic::HyperlinkStatic()
    : m_handCursor(handCursor()), m_arrowCursor(LoadCursorA(nullptr, IDC_ARROW)) {}

HyperlinkStatic::HyperlinkStatic(const std::string& target, bool targetIsTooltip)
    : m_target(target),
      m_tooltipText(targetIsTooltip ? target : std::string()),
      m_handCursor(handCursor()),
      m_arrowCursor(LoadCursorA(nullptr, IDC_ARROW)) {}

HyperlinkStatic::~HyperlinkStatic() {
    if (m_tooltip && IsWindow(m_tooltip)) DestroyWindow(m_tooltip);
}

void HyperlinkStatic::attached(HWND window) {
    // Without SS_NOTIFY a static is transparent to the mouse.
    SetWindowLongA(window, GWL_STYLE, GetWindowLongA(window, GWL_STYLE) | SS_NOTIFY);

    // The tooltip class lives in the common controls; make sure it is registered.
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    m_tooltip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                instance, nullptr);
    if (!m_tooltip) return;  // the link works without its tooltip
    SetWindowPos(m_tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);

    std::vector<char> text(m_tooltipText.begin(), m_tooltipText.end());
    text.push_back('\0');
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;  // 44: understood by every comctl32 version
    tool.uFlags = 0;
    tool.hwnd = window;
    tool.uId = 0;
    GetClientRect(window, &tool.rect);
    tool.lpszText = text.data();
    SendMessageA(m_tooltip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void HyperlinkStatic::activateTooltip(bool active) {
    if (m_tooltip) SendMessageA(m_tooltip, TTM_ACTIVATE, active, 0);
}

void HyperlinkStatic::suppressTooltip() {
    m_tooltipSuppressed = true;
    activateTooltip(false);
}

void HyperlinkStatic::setHot(HWND window, bool hot) {
    if (hot == m_hot) return;
    m_hot = hot;
    InvalidateRect(window, nullptr, FALSE);
}

bool HyperlinkStatic::overText(LPARAM point) const {
    POINT p = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    return PtInRect(&m_hitRect, p) != FALSE;
}

LRESULT HyperlinkStatic::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        setHot(window, overText(lParam));
        if (m_hot) {
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, HOVER_DEFAULT};
            TrackMouseEvent(&track);
            if (!m_tooltipSuppressed && m_tooltip) {
                activateTooltip(true);
                MSG relayed = {window, message, wParam, lParam, static_cast<DWORD>(GetMessageTime()), {}};
                GetCursorPos(&relayed.pt);
                SendMessageA(m_tooltip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
            }
        } else {
            m_tooltipSuppressed = false;
            activateTooltip(false);
        }
        break;
    case WM_LBUTTONDOWN:
        suppressTooltip();
        if (!m_hot) setHot(window, overText(lParam));
        if (m_hot) {
            m_pressed = true;
            SetCapture(window);
        }
        return 0;
    case WM_LBUTTONUP:
        suppressTooltip();
        if (m_pressed) {
            m_pressed = false;
            ReleaseCapture();
            if (m_hot) click(window);
        }
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
        suppressTooltip();
        break;
    case WM_MOUSELEAVE:
        activateTooltip(false);
        m_tooltipSuppressed = false;
        m_hot = false;
        InvalidateRect(window, nullptr, TRUE);
        break;
    case WM_KEYDOWN:
        activateTooltip(false);
        if (wParam == VK_SPACE) click(window);
        return 0;
    case WM_KEYUP:
        activateTooltip(false);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        m_focused = message == WM_SETFOCUS;
        InvalidateRect(window, nullptr, TRUE);
        break;
    case WM_ENABLE:
        InvalidateRect(window, nullptr, FALSE);
        break;
    case WM_SETCURSOR:
        SetCursor(m_hot && m_handCursor ? m_handCursor : m_arrowCursor);
        return TRUE;
    case WM_PAINT:
        paint(window);
        return 0;
    case WM_DESTROY:
        // The tooltip is owned by the dialog (a child cannot own), so it goes with the link.
        if (m_tooltip) {
            DestroyWindow(m_tooltip);
            m_tooltip = nullptr;
        }
        break;
    default:
        break;
    }
    return callPrevious(window, message, wParam, lParam);
}

void HyperlinkStatic::click(HWND window) {
    if (!m_visited) {
        m_visited = true;
        InvalidateRect(window, nullptr, TRUE);
    }
    if (m_target.empty()) {
        SendMessageA(GetParent(window), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(window), 0),
                     reinterpret_cast<LPARAM>(window));
    } else {
        ShellExecuteA(nullptr, "open", m_target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
}

void HyperlinkStatic::paint(HWND window) {
    using namespace LinkTextLayout;
    PaintScope paintScope(window);
    HDC dc = paintScope.dc();
    bool enabled = IsWindowEnabled(window) != FALSE;
    RECT client;
    GetClientRect(window, &client);

    auto background = reinterpret_cast<HBRUSH>(
        SendMessageA(GetParent(window), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(window)));
    if (background) FillRect(dc, &client, background);

    LOGFONTA logFont = windowLogFont(window);
    logFont.lfUnderline = enabled ? 1 : 0;
    GdiObject font(CreateFontIndirectA(&logFont));
    Selection fontSelection(dc, font.Get());

    std::string text = windowText(window);
    unsigned long style = static_cast<unsigned long>(GetWindowLongA(window, GWL_STYLE));
    unsigned format = drawTextFormat(style);
    RECT measured = client;
    DrawTextA(dc, text.c_str(), -1, &measured, measureFormat(format));
    PixelRect measuredPixels = toPixels(measured);
    PixelRect drawing = drawingRect(toPixels(client), format, measuredPixels.width());
    RECT drawRect = toRect(drawing);

    SetBkMode(dc, TRANSPARENT);
    if (!enabled) {
        RECT embossed = drawRect;
        OffsetRect(&embossed, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextA(dc, text.c_str(), -1, &embossed, format);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        SetTextColor(dc, m_hot ? m_hoverColour : m_visited ? m_visitedColour : m_normalColour);
    }
    DrawTextA(dc, text.c_str(), -1, &drawRect, format);

    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    m_hitRect = toRect(LinkTextLayout::hitRect(toPixels(client), drawing, measuredPixels, format, style, metrics.tmHeight));

    if (m_focused && enabled) {
        static const WORD kDots[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};
        GdiObject dots(CreateBitmap(8, 8, 1, 1, kDots));
        GdiObject brush(CreatePatternBrush(static_cast<HBITMAP>(dots.Get())));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        RECT frame = {m_hitRect.left, client.top, m_hitRect.right, client.bottom};
        FrameRect(dc, &frame, static_cast<HBRUSH>(brush.Get()));
    }
}
