#pragma once
// Colours between RGB and hue/saturation/lightness. Colours are the system's 0x00BBGGRR
// integers; H, S and L are fractions 0..1 (H is the hue angle over 360 degrees), or integers
// on the 0..HSLRange scale.

#include <cstdint>

using TColor = std::int32_t;

// Integer hue runs 0..HSLRange-1, saturation and lightness 0..HSLRange.
constexpr int HSLRange = 240;

void RGBtoHSL(TColor colour, double& H, double& S, double& L);
TColor HSLtoRGB(double H, double S, double L);
void RGBtoHSLRange(TColor colour, int& H, int& S, int& L);
TColor HSLRangeToRGB(int H, int S, int L);

constexpr TColor RGBColor(int red, int green, int blue) {
    return static_cast<TColor>((blue & 0xFF) << 16 | (green & 0xFF) << 8 | (red & 0xFF));
}
constexpr int RedOf(TColor colour) {
    return colour & 0xFF;
}
constexpr int GreenOf(TColor colour) {
    return (colour >> 8) & 0xFF;
}
constexpr int BlueOf(TColor colour) {
    return (colour >> 16) & 0xFF;
}
