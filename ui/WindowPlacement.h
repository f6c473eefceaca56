#pragma once
// Puts a window on the screen centred on the work area or on the cursor, kept inside
// the work area.
#include <windows.h>

enum class PlaceMode {
    WorkAreaCentre,
    Cursor,
};

// False (and the window stays where it is) when the work area, the cursor position or
// the window rectangle cannot be read.
bool placeWindow(HWND window, PlaceMode mode);
