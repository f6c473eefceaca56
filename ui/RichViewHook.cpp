#include "ui/RichViewHook.h"

LRESULT RichViewHook::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SETFOCUS:
        return 0;  // never focused: no caret, no selection highlight
    case WM_SETCURSOR: {
        LRESULT result = callPrevious(window, message, wParam, lParam);
        HCURSOR current = GetCursor();
        if (current != LoadCursorA(nullptr, IDC_ARROW) && current != LoadCursorA(nullptr, IDC_HAND))
            SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return result;
    }
    default:
        return callPrevious(window, message, wParam, lParam);
    }
}
