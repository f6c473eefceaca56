#include "ui/LinkTextLayout.h"

#include <algorithm>

namespace LinkTextLayout {

namespace {

constexpr unsigned long kSsCenter = 0x1, kSsRight = 0x2, kSsSimple = 0xB, kSsLeftNoWordWrap = 0xC,
                        kSsNoPrefix = 0x80, kSsCenterImage = 0x200;

}  // namespace

unsigned drawTextFormat(unsigned long style) {
    unsigned format;
    bool wraps = false;
    if ((style & kSsSimple) == kSsSimple) {
        format = kDtNoClip;
    } else if ((style & kSsLeftNoWordWrap) == kSsLeftNoWordWrap) {
        format = kDtLeft;
    } else {
        format = (style & kSsCenter) ? kDtCenter : (style & kSsRight) ? kDtRight : kDtLeft;
        wraps = true;
    }
    if (style & kSsCenterImage)
        format |= kDtVCenter | kDtSingleLine;
    else if (wraps)
        format |= kDtWordBreak;
    if (style & kSsNoPrefix) format |= kDtNoPrefix;
    return format;
}

unsigned measureFormat(unsigned format) { return (format | kDtCalcRect) & ~(kDtCenter | kDtRight); }

PixelRect drawingRect(const PixelRect& client, unsigned format, int textWidth) {
    PixelRect drawing = client;
    if (textWidth < client.width()) {
        if (format & kDtRight)
            drawing.right -= 1;
        else if (!(format & kDtCenter))
            drawing.left += 1;
    }
    return drawing;
}

PixelRect hitRect(const PixelRect& client, const PixelRect& drawing, const PixelRect& measured,
                  unsigned format, unsigned long style, int fontHeight) {
    int width = measured.width();
    PixelRect hit;
    if (format & kDtRight) {
        hit.left = drawing.right - width - 1;
        hit.right = client.right;
    } else if (format & kDtCenter) {
        hit.left = (client.right - width) / 2 - 1;
        hit.right = hit.left + width + 2;
    } else {
        hit.left = client.left;
        hit.right = drawing.left + width + 1;
    }
    hit.top = measured.top;
    hit.bottom = measured.bottom;
    if (style & kSsCenterImage) hit.top = hit.bottom - fontHeight;
    // Clipped to the client area.
    hit.left = std::max(hit.left, client.left);
    hit.top = std::max(hit.top, client.top);
    hit.right = std::min(hit.right, client.right);
    hit.bottom = std::min(hit.bottom, client.bottom);
    if (hit.right < hit.left) hit.right = hit.left;
    if (hit.bottom < hit.top) hit.bottom = hit.top;
    return hit;
}

}  // namespace LinkTextLayout
