#pragma once
// The sample woofer of the demonstration projects, the plot engine tests and the benchmarks:
// one set of numbers, so a picture, a test and a timing all describe the same driver.

#include "model/Airmodel.h"
#include "model/Driver.h"

#include <cmath>

// A 30 Hz woofer (Qms 5, Qes 0.4, Vas 50 l, Sd 216 cm², Re 6 ohm, Xmax 5 mm, 100 W) with coil
// inductance Le. Its compliance, moving mass and force factor follow from the small-signal
// values in the air of temperature T (K), pressure p (Pa) and relative humidity phi, so every
// model sees the same driver whichever set of parameters it reads.
inline TDriverObject DemoWoofer(double T, double p, double phi, double Le) {
    constexpr double Pi = 3.14159265358979323846;
    TDriverObject driver;
    TDriverData& d = driver.Data;
    d.Fs = 30;
    d.Qms = 5;
    d.Qes = 0.4;
    d.Qts = 1 / (1 / d.Qms + 1 / d.Qes);
    d.Vas = 0.05;
    d.Sd = 0.0216;
    d.Re = 6;
    d.Le = Le;
    d.Xmax = 0.005;
    d.Pe = 100;
    const double rho = AirDensity(T, p, phi);
    const double c = SpeedOfSound(p, rho);
    d.Cms = d.Vas / (rho * c * c * d.Sd * d.Sd);
    d.Mms = 1 / (std::pow(2 * Pi * d.Fs, 2) * d.Cms);
    d.BL = std::sqrt(2 * Pi * d.Fs * d.Mms * d.Re / d.Qes);
    return driver;
}
