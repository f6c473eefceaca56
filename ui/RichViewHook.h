#pragma once
// Makes a read-only rich edit behave like a viewer: it never takes the focus (no caret,
// no selection highlight) and shows the arrow wherever the control would show another
// cursor than the arrow or the hand.
#include "ui/WindowSubclass.h"

#include <windows.h>

class RichViewHook : public WindowSubclass {
public:
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
};
