#pragma once
// Dialog units of a dialog window in pixels (MapDialogRect: horizontal units are a
// quarter, vertical units an eighth of the dialog font's average character size).
#include <windows.h>

int dialogUnitsX(HWND dialog, int units);
int dialogUnitsY(HWND dialog, int units);
