#pragma once
// The arithmetic of a link's painting: the DrawText format from the static control's
// style, the rectangle the text is drawn in, and the text's hit rectangle.
#include "ui/PixelRect.h"

namespace LinkTextLayout {

// DrawText flags used here.
constexpr unsigned kDtLeft = 0x0, kDtCenter = 0x1, kDtRight = 0x2, kDtVCenter = 0x4,
                   kDtWordBreak = 0x10, kDtSingleLine = 0x20, kDtNoClip = 0x100,
                   kDtCalcRect = 0x400, kDtNoPrefix = 0x800;

unsigned drawTextFormat(unsigned long style);
// The format for measuring: with DT_CALCRECT, without DT_CENTER and DT_RIGHT.
unsigned measureFormat(unsigned format);
// The client rectangle, one pixel narrower on the aligned side when the text is narrower.
PixelRect drawingRect(const PixelRect& client, unsigned format, int textWidth);
// measured: the DT_CALCRECT result; fontHeight: tmHeight (used under SS_CENTERIMAGE).
PixelRect hitRect(const PixelRect& client, const PixelRect& drawing, const PixelRect& measured,
                  unsigned format, unsigned long style, int fontHeight);

}  // namespace LinkTextLayout
