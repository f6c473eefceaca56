#include "ui/WindowFont.h"

HFONT windowFont(HWND window) {
    auto font = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
    if (!font) {
        HWND parent = GetParent(window);
        if (parent) font = reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0));
    }
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return font;
}

LOGFONTA windowLogFont(HWND window) {
    LOGFONTA logFont = {};
    if (GetObjectA(windowFont(window), sizeof logFont, &logFont) != sizeof logFont) logFont = LOGFONTA{};
    return logFont;
}
