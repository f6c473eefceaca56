#pragma once
// Where a window of a given size goes when centred on a point and kept inside the work
// area. A window larger than the work area ends at the work area's left or top edge.
#include "ui/PixelRect.h"

struct PixelPoint {
    int x = 0;
    int y = 0;
};

PixelPoint workAreaCentre(const PixelRect& workArea);
// Top-left corner for a width x height window centred on point, inside workArea.
PixelPoint fitToWorkArea(PixelPoint point, int width, int height, const PixelRect& workArea);
