#pragma once
// Humid air: density and speed of sound from temperature, static pressure and relative humidity.

// Saturation vapour pressure in Pa at the temperature T in K (over ice up to the freezing point,
// over water above it).
double SaturationVaporPressure(double T);

// Density of humid air in kg/m³; T in K, p in Pa, RH the relative humidity as a fraction 0..1.
double AirDensity(double T, double p, double RH);

// Adiabatic speed of sound in m/s for the static pressure p in Pa and the density rho in kg/m³;
// 340 m/s when either value is missing or not positive.
double SpeedOfSound(double p, double rho);
