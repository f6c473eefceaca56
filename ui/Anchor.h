#pragma once
// Where a child sits in an anchored layout: distances in pixels from the same side of
// the parent's client area (negative: that side is free), and how it is repainted after
// a move. One anchored side moves the child keeping its size; two opposite anchored
// sides stretch it.
#include "ui/PixelRect.h"

#include <cstdint>

struct Anchor {
    static constexpr std::int32_t kRepaintNone = -1;   // no invalidation
    static constexpr std::int32_t kRepaintPlain = 0;   // invalidate without erase
    static constexpr std::int32_t kRepaintErase = 1;   // invalidate with erase

    std::int32_t left = -1;
    std::int32_t top = -1;
    std::int32_t right = -1;
    std::int32_t bottom = -1;
    std::int32_t repaint = -1;

    // An entry with no anchored side is inactive and leaves the layout at its next pass.
    bool isActive() const { return left >= 0 || top >= 0 || right >= 0 || bottom >= 0; }
    bool invalidates() const { return repaint >= 0; }
    bool erases() const { return repaint > 0; }
};

// The child's new rectangle, from its current one (parent client coordinates) and a
// client area of width x height.
PixelRect placeAnchored(const PixelRect& child, const Anchor& anchor, int width, int height);
