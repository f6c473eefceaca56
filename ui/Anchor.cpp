#include "ui/Anchor.h"

PixelRect placeAnchored(const PixelRect& child, const Anchor& anchor, int width, int height) {
    PixelRect placed = child;
    if (anchor.left >= 0) {
        placed.left = anchor.left;
        if (anchor.right < 0) placed.right = child.right + anchor.left - child.left;
    }
    if (anchor.top >= 0) {
        placed.top = anchor.top;
        if (anchor.bottom < 0) placed.bottom = child.bottom + anchor.top - child.top;
    }
    if (anchor.right >= 0) {
        placed.right = width - anchor.right;
        if (anchor.left < 0) placed.left = width + child.left - anchor.right - child.right;
    }
    if (anchor.bottom >= 0) {
        placed.bottom = height - anchor.bottom;
        if (anchor.top < 0) placed.top = height + child.top - anchor.bottom - child.bottom;
    }
    return placed;
}
