#pragma once

#include <optional>
#include <string_view>

namespace ostrel {

// Outer proportions of the proposed box: width = 1.62 length, depth = length / 1.62.
inline constexpr double GoldenRatio = 1.62;
inline constexpr double InverseGoldenRatio = 0.6172839506172839;

struct BoxProposal {
    double portVolume = 0.0;  // litres (in3)
    double totalVolume = 0.0; // litres (in3)
    double length = 0.0;      // cm (in)
    double width = 0.0;
    double depth = 0.0;
};

// Adds the vents' own volume and the additional volume to Vb and proposes the three dimensions.
// Metric works in litres and cm, English in in3 and in. A total that is not above zero has no
// cube root worth showing, so its dimensions are 0.
BoxProposal proposeBox(double vb, double ventDiameter, double ventLength, double ventCount,
                       double additionalVolume, bool english);

struct BoxSides {
    double length = 0.0;
    double width = 0.0;
    double depth = 0.0;
};

struct BoxConstraints {
    bool length = false;
    bool width = false;
    bool depth = false;
};

inline constexpr std::string_view TotalVolumeMessage = "Calculation Stopped: Total Volume can't equal 0";
inline constexpr std::string_view LengthMessage = "Calculation Stopped: Length can't equal 0";
inline constexpr std::string_view WidthMessage = "Calculation Stopped: Width can't equal 0";
inline constexpr std::string_view DepthMessage = "Calculation Stopped: Depth can't equal 0";

struct BoxSidesResult {
    BoxSides sides;
    // Set when a divisor or the volume is not above zero while a side is left free, or when the
    // volume is not finite; the sides are then unchanged.
    std::optional<std::string_view> problem;
};

// Completes the sides the user did not fix so that they enclose totalVolume (litres or in3).
// A free side follows a fixed one by the proportions: with the width fixed the length becomes
// 1.62 times the width, as the calculator always did.
BoxSidesResult completeBox(double totalVolume, BoxSides sides, BoxConstraints fixed, bool english);

} // namespace ostrel
