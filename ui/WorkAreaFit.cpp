#include "ui/WorkAreaFit.h"

#include <algorithm>

PixelPoint workAreaCentre(const PixelRect& workArea) {
    return {(workArea.left + workArea.right) / 2, (workArea.top + workArea.bottom) / 2};
}

namespace {

// Centred on centre, then pulled back inside [low, high] as far as the low edge allows.
int fitAxis(int centre, int size, int low, int high) {
    int start = std::max(low, centre - size / 2);
    if (start + size > high) start = std::max(low, high - size);
    return start;
}

}  // namespace

PixelPoint fitToWorkArea(PixelPoint point, int width, int height, const PixelRect& workArea) {
    return {fitAxis(point.x, width, workArea.left, workArea.right),
            fitAxis(point.y, height, workArea.top, workArea.bottom)};
}
