#pragma once
// The decisions of the installer dialog that need no window: how the agreement box
// shapes the buttons, the licence panel's colour, and the size arithmetic.
#include <cstdint>

namespace InstallerDialogRules {

// What the agreement box being ticked means for the dialog: Install is usable only
// after the agreement, and whichever control the user must deal with next is bold.
struct AgreementLook {
    bool installEnabled = false;
    bool installBold = false;
    bool agreementBold = false;
};
AgreementLook agreementLook(bool ticked);

// A colour as three fractions (component / 255).
struct Rgb {
    double r = 0, g = 0, b = 0;
};
// Hue, lightness and saturation, each in [0, 1].
struct Hls {
    double h = 0, l = 0, s = 0;
};
Hls rgbToHls(const Rgb& c);
Rgb hlsToRgb(const Hls& c);

// The licence panel's colour from the window and button-face colours (COLORREF layout
// 0x00BBGGRR): 60 % window, 40 % button face, saturation lowered to 34 %. The caller
// still maps it to the nearest colour the display can show.
std::uint32_t panelColourMix(std::uint32_t windowColour, std::uint32_t buttonFaceColour);

// The height the dialog opens with: taller by extraPixels (40 vertical dialog units)
// where the work area has room for it (up to 7/9 of its height), never smaller.
int initialDialogHeight(int windowHeight, int workAreaHeight, int extraPixels);

// The smallest window size the user may drag to, from the client size in pixels that
// must stay visible and the system's frame metrics.
struct TrackSize {
    int width = 0;
    int height = 0;
};
TrackSize minimumTrackSize(int clientWidth, int clientHeight, int borderWidth, int captionHeight);

// Install and Cancel stay centred: Install's right distance and Cancel's left distance
// from the client edges, with halfGap (3 horizontal dialog units) on each side of the
// centre line.
struct ButtonDistances {
    int installRight = 0;
    int cancelLeft = 0;
};
ButtonDistances centredButtonDistances(int clientWidth, int halfGap);

}  // namespace InstallerDialogRules
