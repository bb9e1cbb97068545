#include "model/Airmodel.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr double T20 = 293.15;      // K
constexpr double Standard = 101325; // Pa

TEST(Airmodel, DryAirFollowsTheIdealGasLaw) {
    // Specific gas constant of dry air, 287.05 J/(kg·K).
    const double idealGas = Standard / (287.05 * T20);
    EXPECT_NEAR(AirDensity(T20, Standard, 0), idealGas, 1e-3);
    EXPECT_NEAR(AirDensity(T20, Standard, 0), 1.2041, 1e-4);
}

TEST(Airmodel, SpeedOfSoundInDryAirMatchesTheTemperatureLaw) {
    // 331.3 m/s at the freezing point, growing with the square root of the absolute temperature.
    const double expected = 331.3 * std::sqrt(T20 / 273.15);
    EXPECT_NEAR(SpeedOfSound(Standard, AirDensity(T20, Standard, 0)), expected, 0.6);
}

TEST(Airmodel, DefaultAir) {
    const double rho = AirDensity(T20, Standard, 0.3);
    EXPECT_NEAR(rho, 1.20095, 2e-5);
    EXPECT_NEAR(SpeedOfSound(Standard, rho), 343.68, 0.01);
}

TEST(Airmodel, HumidAirIsLighterAndCarriesSoundFaster) {
    double previousDensity = AirDensity(T20, Standard, 0);
    double previousSpeed = SpeedOfSound(Standard, previousDensity);
    for (double humidity : {0.25, 0.5, 0.75, 1.0}) {
        const double density = AirDensity(T20, Standard, humidity);
        const double speed = SpeedOfSound(Standard, density);
        EXPECT_LT(density, previousDensity) << humidity;
        EXPECT_GT(speed, previousSpeed) << humidity;
        previousDensity = density;
        previousSpeed = speed;
    }
    // The vapour's partial pressure Ps·RH replaces dry air of 0.010945 kg/mol more.
    const double drop = AirDensity(T20, Standard, 0) - AirDensity(T20, Standard, 1);
    EXPECT_NEAR(drop, SaturationVaporPressure(T20) * 0.010945 / (8.31451 * T20), 1e-12);
}

TEST(Airmodel, SaturationVaporPressureMatchesTheMagnusFormula) {
    // Magnus formula over water, accurate to a few tenths of a percent in this range.
    for (double celsius : {5.0, 20.0, 35.0}) {
        const double magnus = 610.94 * std::exp(17.625 * celsius / (celsius + 243.04));
        EXPECT_NEAR(SaturationVaporPressure(273.15 + celsius), magnus, magnus * 5e-3) << celsius;
    }
    EXPECT_NEAR(SaturationVaporPressure(293.15), 2338.8, 0.5);
}

TEST(Airmodel, FreezingPointUsesTheIceBranchAndJoinsTheWaterBranch) {
    const double ice = SaturationVaporPressure(273.15);
    const double water = SaturationVaporPressure(273.15 + 1e-9);
    EXPECT_NEAR(ice, 611.0, 1.0);
    EXPECT_NEAR(ice, water, 0.5);
    // Below 0 °C the ice value (259.9 Pa at -10 °C), not that of supercooled water (286.5 Pa).
    EXPECT_NEAR(SaturationVaporPressure(263.15), 259.9, 1.0);
}

TEST(Airmodel, SpeedOfSoundFallsBackWhenAirIsMissing) {
    const struct {
        double p;
        double rho;
    } cases[] = {{0, 1.2}, {Standard, 0}, {Standard, -1.2}, {-Standard, 1.2}, {Standard, std::nan("")}};
    for (const auto& c : cases) {
        EXPECT_EQ(SpeedOfSound(c.p, c.rho), 340.0) << c.p << " " << c.rho;
    }
}

} // namespace
