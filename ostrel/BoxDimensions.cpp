#include "ostrel/BoxDimensions.h"

#include <cmath>

namespace ostrel {

BoxProposal proposeBox(double vb, double ventDiameter, double ventLength, double ventCount,
                       double additionalVolume, bool english) {
    BoxProposal proposal;
    const double radius = ventDiameter / 2.0;
    double volume = 0.0; // in the unit whose cube root is a length: in3 or cm3
    if (english) {
        proposal.portVolume = radius * radius * ventLength * 3.14159 * ventCount;
        proposal.totalVolume = proposal.portVolume + (additionalVolume + vb);
        volume = proposal.totalVolume;
    } else {
        proposal.portVolume = radius * radius * ventLength * 3.14159 * ventCount * 0.001;
        proposal.totalVolume = additionalVolume + vb + proposal.portVolume;
        volume = proposal.totalVolume * 1000.0;
    }
    if (std::isfinite(volume) && volume > 0.0) {
        proposal.length = std::pow(volume, 0.333333333);
        proposal.width = GoldenRatio * proposal.length;
        proposal.depth = InverseGoldenRatio * proposal.length;
    }
    return proposal;
}

BoxSidesResult completeBox(double totalVolume, BoxSides sides, BoxConstraints fixed, bool english) {
    const double volume = english ? totalVolume : totalVolume * 1000.0;
    // With every side fixed nothing is divided or proportioned: only the total changes.
    if (fixed.length && fixed.width && fixed.depth)
        return {sides, std::isfinite(volume) ? std::nullopt : std::optional(TotalVolumeMessage)};
    if (!(std::isfinite(volume) && volume > 0.0))
        return {sides, TotalVolumeMessage};
    // Every fixed side is a divisor or the base of a proportion below.
    if (fixed.length && !(sides.length > 0.0))
        return {sides, LengthMessage};
    if (fixed.width && !(sides.width > 0.0))
        return {sides, WidthMessage};
    if (fixed.depth && !(sides.depth > 0.0))
        return {sides, DepthMessage};

    BoxSides s = sides;
    if (!fixed.length && !fixed.width && !fixed.depth) {
        s.length = std::pow(volume, 0.333333333);
        s.width = GoldenRatio * s.length;
        s.depth = InverseGoldenRatio * s.length;
    } else if (fixed.length && !fixed.width && !fixed.depth) {
        s.width = GoldenRatio * s.length;
        s.depth = volume / s.length / s.width;
    } else if (!fixed.length && fixed.width && !fixed.depth) {
        s.length = GoldenRatio * s.width;
        s.depth = volume / s.width / s.length;
    } else if (!fixed.length && !fixed.width && fixed.depth) {
        s.length = GoldenRatio * s.depth;
        s.width = volume / s.length / s.depth;
    } else if (fixed.length && fixed.width && !fixed.depth) {
        s.depth = volume / s.length / s.width;
    } else if (!fixed.length && fixed.width && fixed.depth) {
        s.length = volume / s.width / s.depth;
    } else if (fixed.length && !fixed.width && fixed.depth) {
        s.width = volume / s.length / s.depth;
    }
    if (!(std::isfinite(s.length) && std::isfinite(s.width) && std::isfinite(s.depth)))
        return {sides, TotalVolumeMessage};
    return {s, std::nullopt};
}

} // namespace ostrel
