#include "ui/WindowPlacement.h"

#include "ui/WorkAreaFit.h"

bool placeWindow(HWND window, PlaceMode mode) {
    RECT work;
    if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) return false;
    PixelRect workArea{work.left, work.top, work.right, work.bottom};
    PixelPoint point;
    if (mode == PlaceMode::Cursor) {
        POINT cursor;
        if (!GetCursorPos(&cursor)) return false;
        point = {cursor.x, cursor.y};
    } else {
        point = workAreaCentre(workArea);
    }
    RECT rect;
    if (!GetWindowRect(window, &rect)) return false;
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    PixelPoint corner = fitToWorkArea(point, width, height, workArea);
    return SetWindowPos(window, nullptr, corner.x, corner.y, width, height,
                        SWP_NOZORDER | SWP_NOOWNERZORDER) != FALSE;
}
