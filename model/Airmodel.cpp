#include "model/Airmodel.h"

#include <cmath>

namespace {

// Above this temperature the vapour is in equilibrium with liquid water, at or below it with ice.
constexpr double FreezingPoint = 273.15; // K

constexpr double MolarMassDryAir = 0.028965;             // kg/mol
constexpr double MolarMassDifferenceToVapour = 0.010945; // dry air minus water vapour, kg/mol
constexpr double GasConstant = 8.31451;                  // J/(mol·K)
constexpr double AdiabaticIndex = 1.4;
constexpr double FallbackSpeedOfSound = 340; // m/s

} // namespace

double SaturationVaporPressure(double T) {
    // Hyland-Wexler fits for ln(Ps / Pa); evaluated in extended precision because the terms
    // cancel to a small fraction of their size.
    const long double t = T;
    long double lnPs;
    if (T <= FreezingPoint) {
        lnPs = -5674.5359L / t + 6.3925247L - 0.009677843L * t + 6.2215701e-7L * t * t +
               2.0747825e-9L * t * t * t - 9.484024e-13L * t * t * t * t + 4.1635019L * std::log(t);
    } else {
        lnPs = -5800.2206L / t + 1.3914993L - 0.048640239L * t + 4.1764768e-5L * t * t -
               1.4452093e-8L * t * t * t + 6.5459673L * std::log(t);
    }
    return static_cast<double>(std::exp(lnPs));
}

double AirDensity(double T, double p, double RH) {
    // Water vapour is lighter than dry air, so the vapour's partial pressure lowers the density.
    return (p * MolarMassDryAir - RH * SaturationVaporPressure(T) * MolarMassDifferenceToVapour) /
           (GasConstant * T);
}

double SpeedOfSound(double p, double rho) {
    if (p > 0 && rho > 0) { // a negative pressure has no real speed either
        return std::sqrt(AdiabaticIndex * p / rho);
    }
    return FallbackSpeedOfSound;
}
