#include "flatctl/HSLUtils.h"

#include <algorithm>
#include <cmath>

namespace {

// Ties go to even, as everywhere in the program's rounding.
int RoundChannel(double value) {
    return std::clamp(static_cast<int>(std::nearbyint(value * 255.0)), 0, 255);
}

double Channel(double m1, double m2, double h) {
    if (h < 0)
        h += 1;
    if (h > 1)
        h -= 1;
    if (6 * h < 1)
        return m1 + (m2 - m1) * 6 * h;
    if (2 * h < 1)
        return m2;
    if (3 * h < 2)
        return m1 + (m2 - m1) * (2.0 / 3.0 - h) * 6;
    return m1;
}

} // namespace

void RGBtoHSL(TColor colour, double& H, double& S, double& L) {
    const double r = RedOf(colour) / 255.0;
    const double g = GreenOf(colour) / 255.0;
    const double b = BlueOf(colour) / 255.0;
    const double max = std::max({r, g, b});
    const double min = std::min({r, g, b});
    L = (max + min) / 2;
    if (max == min) {
        H = 0;
        S = 0;
        return;
    }
    const double d = max - min;
    S = L < 0.5 ? d / (max + min) : d / (2 - max - min);
    if (r == max)
        H = (g - b) / d;
    else if (g == max)
        H = 2 + (b - r) / d;
    else
        H = 4 + (r - g) / d;
    H /= 6;
    if (H < 0)
        H += 1;
}

TColor HSLtoRGB(double H, double S, double L) {
    if (S == 0) {
        const int grey = RoundChannel(L);
        return RGBColor(grey, grey, grey);
    }
    const double m2 = L <= 0.5 ? L * (1 + S) : L + S - L * S;
    const double m1 = 2 * L - m2;
    return RGBColor(RoundChannel(Channel(m1, m2, H + 1.0 / 3.0)), RoundChannel(Channel(m1, m2, H)),
                    RoundChannel(Channel(m1, m2, H - 1.0 / 3.0)));
}

void RGBtoHSLRange(TColor colour, int& H, int& S, int& L) {
    double h = 0, s = 0, l = 0;
    RGBtoHSL(colour, h, s, l);
    H = static_cast<int>(std::nearbyint(h * (HSLRange - 1)));
    S = static_cast<int>(std::nearbyint(s * HSLRange));
    L = static_cast<int>(std::nearbyint(l * HSLRange));
}

TColor HSLRangeToRGB(int H, int S, int L) {
    return HSLtoRGB(static_cast<double>(H) / (HSLRange - 1), static_cast<double>(S) / HSLRange,
                    static_cast<double>(L) / HSLRange);
}
