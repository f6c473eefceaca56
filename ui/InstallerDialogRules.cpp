#include "ui/InstallerDialogRules.h"

#include <algorithm>

namespace InstallerDialogRules {

AgreementLook agreementLook(bool ticked) {
    AgreementLook look;
    look.installEnabled = ticked;
    look.installBold = ticked;
    look.agreementBold = !ticked;
    return look;
}

Hls rgbToHls(const Rgb& c) {
    const double max = std::max({c.r, c.g, c.b});
    const double min = std::min({c.r, c.g, c.b});
    const double d = max - min;
    Hls out;
    out.l = (max + min) / 2;
    if (d > 0 && max + min > 0) {
        out.s = out.l <= 0.5 ? d / (max + min) : d / (2 - max - min);
        if (max == c.r)
            out.h = (6 + (c.g - c.b) / d) / 6;
        else if (max == c.g)
            out.h = (2 + (c.b - c.r) / d) / 6;
        else
            out.h = (4 + (c.r - c.g) / d) / 6;
        if (out.h > 1) out.h -= 1;
    }
    return out;
}

namespace {

double channel(double m1, double m2, double t) {
    if (t < 0) t += 1;
    if (t > 1) t -= 1;
    if (t < 1.0 / 6) return m1 + (m2 - m1) * 6 * t;
    if (t < 0.5) return m2;
    if (t < 2.0 / 3) return m1 + (m2 - m1) * (2.0 / 3 - t) * 6;
    return m1;
}

double fraction(std::uint32_t colour, int shift) {
    return static_cast<double>((colour >> shift) & 0xFF) / 255;
}

std::uint32_t component(double value) {
    return static_cast<std::uint32_t>(value * 255 + 0.49);
}

}  // namespace

Rgb hlsToRgb(const Hls& c) {
    Rgb out;
    if (c.s == 0) {
        out.r = out.g = out.b = c.l;
        return out;
    }
    const double m2 = c.l <= 0.5 ? c.l * (1 + c.s) : c.l + c.s - c.l * c.s;
    const double m1 = 2 * c.l - m2;
    out.r = channel(m1, m2, c.h + 1.0 / 3);
    out.g = channel(m1, m2, c.h);
    out.b = channel(m1, m2, c.h - 1.0 / 3);
    return out;
}

std::uint32_t panelColourMix(std::uint32_t windowColour, std::uint32_t buttonFaceColour) {
    Rgb mix;
    mix.r = 0.6 * fraction(windowColour, 0) + 0.4 * fraction(buttonFaceColour, 0);
    mix.g = 0.6 * fraction(windowColour, 8) + 0.4 * fraction(buttonFaceColour, 8);
    mix.b = 0.6 * fraction(windowColour, 16) + 0.4 * fraction(buttonFaceColour, 16);
    Hls hls = rgbToHls(mix);
    hls.s *= 0.34;
    const Rgb out = hlsToRgb(hls);
    return component(out.r) | component(out.g) << 8 | component(out.b) << 16;
}

int initialDialogHeight(int windowHeight, int workAreaHeight, int extraPixels) {
    const int target = std::min(workAreaHeight * 7 / 9, windowHeight + extraPixels);
    return target > windowHeight ? target : windowHeight;
}

TrackSize minimumTrackSize(int clientWidth, int clientHeight, int borderWidth, int captionHeight) {
    TrackSize size;
    size.width = clientWidth + 2 * borderWidth + 6;
    size.height = clientHeight + captionHeight + 2 * borderWidth + 7;
    return size;
}

ButtonDistances centredButtonDistances(int clientWidth, int halfGap) {
    const int half = clientWidth / 2;
    ButtonDistances d;
    d.installRight = half + halfGap;
    d.cancelLeft = half + halfGap;
    return d;
}

}  // namespace InstallerDialogRules
