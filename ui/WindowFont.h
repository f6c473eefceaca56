#pragma once
// The font a window draws with: its own WM_GETFONT, else its parent's, else the
// stock DEFAULT_GUI_FONT.
#include <windows.h>

HFONT windowFont(HWND window);
// The LOGFONTA of windowFont(window) (zeroed when it cannot be read).
LOGFONTA windowLogFont(HWND window);
